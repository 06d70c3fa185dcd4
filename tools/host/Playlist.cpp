#include "tools/host/Playlist.h"

#include <utility>

#include "framework/Unicode.h"
#include "tools/host/CodePageText.h"

namespace host {

PlaylistStore::PlaylistStore() {
    generations_.push_back(std::make_unique<const Generation>());
}

PlaylistStore::Stored PlaylistStore::MakeStored(PlaylistEntry entry) {
    Stored stored;
    stored.file = fw::Widen(entry.file);
    stored.title = fw::Widen(entry.title);
    stored.codePageTitle = ToCodePage(stored.title);
    for (const auto& item : entry.info) stored.info[fw::Widen(item.first)] = fw::Widen(item.second);
    stored.entry = std::move(entry);
    return stored;
}

void PlaylistStore::Replace(std::vector<PlaylistEntry> entries) {
    auto next = std::make_unique<Generation>();
    next->reserve(entries.size());
    for (PlaylistEntry& entry : entries) next->push_back(MakeStored(std::move(entry)));
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

int PlaylistStore::Size() const { return static_cast<int>(Current().size()); }

const PlaylistStore::Generation& PlaylistStore::Current() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return *generations_.back();
}

const PlaylistStore::Stored* PlaylistStore::StoredAt(int index) const {
    const Generation& entries = Current();
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return nullptr;
    return &entries[static_cast<std::size_t>(index)];
}

const char* PlaylistStore::File(int index) const {
    const Stored* stored = StoredAt(index);
    if (stored == nullptr) return nullptr;
    std::string answer = CodePagePath(stored->file);
    std::lock_guard<std::mutex> lock(mutex_);
    std::deque<std::string>& answers = stored->codePageFiles;
    for (const std::string& given : answers) {
        if (given == answer) return given.c_str();
    }
    answers.push_back(std::move(answer));
    return answers.back().c_str();
}

const char* PlaylistStore::Title(int index) const {
    const Stored* stored = StoredAt(index);
    return stored ? stored->codePageTitle.c_str() : nullptr;
}

const wchar_t* PlaylistStore::FileW(int index) const {
    const Stored* stored = StoredAt(index);
    return stored ? stored->file.c_str() : nullptr;
}

const wchar_t* PlaylistStore::TitleW(int index) const {
    const Stored* stored = StoredAt(index);
    return stored ? stored->title.c_str() : nullptr;
}

std::string PlaylistStore::CurrentTitle() const {
    const Stored* stored = StoredAt(Position());
    return stored ? stored->entry.title : std::string();
}

int PlaylistStore::CurrentLengthSeconds() const {
    const Stored* stored = StoredAt(Position());
    return stored ? stored->entry.lengthSeconds : -1;
}

const std::wstring* PlaylistStore::FieldOf(const Stored* stored, const std::wstring& field) {
    if (stored == nullptr) return nullptr;
    for (const auto& item : stored->info) {
        if (SameNameIgnoringCase(item.first, field)) return &item.second;
    }
    return nullptr;
}

// A plugin may pass the long name or the short one it made itself.
const PlaylistStore::Stored* PlaylistStore::FindByName(const std::wstring& file) const {
    const std::wstring longName = LongPath(file);
    for (const Stored& stored : Current()) {
        if (SameNameIgnoringCase(stored.file, file)) return &stored;
        if (!longName.empty() && SameNameIgnoringCase(stored.file, longName)) return &stored;
    }
    return nullptr;
}

// Code-page text names an entry when it is what File gives for it (the
// entry's name, its short name or its '?' name) or the short name of it.
const PlaylistStore::Stored* PlaylistStore::FindByCodePageName(const std::string& file) const {
    const std::wstring asked = FromCodePage(file);
    const std::wstring longName = LongPath(asked);
    for (const Stored& stored : Current()) {
        if (SameNameIgnoringCase(FromCodePage(CodePagePath(stored.file)), asked)) return &stored;
        if (!longName.empty() && SameNameIgnoringCase(stored.file, longName)) return &stored;
    }
    return nullptr;
}

bool PlaylistStore::CopyInfo(const char* file, const char* field, char* buffer, std::size_t size) const {
    CopyTerminated(buffer, size, "");
    if (file == nullptr || field == nullptr || buffer == nullptr || size == 0) return false;
    const std::wstring* value = FieldOf(FindByCodePageName(file), FromCodePage(field));
    if (value == nullptr) return false;
    CopyTerminated(buffer, size, ToCodePage(*value));
    return true;
}

bool PlaylistStore::CopyInfoW(const wchar_t* file, const wchar_t* field, wchar_t* buffer, std::size_t size) const {
    CopyTerminated(buffer, size, L"");
    if (file == nullptr || field == nullptr || buffer == nullptr || size == 0) return false;
    const std::wstring* value = FieldOf(FindByName(file), field);
    if (value == nullptr) return false;
    CopyTerminated(buffer, size, *value);
    return true;
}

}  // namespace host
