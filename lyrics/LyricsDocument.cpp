#include "lyrics/LyricsDocument.h"

#include <utility>

namespace {

// A view filled by the line reader.
class LineCollector : public LyricsTarget {
public:
    explicit LineCollector(bool display) : m_bDisplay(display) {}
    bool IsDisplayList() const override { return m_bDisplay; }
    int Count() const override { return static_cast<int>(lines.size()); }
    void Append(const char* text) override { lines.push_back(ShownLine{text, {}, -1}); }
    void AppendShown(const char* text, LineWords words) override {
        lines.push_back(ShownLine{text, std::move(words.words), words.lineTagMs});
    }
    void DeleteItem(int index) override {
        if (index >= 0 && index < Count()) lines.erase(lines.begin() + index);
    }
    std::string ItemText(int index) const override {
        return index >= 0 && index < Count() ? lines[static_cast<size_t>(index)].text : std::string();
    }

    std::vector<ShownLine> lines;

private:
    bool m_bDisplay;
};

std::vector<TimeTag> UsedTags(const TimeTag (&table)[kTimeTagSlots]) {
    std::vector<TimeTag> tags;
    for (int i = 0; i < kTimeTagSlots && table[i].nLine != -1; ++i) tags.push_back(table[i]);
    return tags;
}

}  // namespace

void LyricsDocument::Clear() {
    m_raw.clear();
    m_rawTags.clear();
    m_shown.clear();
    m_shownTags.clear();
    m_nLeftOut = 0;
    m_nOffsetMs = 0;
    m_form = text::TextForm{};
    m_original.clear();
}

void LyricsDocument::Read(std::string_view utf8, text::TextForm form, std::string original) {
    Clear();
    m_form = form;
    m_original = std::move(original);
    TimeTag table[kTimeTagSlots];

    // The display view: what the reader leaves in a list it shows.
    LineCollector display(true);
    ViewByteSource displaySource(utf8);
    int next = 0;
    ReadLyricsLines(displaySource, display, table, next, m_nLeftOut, &m_nOffsetMs);
    m_shownTags = UsedTags(table);
    m_shown = std::move(display.lines);

    // The edit view: every line with its tags.
    LineCollector edit(false);
    ViewByteSource editSource(utf8);
    next = 0;
    int unused = 0;
    ReadLyricsLines(editSource, edit, table, next, unused);
    m_rawTags = UsedTags(table);
    m_raw.reserve(edit.lines.size());
    for (ShownLine& line : edit.lines) m_raw.push_back(std::move(line.text));
}

void LyricsDocument::ReadBytes(std::string bytes, const text::CodePage& codePage) {
    text::DecodedText decoded = text::DecodeBytes(bytes, codePage);
    Read(decoded.utf8, decoded.form, std::move(bytes));
}

bool LyricsDocument::ReplaceRawLine(std::size_t index, std::string text) {
    if (index >= m_raw.size()) return false;
    m_raw[index] = std::move(text);
    return true;
}

std::string LyricsDocument::JoinedRawText() const {
    std::string text;
    for (std::size_t i = 0; i < m_raw.size(); ++i) {
        if (i > 0) text += "\r\n";
        text += m_raw[i];
    }
    return text;
}

void FillTimeTagTable(const std::vector<TimeTag>& tags, int lineShift, TimeTag (&table)[kTimeTagSlots]) {
    int used = 0;
    for (const TimeTag& tag : tags) {
        if (used >= kMaxTagsPerRead) break;
        table[used++] = TimeTag{tag.nMs, tag.nLine + lineShift};
    }
    table[used].nLine = -1;
}
