// The lyrics editor: the raw text of the lyrics in an edit control, an
// internet search whose results can be paged through, the text decoded
// again in another character set, and saving into the MP3 or as an LRC file.
#pragma once

#include "framework/FrameWnd.h"
#include "framework/Handles.h"

#include <string>
#include <vector>

class CPluginWnd;

// What the editor asks of the internet search. The dialog lends its
// controls when it opens and takes them back when it closes: after Close
// nothing is written into them any more.
class EditorSearch {
public:
    virtual ~EditorSearch() = default;
    virtual void Open(HWND dialog, const std::string& text) = 0;
    virtual void Close() = 0;
    virtual void StartSearch() = 0;
    virtual void StopSearch() = 0;
    virtual void ShowNextResult() = 0;
    virtual void ShowPreviousResult() = 0;
    virtual void ChangeCodePage(int codePage) = 0;
    // False, after telling the user, when another song plays than the one
    // the editor opened with.
    virtual bool CheckSongUnchanged() = 0;
};

class CDlgEditor : public fw::CDialog {
public:
    // How the dialog ended.
    static constexpr int kSaveIntoMp3 = -1;
    static constexpr int kSaveAsLrc = -2;
    static constexpr int kNothingToSave = 0;

    CDlgEditor(CPluginWnd* frame, EditorSearch& search);

    // The raw lyrics the editor opens with (UTF-8, lines joined by CR LF).
    void SetText(std::string text) { m_strText = std::move(text); }
    void SetTextColour(COLORREF colour) { m_crText = colour; }
    void SetMp3Song(bool mp3) { m_bMp3Song = mp3; }
    // kSaveIntoMp3, kSaveAsLrc, kNothingToSave, or IDCANCEL (also when the
    // dialog could not be shown).
    int Choice() const { return m_nChoice; }
    // The edited text, when the dialog ended with a save.
    const std::string& Text() const { return m_strText; }

    // The list's lines joined with CR LF, none after the last.
    static std::string JoinLines(const std::vector<std::string>& lines);
    // The text cut at every CR LF, empty pieces kept, except an empty one
    // after the last CR LF.
    static std::vector<std::string> SplitLines(const std::string& text);

protected:
    BOOL OnInitDialog() override;
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void MakeFonts();
    void OnFirstPaint();
    INT_PTR OnCtlColor(UINT msg, HDC hdc, HWND control);
    void OnContextMenu(LPARAM lParam);
    bool OnCommand(UINT id);
    void WriteBack(int choice);
    std::string EditText() const;

    CPluginWnd* m_pFrame;
    EditorSearch& m_search;
    fw::UniqueFont m_textFont;
    fw::UniqueFont m_statusFont;
    bool m_bFirstPaintDone = false;
    bool m_bMp3Song = false;
    std::string m_strText;
    COLORREF m_crText = RGB(240, 240, 240);
    fw::UniqueMenu m_contextMenu;
    int m_nChoice = IDCANCEL;
};
