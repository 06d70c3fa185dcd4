#include "tools/host/Playlist.h"

#include <cstring>
#include <utility>

namespace host {

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

void BoundedCopy(char* buffer, std::size_t size, const char* source) {
    if (buffer == nullptr || size == 0) return;
    const std::size_t length = source == nullptr ? 0 : std::strlen(source);
    const std::size_t count = length < size - 1 ? length : size - 1;
    if (count > 0) std::memcpy(buffer, source, count);
    buffer[count] = '\0';
}

bool EqualsIgnoringAsciiCase(const std::string& a, const char* b) {
    if (b == nullptr || a.size() != std::strlen(b)) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

PlaylistStore::PlaylistStore() {
    generations_.push_back(std::make_unique<const Entries>());
}

void PlaylistStore::Replace(std::vector<PlaylistEntry> entries) {
    auto next = std::make_unique<const Entries>(std::move(entries));
    std::lock_guard<std::mutex> lock(mutex_);
    generations_.push_back(std::move(next));
}

void PlaylistStore::SetPosition(int position) {
    std::lock_guard<std::mutex> lock(mutex_);
    position_ = position;
}

int PlaylistStore::Position() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return position_;
}

int PlaylistStore::Size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(generations_.back()->size());
}

const PlaylistEntry* PlaylistStore::EntryLocked(int index) const {
    const Entries& entries = *generations_.back();
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return nullptr;
    return &entries[static_cast<std::size_t>(index)];
}

const char* PlaylistStore::File(int index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const PlaylistEntry* entry = EntryLocked(index);
    return entry ? entry->file.c_str() : nullptr;
}

const char* PlaylistStore::Title(int index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const PlaylistEntry* entry = EntryLocked(index);
    return entry ? entry->title.c_str() : nullptr;
}

std::string PlaylistStore::CurrentTitle() const {
    std::lock_guard<std::mutex> lock(mutex_);
    const PlaylistEntry* entry = EntryLocked(position_);
    return entry ? entry->title : std::string();
}

bool PlaylistStore::CopyInfo(const char* file, const char* field, char* buffer,
                             std::size_t size) const {
    BoundedCopy(buffer, size, "");
    if (file == nullptr || field == nullptr || buffer == nullptr || size == 0) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    for (const PlaylistEntry& entry : *generations_.back()) {
        if (!EqualsIgnoringAsciiCase(entry.file, file)) continue;
        for (const auto& item : entry.info) {
            if (EqualsIgnoringAsciiCase(item.first, field)) {
                BoundedCopy(buffer, size, item.second.c_str());
                return true;
            }
        }
        return false;
    }
    return false;
}

}  // namespace host
