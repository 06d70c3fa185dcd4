// The emulated host's playlist: entries, the current position, and the
// names and information the player answers with.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
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
    int lengthMs = -1;  // IPC_GETOUTPUTTIME with 2 (with 1 in seconds); -1: unknown
};

// Thread-safe. Names come out by value: the player copies them into its one
// answer buffer (see HostEmulator).
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

    // Nothing when the index is out of range. The ANSI file name is made
    // when asked: whether the file has a short name depends on the disk then.
    std::optional<std::string> File(int index) const;
    std::optional<std::string> Title(int index) const;
    std::optional<std::wstring> FileW(int index) const;
    std::optional<std::wstring> TitleW(int index) const;
    bool HasCurrent() const;
    std::string CurrentFile() const;   // UTF-8
    std::string CurrentTitle() const;  // UTF-8
    int CurrentLengthMs() const;

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
    };
    using Entries = std::vector<Stored>;
    using Snapshot = std::shared_ptr<const Entries>;

    static Stored MakeStored(PlaylistEntry entry);
    // The entries as they are now; a replacement leaves a snapshot whole.
    Snapshot Current() const;
    static const Stored* StoredAt(const Entries& entries, int index);
    static const Stored* FindByName(const Entries& entries, const std::wstring& file);
    static const Stored* FindByCodePageName(const Entries& entries, const std::string& file);
    static const std::wstring* FieldOf(const Stored* stored, const std::wstring& field);

    mutable std::mutex mutex_;
    Snapshot entries_;
    int position_ = 0;
};

}  // namespace host
