// Title, artist and the song-information lines shown above the lyrics,
// worked out from what the host knows about the playing song.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Title and artist keep at most this many bytes of UTF-8.
constexpr size_t kSongFieldChars = 511;
// "[Opening] " titles are re-asked every 100 ms at most this many times
// (5 s), so a stream that never connects cannot freeze the plugin thread.
constexpr int kOpeningRetries = 50;
constexpr char kArtistUnavailable[] = "(Artist unavailable)";

// What the host can tell about the current song.
class SongInfoSource {
public:
    virtual ~SongInfoSource() = default;
    // One extended-file-information request: returns the host's own
    // result (non-zero = true) and puts the result buffer into text.
    virtual bool QueryExtendedInfo(const char* field, std::string& text) = 0;
    // Playlist title of the current entry; false when there is none.
    virtual bool PlaylistTitle(std::string& title) = 0;
    // Pause before asking for the playlist title again (100 ms); false when
    // the caller will not wait now and asks again later itself.
    virtual bool WaitBeforeRetry() = 0;

    // A request counts only when the host said yes and gave some text.
    bool ExtendedInfo(const char* field, std::string& value);
};

struct SongInfo {
    std::string title;               // never empty
    std::string artist;              // kArtistUnavailable when unknown
    std::vector<std::string> lines;  // empty with song information off
    int fileNameLine = 0;            // index of the path line in lines
    bool titleOpening = false;       // the host still showed "[Opening] ..."
};

// genreByIndex gives the ID3v1 genre table entry for 0..147 (nullptr for
// anything it does not know).
using GenreTableFn = const char* (*)(int);

// Title and artist always; the lines only when showSongInfo is set.
SongInfo BuildSongInfoLines(SongInfoSource& src, const std::string& songPath,
                            bool showSongInfo, GenreTableFn genreByIndex);

// Genre names as hosts report them ("(17)", "17", "CR", "Rock") turned
// into a readable name; text that names no table entry comes back as is.
std::string GenreName(std::string genre, GenreTableFn genreByIndex);

// The host's placeholder title while it connects to a stream.
bool IsOpeningTitle(const std::string& title);

// Copy without leading and trailing white space.
std::string TrimmedCopy(const std::string& text);
