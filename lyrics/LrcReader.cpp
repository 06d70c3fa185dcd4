#include "lyrics/LrcReader.h"

#include "framework/TextUtil.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr int kCR = '\r';
constexpr int kLF = '\n';

bool IsLineEnd(int b) { return b == kCR || b == kLF; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// ---------------------------------------------------------------------------
// Splitting bytes into raw lines

// A line ends at CR or LF; a CR or LF right after it belongs to the same line
// end. The text is UTF-8 and a line holds at most kMaxLineChars bytes of it,
// never a part of a character. Once a line is full, one more character is
// lost:
//  - a character arriving then, or one the limit falls inside, is the
//    character at the cut and is dropped with all its bytes;
//  - a CR or LF arriving then ends the line as usual, and the byte after the
//    line end is dropped instead of starting the next line (unless it is
//    itself CR or LF, which just completes the line end).
// Reading then resumes with a new line, so a 511-byte last line without a
// line end is followed by one more (empty) line.
// A line with a word tag in its first kMaxWordLineBytes bytes holds up to
// that many bytes instead, so that saving writes its tags back; it is cut
// before the character or word tag the limit falls inside, and the rest,
// nothing lost, starts the next line.
class RawLineReader {
public:
    explicit RawLineReader(ByteSource& source) : m_source(source) {}

    // Fills `line` with the next line; false when the line ended with the data.
    bool ReadLine(std::string& line)
    {
        line.clear();
        const bool words = LineAheadHasWordTag();
        const size_t limit = words ? kMaxWordLineBytes : kMaxLineChars;
        for (;;) {
            const int b = Read();
            if (b < 0)
                return false;
            if (IsLineEnd(b)) {
                const int after = Read();
                if (after >= 0 && !IsLineEnd(after)) {
                    if (words || line.size() < static_cast<size_t>(kMaxLineChars))
                        PushBack(std::string(1, static_cast<char>(after)));  // the first byte of the next line
                    else
                        DropContinuationBytes();
                }
                return true;
            }
            if (line.size() == limit) {
                if (words) {
                    CutWordLine(line, b);
                } else {
                    line.resize(CutBefore(line, b));
                    DropContinuationBytes();
                }
                return true;
            }
            line += static_cast<char>(b);
        }
    }

private:
    // Where a full line ends when `next` arrives: before the lead byte of a
    // character that `next` continues, else after all it holds.
    static size_t CutBefore(const std::string& buf, int next)
    {
        const size_t len = buf.size();
        if ((next & 0xC0) != 0x80)
            return len;
        size_t lead = len;
        while (lead > 0 && len - lead < 3 && (static_cast<unsigned char>(buf[lead - 1]) & 0xC0) == 0x80)
            --lead;
        if (lead > 0 && static_cast<unsigned char>(buf[lead - 1]) >= 0xC0)
            return lead - 1;
        return len;
    }

    // A full line of word tags: cut before the character or the word tag
    // that the limit falls inside; what follows the cut starts the next line.
    void CutWordLine(std::string& line, int next)
    {
        size_t cut = CutBefore(line, next);
        std::string rest = line.substr(cut) + static_cast<char>(next);
        const size_t from = cut > static_cast<size_t>(kMaxWordTagBytes) ? cut - kMaxWordTagBytes : 0;
        for (size_t open = line.find('<', from); open != std::string::npos && open < cut;
             open = line.find('<', open + 1)) {
            std::string around = line.substr(open, cut - open) + rest;
            for (size_t i = m_nPos; i < m_pending.size() && around.size() < kMaxWordTagBytes; ++i)
                around += m_pending[i];
            int ms = 0;
            if (open + WordTagAt(around, 0, ms) > cut) {
                cut = open;
                break;
            }
        }
        PushBack(line.substr(cut, line.size() - cut) + static_cast<char>(next));
        line.resize(cut);
    }

    // The rest of the character whose first byte was dropped at the cut; the
    // byte after it starts the next line.
    void DropContinuationBytes()
    {
        int b = Read();
        while (b >= 0 && (b & 0xC0) == 0x80)
            b = Read();
        if (b >= 0)
            PushBack(std::string(1, static_cast<char>(b)));
    }

    // Whether the line about to be read has a whole word tag within its
    // first kMaxWordLineBytes bytes: the bytes up to its end (or a little
    // past that limit) are read ahead.
    bool LineAheadHasWordTag()
    {
        const size_t window = kMaxWordLineBytes + kMaxWordTagBytes;
        size_t len = 0;
        bool ended = false;
        while (!ended && len < window) {
            if (m_nPos + len == m_pending.size()) {
                const int b = SourceNext();
                if (b < 0)
                    break;
                m_pending += static_cast<char>(b);
            }
            ended = IsLineEnd(static_cast<unsigned char>(m_pending[m_nPos + len]));
            if (!ended)
                ++len;
        }
        const std::string_view line(m_pending.data() + m_nPos, len);
        for (size_t open = line.find('<'); open != std::string_view::npos && open < static_cast<size_t>(kMaxWordLineBytes);
             open = line.find('<', open + 1)) {
            int ms = 0;
            const size_t tag = WordTagAt(line, open, ms);
            if (tag > 0 && open + tag <= static_cast<size_t>(kMaxWordLineBytes))
                return true;
        }
        return false;
    }

    // Bytes read ahead or given back come first.
    int Read()
    {
        if (m_nPos < m_pending.size())
            return static_cast<unsigned char>(m_pending[m_nPos++]);
        m_pending.clear();
        m_nPos = 0;
        return SourceNext();
    }

    void PushBack(const std::string& bytes)
    {
        m_pending.replace(0, m_nPos, bytes);
        m_nPos = 0;
    }

    // Once the source reports the end, it stays ended (a failed file read
    // must not be retried).
    int SourceNext()
    {
        if (m_bEnded)
            return -1;
        const int b = m_source.Next();
        if (b < 0)
            m_bEnded = true;
        return b;
    }

    ByteSource& m_source;
    std::string m_pending;  // read from the source, not yet taken
    size_t m_nPos = 0;      // the next byte of m_pending to take
    bool m_bEnded = false;
};

// Trailing blanks go before tags are looked for, but a lone character stays.
void CutTrailingBlanks(std::string& line)
{
    size_t len = line.size();
    while (len > 1 && line[len - 1] == ' ')
        --len;
    line.resize(len);
}

// ---------------------------------------------------------------------------
// Time tags

bool IsHeaderName(const std::string& name)
{
    static const char* const kHeaders[] = {
        "[title", "[ti", "[artist", "[ar", "[album",
        "[al",    "[language", "[la", "[offset",
    };
    for (const char* header : kHeaders) {
        if (name.size() != std::strlen(header))
            continue;
        bool same = true;
        for (size_t i = 0; same && i < name.size(); ++i) {
            same = fw::LowerAscii(name[i]) == header[i];
        }
        if (same)
            return true;
    }
    return false;
}

// Value of the digits starting at `pos`. Hostile input may carry any number
// of digits, so the value saturates just above INT_MAX instead of overflowing.
long long DigitsValue(const std::string& text, size_t pos)
{
    long long value = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > INT_MAX)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    return value;
}

enum class TagTime { kStored, kOutOfRange, kMalformed };

// Hundredths of a second written after the seconds as ".x", ".xx", ".xxx"
// or ":xx"; a third digit is cut. 0 when there is no fraction.
int FractionMs(const std::string& group, size_t pos)
{
    if (pos + 1 >= group.size() || (group[pos] != '.' && group[pos] != ':') ||
        !IsDigit(group[pos + 1]))
        return 0;
    int ms = 0;
    int scale = 100;
    for (size_t i = pos + 1; i < group.size() && IsDigit(group[i]) && scale >= 10; ++i) {
        ms += (group[i] - '0') * scale;
        scale /= 10;
    }
    return ms;
}

// Reads M, S and the fraction of a group "[M:S...]" whose first character is
// a digit; only the leading digits of S count, then an optional fraction,
// whatever ends them. A time that does not fit an int of milliseconds is
// treated like a negative one: the tag is cut out but not stored.
TagTime ReadTagTime(const std::string& group, size_t colon, int& ms)
{
    if (colon + 1 >= group.size() || !IsDigit(group[colon + 1]))
        return TagTime::kMalformed;
    size_t end = colon + 1;
    while (end < group.size() && IsDigit(group[end]))
        ++end;
    const long long total = DigitsValue(group, 1) * 60000 +
                            DigitsValue(group, colon + 1) * 1000 +
                            FractionMs(group, end);
    if (total > INT_MAX)
        return TagTime::kOutOfRange;
    ms = static_cast<int>(total);
    return TagTime::kStored;
}

void StoreTag(TimeTag* table, int& count, int ms, int lineIndex)
{
    table[count].nMs = ms;
    table[count].nLine = lineIndex;
    ++count;
    table[count].nLine = -1;
}

// ---------------------------------------------------------------------------
// Filling the target list

class LineLoader {
public:
    LineLoader(LyricsTarget& target, TimeTag (&table)[kTimeTagSlots],
               int startIndex, int& editInfoLines)
        : m_target(target), m_aTable(table), m_nStart(startIndex),
          m_nCurrent(startIndex), m_nEditInfoLines(editInfoLines)
    {
        m_aTable[0].nLine = -1;
    }

    void AddLine(std::string& line)
    {
        const bool display = m_target.IsDisplayList();
        CutTrailingBlanks(line);
        ReadOffsetHeader(line.c_str(), m_nOffsetMs);
        const int before = m_nCount;
        bool keep = ParseTimeTags(line, m_aTable, m_nCount, m_nCurrent,
                                  kMaxTagsPerRead, display);
        LineWords words;
        if (display && keep) {
            words.words = CutWordTags(line);
            if (m_nCount > before)
                words.lineTagMs = m_aTable[before].nMs;
        }
        const char* text = BlankToEmpty(line.c_str());

        if (display && *text == '\0') {
            DropZeroTags(before);
            if (m_nCurrent == m_nStart)
                keep = false;
        }
        if (!keep) {
            ++m_nEditInfoLines;
            return;
        }
        if (display && before == 0 && m_nCount > 0)
            DropUntimedLines();
        if (display)
            m_target.AppendShown(text, std::move(words));
        else
            m_target.Append(text);
        ++m_nCurrent;
    }

    void Finish()
    {
        if (m_target.IsDisplayList())
            DropTrailingBlankItems();
        DropTagsPastTheEnd();
    }

    int CurrentIndex() const { return m_nCurrent; }
    int OffsetMs() const { return m_nOffsetMs; }

private:
    // An empty line timed only at 0:00 is noise; any other time marks a pause.
    void DropZeroTags(int before)
    {
        for (int i = before; i < m_nCount; ++i) {
            if (m_aTable[i].nMs != 0)
                return;
        }
        m_nCount = before;
        m_aTable[m_nCount].nLine = -1;
    }

    // The first timed line removes the untimed lines read before it; stored
    // entries move up with the list.
    void DropUntimedLines()
    {
        const int removed = m_nCurrent - m_nStart;
        if (removed <= 0)
            return;
        while (m_nCurrent > m_nStart)
            m_target.DeleteItem(--m_nCurrent);
        for (int i = 0; i < m_nCount; ++i)
            m_aTable[i].nLine -= removed;
        m_nEditInfoLines += removed;
    }

    void DropTrailingBlankItems()
    {
        while (m_nCurrent > m_nStart) {
            char item[kLineBufferSize];
            fw::CopyBounded(item, sizeof item, m_target.ItemText(m_nCurrent - 1));
            if (*TrimSpaces(item) != '\0')
                break;
            m_target.DeleteItem(--m_nCurrent);
        }
    }

    // A tag of a line left out belongs to the next line shown; when none
    // came after it, or the line went with the trailing blanks, it belongs
    // to no line and goes.
    void DropTagsPastTheEnd()
    {
        int kept = 0;
        for (int i = 0; i < m_nCount; ++i) {
            if (m_aTable[i].nLine < m_nCurrent)
                m_aTable[kept++] = m_aTable[i];
        }
        m_nCount = kept;
        m_aTable[m_nCount].nLine = -1;
    }

    LyricsTarget& m_target;
    TimeTag (&m_aTable)[kTimeTagSlots];
    const int m_nStart;
    int m_nCurrent;
    int m_nCount = 0;
    int& m_nEditInfoLines;
    int m_nOffsetMs = 0;
};

}  // namespace

// ---------------------------------------------------------------------------

int ViewByteSource::Next()
{
    if (m_nPos >= m_text.size())
        return -1;
    return static_cast<unsigned char>(m_text[m_nPos++]);
}

int TextByteSource::Next()
{
    if (m_pNext == nullptr || *m_pNext == '\0')
        return -1;
    return static_cast<unsigned char>(*m_pNext++);
}

int BufferedByteSource::Next()
{
    if (m_nPos == m_nLen) {
        if (m_bEnded)
            return -1;
        const size_t got = Fill(m_aBlock, kBlockSize);
        if (got == 0) {
            m_bEnded = true;
            return -1;
        }
        m_nPos = 0;
        m_nLen = got < kBlockSize ? got : kBlockSize;
    }
    return static_cast<unsigned char>(m_aBlock[m_nPos++]);
}

char* TrimSpaces(char* text)
{
    while (*text == ' ')
        ++text;
    size_t len = std::strlen(text);
    while (len > 0 && text[len - 1] == ' ')
        text[--len] = '\0';
    return text;
}

const char* BlankToEmpty(const char* text)
{
    const char* p = text;
    while (*p == ' ')
        ++p;
    return *p == '\0' ? p : text;
}

bool ParseTimeTags(std::string& line, TimeTag* table, int& count, int lineIndex,
                   int capacity, bool displayTarget)
{
    std::string text = line;
    bool keep = true;
    bool restore = !displayTarget;

    while (count < capacity) {
        const size_t open = text.find('[');
        if (open == std::string::npos)
            break;
        const size_t close = text.find(']', open + 1);
        if (close == std::string::npos) {
            restore = true;
            break;
        }
        const std::string group = text.substr(open, close - open + 1);
        const size_t colon = group.find(':');
        if (colon == std::string::npos) {
            restore = true;
            break;
        }
        if (!IsDigit(group[1])) {
            if (displayTarget && IsHeaderName(group.substr(0, colon)))
                keep = false;
            restore = true;
            break;
        }
        int ms = 0;
        const TagTime time = ReadTagTime(group, colon, ms);
        if (time == TagTime::kMalformed) {
            restore = true;
            break;
        }
        if (time == TagTime::kStored)
            StoreTag(table, count, ms, lineIndex);
        text.erase(open, close - open + 1);
    }

    // A header line is dropped whole, so its text is left as it is.
    if (!(keep && restore))
        line = std::move(text);
    return keep;
}

std::size_t WordTagAt(std::string_view text, std::size_t pos, int& ms)
{
    size_t i = pos;
    auto digits = [&](size_t most, int& value) {
        const size_t from = i;
        value = 0;
        while (i < text.size() && i - from < most && IsDigit(text[i]))
            value = value * 10 + (text[i++] - '0');
        return i - from;
    };
    if (i >= text.size() || text[i++] != '<')
        return 0;
    int minutes = 0, seconds = 0, fraction = 0;
    if (digits(4, minutes) == 0 || i >= text.size() || text[i++] != ':')
        return 0;
    if (digits(2, seconds) != 2 || i >= text.size())
        return 0;
    if (text[i] == '.') {
        ++i;
        const size_t n = digits(3, fraction);
        if (n == 0)
            return 0;
        fraction = n == 1 ? fraction * 100 : (n == 2 ? fraction * 10 : fraction / 10 * 10);
    }
    if (i >= text.size() || text[i++] != '>')
        return 0;
    ms = minutes * 60000 + seconds * 1000 + fraction;
    return i - pos;
}

namespace {

// Keeps a shown text within kMaxLineChars bytes, never cutting a character.
void CutToShownLimit(std::string& text)
{
    if (text.size() <= static_cast<size_t>(kMaxLineChars))
        return;
    size_t cut = kMaxLineChars;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    text.resize(cut);
}

}  // namespace

std::vector<WordTime> CutWordTags(std::string& text)
{
    std::vector<WordTime> words;
    // The reader lets a line that looked like it had word tags run longer;
    // when none is left here (a tag inside a time tag, or a broken one),
    // the text is shown within the usual limit all the same.
    if (text.find('<') == std::string::npos) {
        CutToShownLimit(text);
        return words;
    }
    std::string shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        int ms = 0;
        const size_t tag = text[i] == '<' ? WordTagAt(text, i, ms) : 0;
        if (tag > 0) {
            words.push_back(WordTime{shown.size(), ms});
            i += tag;
        } else {
            shown += text[i++];
        }
    }
    if (words.empty()) {
        CutToShownLimit(text);
        return words;
    }
    // The line is shown as a C string: it ends at a NUL.
    shown.resize(std::min(shown.size(), std::strlen(shown.c_str())));
    CutToShownLimit(shown);
    while (!words.empty() && words.back().offset > shown.size())
        words.pop_back();  // their words are not shown
    while (!shown.empty() && shown.back() == ' ')
        shown.pop_back();
    if (*BlankToEmpty(shown.c_str()) == '\0')
        words.clear();
    for (WordTime& word : words)
        word.offset = word.offset < shown.size() ? word.offset : shown.size();
    text = std::move(shown);
    return words;
}

bool ReadOffsetHeader(const char* line, int& offsetMs)
{
    static const char kHeader[] = "[offset:";
    while (*line == ' ')
        ++line;
    for (size_t i = 0; kHeader[i]; ++i) {
        if (fw::LowerAscii(line[i]) != kHeader[i])
            return false;
    }
    const char* p = line + sizeof(kHeader) - 1;
    while (*p == ' ')
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    if (!IsDigit(*p))
        return false;
    long long value = 0;
    for (; IsDigit(*p); ++p) {
        if (value <= kMaxOffsetMs)
            value = value * 10 + (*p - '0');
    }
    while (*p == ' ')
        ++p;
    if (*p != ']')
        return false;
    if (value > kMaxOffsetMs)
        value = kMaxOffsetMs;
    offsetMs = static_cast<int>(negative ? -value : value);
    return true;
}

bool ReadLyricsLines(ByteSource& source, LyricsTarget& target,
                     TimeTag (&table)[kTimeTagSlots], int& nextIndex,
                     int& editInfoLines, int* offsetMs)
{
    RawLineReader reader(source);
    LineLoader loader(target, table, nextIndex, editInfoLines);
    std::string line;
    bool more = true;
    while (more) {
        more = reader.ReadLine(line);
        loader.AddLine(line);
    }
    loader.Finish();
    nextIndex = loader.CurrentIndex();
    if (offsetMs)
        *offsetMs = loader.OffsetMs();
    return true;
}
