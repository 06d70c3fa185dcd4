// Any path, host answers and tag lines: the path pieces, the song
// information and the time-tag text helpers stay within their limits.
#include "lyrics/SongInfoText.h"
#include "lyrics/SongPaths.h"
#include "lyrics/TimeTagText.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const char* Genre(int index) { return index >= 0 && index < 148 ? "Genre" : nullptr; }

class FuzzSource : public SongInfoSource {
public:
    explicit FuzzSource(const std::string& text) : m_text(text) {}
    bool QueryExtendedInfo(const char* field, std::string& text) override {
        text = m_text.substr(0, m_text.size() / 2);
        return field[0] % 2 == 0;
    }
    bool PlaylistTitle(std::string& title) override {
        title = m_text;
        return !m_text.empty();
    }
    void WaitBeforeRetry() override {}

private:
    std::string m_text;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string out;
    if (FileInFolder(text.substr(0, size / 2), text, "LRC", out) && out.size() > 3 * kMaxPathUnits) std::abort();
    if (FileBesideSong(text, "TXT", out) && out.size() > 3 * kMaxPathUnits) std::abort();
    IsMp3Path(text);
    GenreName(text, Genre);
    FuzzSource source(text);
    const SongInfo info = BuildSongInfoLines(source, text, true, Genre);
    if (info.title.size() > kSongFieldChars || info.artist.size() > kSongFieldChars || info.artist.empty())
        std::abort();
    std::string line = text;
    RemoveLastTimeTag(line);
    InsertTimeTagText(text, FormatTimeTag(static_cast<int>(size) * 12345));
    return 0;
}
