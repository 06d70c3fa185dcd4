// The emulated host's playlist: entries, the current position, and the
// strings handed to the plugin by address.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace host {

// All text in UTF-8; names may hold any character, as the player's do.
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
//
// The wide answers are the names themselves; the ANSI ones are text of the
// system code page as the player makes it (see CodePageText.h).
class PlaylistStore {
public:
    PlaylistStore();

    void Replace(std::vector<PlaylistEntry> entries);
    void SetPosition(int position);
    int Position() const;
    int Size() const;

    // Null when the index is out of range. The ANSI file name is made when
    // asked: whether the file has a short name depends on the disk then.
    const char* File(int index) const;
    const char* Title(int index) const;
    const wchar_t* FileW(int index) const;
    const wchar_t* TitleW(int index) const;
    std::string CurrentTitle() const;  // UTF-8
    int CurrentLengthSeconds() const;

    // Copies the field of the entry the file names into buffer (size bytes,
    // or characters for the wide form), cut to fit and terminated. The ANSI
    // file is code-page text: the entry's own name, or the short or '?' name
    // File gives for it. File and field names compare without case. Returns
    // false and leaves buffer empty when the file or field is unknown.
    bool CopyInfo(const char* file, const char* field, char* buffer, std::size_t size) const;
    bool CopyInfoW(const wchar_t* file, const wchar_t* field, wchar_t* buffer, std::size_t size) const;

private:
    struct Stored {
        PlaylistEntry entry;
        std::wstring file;
        std::wstring title;
        std::string codePageTitle;
        std::map<std::wstring, std::wstring> info;
        // Every distinct ANSI file name handed out for the entry, oldest first.
        mutable std::deque<std::string> codePageFiles;
    };
    using Generation = std::vector<Stored>;

    static Stored MakeStored(PlaylistEntry entry);
    const Generation& Current() const;  // stays valid without the lock
    const Stored* StoredAt(int index) const;
    const Stored* FindByName(const std::wstring& file) const;
    const Stored* FindByCodePageName(const std::string& file) const;
    static const std::wstring* FieldOf(const Stored* stored, const std::wstring& field);

    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<const Generation>> generations_;  // last one is current
    int position_ = 0;
};

}  // namespace host
