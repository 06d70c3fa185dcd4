#include "tools/host/Playlist.h"

#include <utility>

#include "framework/Unicode.h"
#include "tools/host/CodePageText.h"

namespace host {

PlaylistStore::PlaylistStore() : entries_(std::make_shared<const Entries>()) {}

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
    auto next = std::make_shared<Entries>();
    next->reserve(entries.size());
    for (PlaylistEntry& entry : entries) next->push_back(MakeStored(std::move(entry)));
    std::lock_guard<std::mutex> lock(mutex_);
    entries_ = std::move(next);
}

void PlaylistStore::SetPosition(int position) {
    std::lock_guard<std::mutex> lock(mutex_);
    position_ = position;
}

int PlaylistStore::Position() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return position_;
}

int PlaylistStore::Size() const { return static_cast<int>(Current()->size()); }

PlaylistStore::Snapshot PlaylistStore::Current() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_;
}

const PlaylistStore::Stored* PlaylistStore::StoredAt(const Entries& entries, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return nullptr;
    return &entries[static_cast<std::size_t>(index)];
}

std::optional<std::string> PlaylistStore::File(int index) const {
    const Snapshot entries = Current();
    const Stored* stored = StoredAt(*entries, index);
    if (stored == nullptr) return std::nullopt;
    return CodePagePath(stored->file);
}

std::optional<std::string> PlaylistStore::Title(int index) const {
    const Snapshot entries = Current();
    const Stored* stored = StoredAt(*entries, index);
    if (stored == nullptr) return std::nullopt;
    return stored->codePageTitle;
}

std::optional<std::wstring> PlaylistStore::FileW(int index) const {
    const Snapshot entries = Current();
    const Stored* stored = StoredAt(*entries, index);
    if (stored == nullptr) return std::nullopt;
    return stored->file;
}

std::optional<std::wstring> PlaylistStore::TitleW(int index) const {
    const Snapshot entries = Current();
    const Stored* stored = StoredAt(*entries, index);
    if (stored == nullptr) return std::nullopt;
    return stored->title;
}

bool PlaylistStore::HasCurrent() const { return StoredAt(*Current(), Position()) != nullptr; }

std::string PlaylistStore::CurrentFile() const {
    const Snapshot entries = Current();
    const Stored* stored = StoredAt(*entries, Position());
    return stored ? stored->entry.file : std::string();
}

std::string PlaylistStore::CurrentTitle() const {
    const Snapshot entries = Current();
    const Stored* stored = StoredAt(*entries, Position());
    return stored ? stored->entry.title : std::string();
}

int PlaylistStore::CurrentLengthMs() const {
    const Snapshot entries = Current();
    const Stored* stored = StoredAt(*entries, Position());
    return stored ? stored->entry.lengthMs : -1;
}

const std::wstring* PlaylistStore::FieldOf(const Stored* stored, const std::wstring& field) {
    if (stored == nullptr) return nullptr;
    for (const auto& item : stored->info) {
        if (SameNameIgnoringCase(item.first, field)) return &item.second;
    }
    return nullptr;
}

// A plugin may pass the long name or the short one it made itself.
const PlaylistStore::Stored* PlaylistStore::FindByName(const Entries& entries, const std::wstring& file) {
    const std::wstring longName = LongPath(file);
    for (const Stored& stored : entries) {
        if (SameNameIgnoringCase(stored.file, file)) return &stored;
        if (!longName.empty() && SameNameIgnoringCase(stored.file, longName)) return &stored;
    }
    return nullptr;
}

// Code-page text names an entry when it is what File gives for it (the
// entry's name, its short name or its '?' name) or the short name of it.
const PlaylistStore::Stored* PlaylistStore::FindByCodePageName(const Entries& entries, const std::string& file) {
    const std::wstring asked = FromCodePage(file);
    const std::wstring longName = LongPath(asked);
    for (const Stored& stored : entries) {
        if (SameNameIgnoringCase(FromCodePage(CodePagePath(stored.file)), asked)) return &stored;
        if (!longName.empty() && SameNameIgnoringCase(stored.file, longName)) return &stored;
    }
    return nullptr;
}

bool PlaylistStore::CopyInfo(const char* file, const char* field, char* buffer, std::size_t size) const {
    CopyTerminated(buffer, size, "");
    if (file == nullptr || field == nullptr || buffer == nullptr || size == 0) return false;
    const Snapshot entries = Current();
    const std::wstring* value = FieldOf(FindByCodePageName(*entries, file), FromCodePage(field));
    if (value == nullptr) return false;
    CopyTerminated(buffer, size, ToCodePage(*value));
    return true;
}

bool PlaylistStore::CopyInfoW(const wchar_t* file, const wchar_t* field, wchar_t* buffer, std::size_t size) const {
    CopyTerminated(buffer, size, L"");
    if (file == nullptr || field == nullptr || buffer == nullptr || size == 0) return false;
    const Snapshot entries = Current();
    const std::wstring* value = FieldOf(FindByName(*entries, file), field);
    if (value == nullptr) return false;
    CopyTerminated(buffer, size, *value);
    return true;
}

}  // namespace host
