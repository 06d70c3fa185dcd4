// Any bytes read as lyrics, into the display list and the edit list: the
// reader must stay inside its buffers and keep its table well formed, and
// the word tags it cuts out of shown lines must point into their text.
#include "lyrics/LrcReader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class VectorTarget : public LyricsTarget {
public:
    explicit VectorTarget(bool display) : m_display(display) {}
    bool IsDisplayList() const override { return m_display; }
    int Count() const override { return static_cast<int>(items.size()); }
    void Append(const char* text) override { items.emplace_back(text); }
    void AppendShown(const char* text, LineWords words) override {
        if (!m_display) std::abort();
        std::size_t last = 0;
        for (const WordTime& word : words.words) {
            if (word.offset < last || word.offset > std::strlen(text)) std::abort();
            last = word.offset;
        }
        Append(text);
    }
    void DeleteItem(int index) override {
        if (index < 0 || index >= Count()) std::abort();
        items.erase(items.begin() + index);
    }
    std::string ItemText(int index) const override {
        if (index < 0 || index >= Count()) std::abort();
        return items[static_cast<size_t>(index)];
    }
    std::vector<std::string> items;

private:
    bool m_display;
};

// Only a line with a word tag is kept longer than kMaxLineChars.
bool HasWordTag(const std::string& line) {
    int ms = 0;
    for (std::size_t at = line.find('<'); at != std::string::npos; at = line.find('<', at + 1))
        if (WordTagAt(line, at, ms) > 0) return true;
    return false;
}

void Check(const TimeTag (&table)[kTimeTagSlots], const VectorTarget& target) {
    int used = 0;
    while (used < kTimeTagSlots && table[used].nLine != -1) {
        if (table[used].nMs < 0 || table[used].nLine < 0 || table[used].nLine >= target.Count()) std::abort();
        ++used;
    }
    if (used > kMaxTagsPerRead) std::abort();
    for (const std::string& item : target.items) {
        if (item.size() > static_cast<size_t>(target.IsDisplayList() ? kMaxLineChars : kMaxWordLineBytes))
            std::abort();
        if (item.size() > static_cast<size_t>(kMaxLineChars) && !HasWordTag(item)) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);  // stops at the first NUL
    for (bool display : {true, false}) {
        VectorTarget target(display);
        if (display) target.Append("info line");
        TimeTag table[kTimeTagSlots];
        int next = target.Count();
        int editInfoLines = 0;
        TextByteSource source(text.c_str());
        ReadLyricsLines(source, target, table, next, editInfoLines);
        if (next != target.Count()) std::abort();
        Check(table, target);
    }
    return 0;
}
