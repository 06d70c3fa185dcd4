// Reading lyric files and the lyrics inside songs into the document, which
// the visible list then shows.
#include "framework/FilePath.h"
#include "framework/Handles.h"
#include "framework/SystemCodePage.h"
#include "framework/Unicode.h"
#include "lyrics/Id3Lyrics.h"
#include "plugin/LyricsPluginApp.h"
#include "ui/LyricsListBox.h"

namespace {

// A lyric file is small; anything larger is no lyric file.
constexpr DWORD kMaxLyricFileBytes = 16 * 1024 * 1024;

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    fw::UniqueFile file(::CreateFileW(fw::Win32Path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxLyricFileBytes) return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD total = 0;
    while (total < bytes.size()) {
        DWORD read = 0;
        // A read error ends the text where it happened.
        if (!::ReadFile(file.get(), &bytes[total], static_cast<DWORD>(bytes.size()) - total, &read, nullptr) || read == 0)
            break;
        total += read;
    }
    bytes.resize(total);
    return true;
}

}  // namespace

int CLyricsPluginApp::VisibleLinesOf(const LyricsDocument& doc) const {
    return static_cast<int>(VisibleList() == DisplayList() ? doc.Shown().size() : doc.RawLines().size());
}

BOOL CLyricsPluginApp::ReadLyricsFile(const std::string& path, int& nextIndex) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return FALSE;
    m_doc.ReadBytes(std::move(bytes), fw::SystemCodePage());
    m_nFileOffsetMs = m_doc.OffsetMs();
    if (VisibleList() == DisplayList()) m_nEditInfoLines = m_doc.LeftOutLines();
    nextIndex += VisibleLinesOf(m_doc);
    return TRUE;
}

BOOL CLyricsPluginApp::ReadTagLyrics(const std::string& songFile, int& nextIndex) {
    TagText lyrics;
    if (!ReadSongTagLyrics(songFile, fw::SystemCodePage(), lyrics)) return FALSE;
    // 8-bit tag text keeps its bytes for the editor's character sets.
    const text::TextForm form{lyrics.eightBit ? text::Encoding::CodePage : text::Encoding::Utf8, false};
    m_doc.Read(lyrics.utf8, form, lyrics.eightBit ? lyrics.bytes : lyrics.utf8);
    m_nFileOffsetMs = m_doc.OffsetMs();
    if (VisibleList() == DisplayList()) m_nEditInfoLines = m_doc.LeftOutLines();
    nextIndex += VisibleLinesOf(m_doc);
    return TRUE;
}
