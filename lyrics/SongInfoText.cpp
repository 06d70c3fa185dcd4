#include "lyrics/SongInfoText.h"

#include "framework/TextUtil.h"
#include "framework/Utf8.h"

#include "lyrics/SongPaths.h"

namespace {

constexpr int kLastGenreIndex = 147;
constexpr char kOpeningPrefix[] = "[Opening] ";
constexpr char kTitleSeparator[] = " - ";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' ||
           c == '\f';
}

// Title and artist keep at most kSongFieldChars bytes of UTF-8; longer
// text is cut before the character that would not fit.
std::string FitField(std::string text) {
    if (text.size() > kSongFieldChars) text.resize(fw::Utf8CutPoint(text, kSongFieldChars));
    return text;
}

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

// Only a plain run of digits counts as a number, so "-5" or "+5" is text
// and comes back unchanged: the table has nothing a negative number could
// name. 0 counts as no number ("0" itself is handled before).
bool LeadingGenreNumber(const std::string& text, int& index) {
    int value = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value <= kLastGenreIndex) value = value * 10 + (text[i] - '0');
    }
    if (i == 0 || value == 0) return false;
    index = value > kLastGenreIndex ? kLastGenreIndex : value;
    return true;
}

// "Year" first; "Date" only when the host rejected the "Year" request.
bool AskYear(SongInfoSource& src, std::string& year) {
    bool answered = src.QueryExtendedInfo("Year", year);
    if (!answered) {
        year.clear();
        answered = src.QueryExtendedInfo("Date", year);
    }
    return answered && !year.empty();
}

bool AlbumLine(SongInfoSource& src, std::string& line) {
    std::string album;
    if (!src.ExtendedInfo("Album", album)) return false;
    line = "from " + Quoted(TrimmedCopy(album));
    std::string track;
    if (src.ExtendedInfo("Track", track))
        line += " ( Track " + TrimmedCopy(track) + " )";
    std::string year;
    if (AskYear(src, year)) line += ", " + TrimmedCopy(year);
    return true;
}

bool GenreLine(SongInfoSource& src, GenreTableFn genreByIndex,
               std::string& line) {
    std::string genre;
    if (!src.ExtendedInfo("Genre", genre)) return false;
    line = "Genre: " + GenreName(TrimmedCopy(genre), genreByIndex);
    return true;
}

bool IsOpening(const std::string& title) { return IsOpeningTitle(title); }

// The host shows "[Opening] ..." while it connects to a stream. After
// kOpeningRetries waits the placeholder is ignored, so the file name is
// used rather than the placeholder text.
bool SettledPlaylistTitle(SongInfoSource& src, std::string& title, bool& opening) {
    opening = false;
    if (!src.PlaylistTitle(title)) return false;
    for (int tries = 0; IsOpening(title); ++tries) {
        if (tries == kOpeningRetries) return false;
        if (!src.WaitBeforeRetry()) {
            opening = true;  // asked again later
            return false;
        }
        if (!src.PlaylistTitle(title)) return false;
    }
    return true;
}

// "Artist - Song" is split at the first separator.
void TakePlaylistTitle(const std::string& playlistTitle, SongInfo& info) {
    const size_t sep = playlistTitle.find(kTitleSeparator);
    if (sep == std::string::npos) {
        info.title = FitField(TrimmedCopy(playlistTitle));
        return;
    }
    const size_t after = sep + sizeof(kTitleSeparator) - 1;
    info.title = FitField(TrimmedCopy(playlistTitle.substr(after)));
    info.artist = FitField(TrimmedCopy(playlistTitle.substr(0, sep)));
}

void TagTitleAndArtist(SongInfoSource& src, SongInfo& info) {
    std::string value;
    if (src.ExtendedInfo("Title", value)) info.title = FitField(value);
    if (src.ExtendedInfo("Artist", value)) info.artist = FitField(value);
}

void FallBackTitle(SongInfoSource& src, const std::string& songPath,
                   SongInfo& info) {
    if (info.title.empty()) {
        std::string playlistTitle;
        if (SettledPlaylistTitle(src, playlistTitle, info.titleOpening))
            TakePlaylistTitle(playlistTitle, info);
    }
    if (info.title.empty()) info.title = FitField(SongFileTitle(songPath));
}

// Without an artist, a title like "Track 05" says nothing about the song
// (a CD rip), so the file name is shown instead.
void FallBackArtist(const std::string& songPath, SongInfo& info) {
    if (!info.artist.empty() && info.artist != "no artist") return;
    info.artist = kArtistUnavailable;
    if (fw::LowerAscii(info.title).find("track") != std::string::npos)
        info.title = FitField(SongFileTitle(songPath));
}

std::string TitleLine(const SongInfo& info) {
    std::string line = Quoted(TrimmedCopy(info.title));
    if (!info.artist.empty()) line += " by " + Quoted(TrimmedCopy(info.artist));
    return line;
}

}  // namespace

bool SongInfoSource::ExtendedInfo(const char* field, std::string& value) {
    value.clear();
    if (QueryExtendedInfo(field, value) && !value.empty()) return true;
    value.clear();
    return false;
}

bool IsOpeningTitle(const std::string& title) {
    return title.compare(0, sizeof(kOpeningPrefix) - 1, kOpeningPrefix) == 0;
}

std::string TrimmedCopy(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::string GenreName(std::string genre, GenreTableFn genreByIndex) {
    if (!genre.empty() && genre.front() == '(') {
        genre.pop_back();
        if (!genre.empty()) genre.erase(0, 1);
    }
    if (genre == "0") return "Blues";
    if (fw::EqualsIgnoringAsciiCase(genre, "CR")) return "Cover";
    if (fw::EqualsIgnoringAsciiCase(genre, "RX")) return "Remix";
    int index = 0;
    if (genreByIndex != nullptr && LeadingGenreNumber(genre, index)) {
        if (const char* name = genreByIndex(index)) return name;
    }
    return genre;
}

SongInfo BuildSongInfoLines(SongInfoSource& src, const std::string& songPath,
                            bool showSongInfo, GenreTableFn genreByIndex) {
    SongInfo info;
    TagTitleAndArtist(src, info);
    std::string album;
    const bool hasAlbum = AlbumLine(src, album);
    std::string genre;
    const bool hasGenre = GenreLine(src, genreByIndex, genre);
    FallBackTitle(src, songPath, info);
    FallBackArtist(songPath, info);
    if (!showSongInfo) return info;

    info.lines.push_back(TitleLine(info));
    if (hasAlbum) info.lines.push_back(album);
    if (hasGenre) info.lines.push_back(genre);
    info.fileNameLine = static_cast<int>(info.lines.size());
    info.lines.push_back(songPath);
    info.lines.emplace_back();
    return info;
}
