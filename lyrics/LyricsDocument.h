// The lyrics of the loaded song, window-free: every line as read (the edit
// view, which saves write back), the lines the display shows with their
// time tags, the file's offset, and where and in which encoding the text
// came. The two lists of the frame only show it.
#pragma once

#include "lyrics/LrcReader.h"
#include "lyrics/TextEncoding.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Where a load found the lyrics; its letter goes into the origin label.
enum class LyricsOrigin : char { External = 'E', InsideSong = 'I', Downloaded = 'U' };

struct ShownLine {
    std::string text;  // time tags and word tags cut out
    std::vector<WordTime> words;
    int lineTagMs = -1;  // the line's first "[..]" tag, which word times are read against
};

class LyricsDocument {
public:
    // Reads lyric text, replacing what the document held. The text is UTF-8;
    // `form` and `original` say how it was stored, for saving it back and
    // for reading the same bytes in another character set.
    void Read(std::string_view utf8, text::TextForm form = {}, std::string original = {});
    // Reads stored bytes: decoded by a byte-order mark, UTF-8 validity, or
    // else the given code page.
    void ReadBytes(std::string bytes, const text::CodePage& codePage);
    void Clear();

    // Every source line as read, time tags and header lines included.
    const std::vector<std::string>& RawLines() const { return m_raw; }
    // Time tags of the raw lines (nLine indexes RawLines).
    const std::vector<TimeTag>& RawTags() const { return m_rawTags; }
    // An edit of one raw line (time-tag editing); false when out of range.
    bool ReplaceRawLine(std::size_t index, std::string text);
    // The raw lines the editor hands back: they are what the next save writes.
    void SetRawLines(std::vector<std::string> lines) { m_raw = std::move(lines); }
    // The raw lines joined by CR LF: the text every save writes.
    std::string JoinedRawText() const;

    // The lines the display shows, tags cut out; header lines, leading
    // blanks and untimed lines before the first timed one left out.
    const std::vector<ShownLine>& Shown() const { return m_shown; }
    // Time tags of the shown lines (nLine indexes Shown).
    const std::vector<TimeTag>& ShownTags() const { return m_shownTags; }
    // Source lines the display leaves out.
    int LeftOutLines() const { return m_nLeftOut; }
    // The last "[offset:]" header read, in ms (0 without one).
    int OffsetMs() const { return m_nOffsetMs; }

    text::TextForm Form() const { return m_form; }
    // The bytes the text was read from ("" when it came as text).
    const std::string& OriginalBytes() const { return m_original; }

    // Where the lyrics were loaded from: a file ("" for the song's own tags).
    std::string sourcePath;
    std::string extension = "LRC";
    LyricsOrigin origin = LyricsOrigin::External;

private:
    std::vector<std::string> m_raw;
    std::vector<TimeTag> m_rawTags;
    std::vector<ShownLine> m_shown;
    std::vector<TimeTag> m_shownTags;
    int m_nLeftOut = 0;
    int m_nOffsetMs = 0;
    text::TextForm m_form;
    std::string m_original;
};

// The tags of a view copied into a fixed table (at most kMaxTagsPerRead,
// then the end mark), with `lineShift` added to every line index.
void FillTimeTagTable(const std::vector<TimeTag>& tags, int lineShift, TimeTag (&table)[kTimeTagSlots]);
