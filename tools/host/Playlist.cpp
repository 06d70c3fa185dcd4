#include "tools/host/Playlist.h"

#include "framework/TextUtil.h"

#include <cstring>
#include <utility>

namespace host {

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

int PlaylistStore::CurrentLengthSeconds() const {
    std::lock_guard<std::mutex> lock(mutex_);
    const PlaylistEntry* entry = EntryLocked(position_);
    return entry ? entry->lengthSeconds : -1;
}

bool PlaylistStore::CopyInfo(const char* file, const char* field, char* buffer,
                             std::size_t size) const {
    fw::CopyBounded(buffer, size, "");
    if (file == nullptr || field == nullptr || buffer == nullptr || size == 0) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    for (const PlaylistEntry& entry : *generations_.back()) {
        if (!fw::EqualsIgnoringAsciiCase(entry.file, file)) continue;
        for (const auto& item : entry.info) {
            if (fw::EqualsIgnoringAsciiCase(item.first, field)) {
                fw::CopyBounded(buffer, size, item.second.c_str());
                return true;
            }
        }
        return false;
    }
    return false;
}

}  // namespace host
