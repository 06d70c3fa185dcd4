// Reading lyric files, texts and the lyrics inside songs into the visible
// list through the LRC reader.
#include "framework/Handles.h"
#include "lyrics/Id3Lyrics.h"
#include "lyrics/LrcReader.h"
#include "plugin/LyricsPluginApp.h"
#include "ui/LyricsListBox.h"

namespace {

// A lyric list window as the reader's target.
class ListBoxTarget : public LyricsTarget {
public:
    ListBoxTarget(CLyricsListBox& list, bool display) : m_list(list), m_display(display) {}
    bool IsDisplayList() const override { return m_display; }
    int Count() const override { return m_list.GetCount(); }
    void Append(const char* text) override { m_list.AddString(text); }
    void DeleteItem(int index) override { m_list.DeleteString(index); }
    std::string ItemText(int index) const override { return m_list.GetText(index); }

private:
    CLyricsListBox& m_list;
    bool m_display;
};

class FileByteSource : public BufferedByteSource {
public:
    explicit FileByteSource(HANDLE file) : m_file(file) {}

protected:
    size_t Fill(char* buf, size_t cap) override {
        DWORD read = 0;
        if (!::ReadFile(m_file, buf, static_cast<DWORD>(cap), &read, nullptr)) return 0;
        return read;
    }

private:
    HANDLE m_file;
};

}  // namespace

static BOOL ReadInto(CLyricsPluginApp& app, ByteSource& source, int& nextIndex) {
    CLyricsListBox* list = app.VisibleList();
    if (!list || !list->IsWindow()) return FALSE;
    ListBoxTarget target(*list, list == app.DisplayList());
    ReadLyricsLines(source, target, app.m_aTimeTags, nextIndex, app.m_nEditInfoLines, &app.m_nFileOffsetMs);
    if (CLyricsListBox* display = app.DisplayList())
        ::RedrawWindow(display->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return TRUE;
}

BOOL CLyricsPluginApp::ReadLyricsFile(const char* path, int& nextIndex) {
    fw::UniqueFile file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return FALSE;
    FileByteSource source(file.get());
    return ReadInto(*this, source, nextIndex);
}

BOOL CLyricsPluginApp::ReadLyricsText(const char* text, int& nextIndex) {
    TextByteSource source(text);
    return ReadInto(*this, source, nextIndex);
}

BOOL CLyricsPluginApp::ReadTagLyrics(const char* songFile, int& nextIndex) {
    std::string lyrics;
    if (!ReadSongTagLyrics(songFile, lyrics)) return FALSE;
    return ReadLyricsText(lyrics.c_str(), nextIndex);
}

BOOL CLyricsPluginApp::ReadLyrics3(HANDLE file, uint64_t start, int version, size_t length, int& nextIndex) {
    std::string lyrics;
    if (!ReadLyrics3Text(file, start, version, length, lyrics)) return FALSE;
    return ReadLyricsText(lyrics.c_str(), nextIndex);
}
