// The LRC line reader: turns lyric text (UTF-8) into list items and a
// time-tag table.
// Pure C++ so it can be built natively for sanitizers and fuzzing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct TimeTag {
    int nMs;    // milliseconds from the start of the song, to the hundredth
    int nLine;  // list index of the line; -1 ends the table
};

// The file's "[offset:±ms]" header: a positive value shows the lines sooner.
// Kept within an hour either way.
constexpr int kMaxOffsetMs = 3600000;

constexpr int kTimeTagSlots = 200;      // table size; first nLine == -1 ends it
constexpr int kMaxTagsPerRead = 199;    // leaves room for the end mark
constexpr int kLineBufferSize = 512;    // a shown line holds at most 510 bytes of UTF-8
constexpr int kMaxLineChars = 510;
// A line with word tags keeps them up to this many bytes as read.
constexpr int kMaxWordLineBytes = 4096;
// "<mmmm:ss.xxx>", the longest word tag read.
constexpr int kMaxWordTagBytes = 13;

// A time inside a shown line (an enhanced LRC word tag "<mm:ss.xx>"): the
// word that starts at `offset` is sung from `ms` on, as written.
struct WordTime {
    std::size_t offset = 0;  // byte offset into the shown text
    int ms = 0;
};

// The word tags of one shown line, and the time of the line's first "[..]"
// tag, which they are read against (-1: the line has none).
struct LineWords {
    std::vector<WordTime> words;
    int lineTagMs = -1;
};

// Where bytes come from. Next() returns 0..255, or -1 at end of data.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual int Next() = 0;
};

// A whole text, NUL bytes included.
class ViewByteSource : public ByteSource {
public:
    explicit ViewByteSource(std::string_view text) : m_text(text) {}
    int Next() override;

private:
    std::string_view m_text;
    size_t m_nPos = 0;
};

// A NUL-terminated text; the NUL is the end of data. A null pointer is empty.
class TextByteSource : public ByteSource {
public:
    explicit TextByteSource(const char* text) : m_pNext(text) {}
    int Next() override;

private:
    const char* m_pNext;
};

// Reads in blocks through Fill() but hands out the same bytes as one-byte
// reads would. Fill returns the number of bytes stored (at most cap); 0 means
// end of data or a read error, after which no more reads are attempted.
class BufferedByteSource : public ByteSource {
public:
    int Next() override;

protected:
    virtual size_t Fill(char* buf, size_t cap) = 0;

private:
    static constexpr size_t kBlockSize = 4096;
    char m_aBlock[kBlockSize] = {};
    size_t m_nPos = 0;
    size_t m_nLen = 0;
    bool m_bEnded = false;
};

// The list being filled: the display list or the edit list.
class LyricsTarget {
public:
    virtual ~LyricsTarget() = default;
    virtual bool IsDisplayList() const = 0;
    virtual int Count() const = 0;
    virtual void Append(const char* text) = 0;
    // A shown line of the display list with the word tags cut out of it.
    virtual void AppendShown(const char* text, LineWords words) {
        (void)words;
        Append(text);
    }
    virtual void DeleteItem(int index) = 0;
    virtual std::string ItemText(int index) const = 0;
};

// Skips leading spaces and cuts trailing spaces in place; returns the start.
char* TrimSpaces(char* text);

// The empty string at the text's end when it holds only spaces, else the text.
const char* BlankToEmpty(const char* text);

// Cuts the time tags out of one line into table[count..], at most up to
// `capacity` entries; the table needs capacity + 1 slots for the end mark.
// Returns false when the display list is the target and the line carries a
// header tag. With the edit list as target the line comes back unchanged.
bool ParseTimeTags(std::string& line, TimeTag* table, int& count, int lineIndex,
                   int capacity, bool displayTarget);

// A word tag "<mm:ss>", "<mm:ss.x>", "<mm:ss.xx>" or "<mm:ss.xxx>" (one to
// four digits of minutes) at text[pos]: its length and time (to the
// hundredth, like line tags), or 0 when none starts there.
std::size_t WordTagAt(std::string_view text, std::size_t pos, int& ms);

// Cuts the word tags out of a line's text; any other "<...>" stays as text.
// The text is then kept within kMaxLineChars bytes (never cut inside a
// character) and its trailing spaces go when it had word tags; a blank text
// keeps none.
std::vector<WordTime> CutWordTags(std::string& text);

// The value of an "[offset:±ms]" header at the start of a line (case and
// leading spaces ignored); false when the line is no such header.
bool ReadOffsetHeader(const char* line, int& offsetMs);

// Reads every line of `source` into `target`, starting at `nextIndex` and
// leaving there the index after the last item. Starts a new tag table and
// adds the display-list lines it leaves out to `editInfoLines`. The table
// keeps the times as written; the last offset header read goes to
// `offsetMs` when given (0 without one).
bool ReadLyricsLines(ByteSource& source, LyricsTarget& target,
                     TimeTag (&table)[kTimeTagSlots], int& nextIndex,
                     int& editInfoLines, int* offsetMs = nullptr);
