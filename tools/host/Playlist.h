// The emulated host's playlist: entries, the current position, and the
// strings handed to the plugin by address.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace host {

struct PlaylistEntry {
    std::string file;
    std::string title;
    // Extended file information fields, e.g. "Title", "Artist", "Album",
    // "Track", "Year", "Date", "Genre".
    std::map<std::string, std::string> info;
    int lengthSeconds = -1;  // IPC_GETOUTPUTTIME with 1; -1: unknown
};

// Thread-safe. The host answers with addresses of its own strings, which the
// plugin reads after the answer; so a replaced playlist is kept (retired), not
// freed, and every address handed out stays valid while the store lives.
class PlaylistStore {
public:
    PlaylistStore();

    void Replace(std::vector<PlaylistEntry> entries);
    void SetPosition(int position);
    int Position() const;
    int Size() const;

    // Null when the index is out of range.
    const char* File(int index) const;
    const char* Title(int index) const;
    std::string CurrentTitle() const;
    int CurrentLengthSeconds() const;

    // Copies the field of the entry whose file matches (both compared without
    // regard to ASCII case) into buffer, truncating to size - 1 bytes. Returns
    // false and leaves buffer empty when the file or field is unknown.
    bool CopyInfo(const char* file, const char* field, char* buffer, std::size_t size) const;

private:
    using Entries = std::vector<PlaylistEntry>;
    const PlaylistEntry* EntryLocked(int index) const;

    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<const Entries>> generations_;  // last one is current
    int position_ = 0;
};

}  // namespace host
