// The configuration dialog: switches, colours, fonts, the download choice
// and the two folders. It edits a copy of the values; every colour, font and
// folder choice is handed to its target the moment it is made, while the
// switches and the download choice count only when the dialog ends with OK.
#pragma once

#include "framework/FrameWnd.h"
#include "framework/Gdi.h"
#include "framework/Handles.h"

#include <map>
#include <string>

struct ConfigValues {
    BOOL showSongInfo = 1, showOsciloscope = 1, centerHighlight = 1, moveBar = 1, showMenu = 1, searchLyrics = 1;
    BOOL adjustWidth = 0, verticalScroll = 0, centered = 1;  // the display list's
    int tipoDownload = 1;
    COLORREF background = 0, bar = 0, text = 0, titleText = 0, infoText = 0, highlight = 0, highlightText = 0,
             oscBackground = 0, oscLine = 0, banner = 0;
    fw::FontDescription textFont, titleFont, infoFont;
    std::string alternativePath, downloadPath;
};

enum class ConfigFont { Text, Title, Info };
enum class ConfigFolder { Alternative, Download };

// Where the dialog's choices take effect.
class ConfigTarget {
public:
    virtual ~ConfigTarget() = default;
    virtual void ColoursChanged(const ConfigValues& values) = 0;
    virtual void FontChanged(ConfigFont font, const ConfigValues& values) = 0;
    virtual void FolderChanged(ConfigFolder folder, const ConfigValues& values) = 0;
    // A system error message for a failed folder chooser.
    virtual void ShowError(HWND owner, DWORD code) = 0;
};

class CConfigDialog : public fw::CDialog {
public:
    CConfigDialog(HWND owner, const ConfigValues& values, ConfigTarget& target);

    const ConfigValues& Values() const { return m_values; }
    // Ended with OK: the switches and the download choice were taken over.
    bool Accepted() const { return m_bAccepted; }

    // "Arial, 10, Bold, Italic".
    static std::string FontLabel(const fw::FontDescription& font);

protected:
    BOOL OnInitDialog() override;
    INT_PTR DialogProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnOk();
    void EnableDownloadChoices(bool enable) const;
    INT_PTR OnCtlColorStatic(HWND control);
    void OnLButtonDown(POINT pt);
    bool ChooseSwatchColour(int swatch);
    void ChooseLabelFont(int label);
    void ChooseFolder(ConfigFolder folder);
    // The click point lies in the control's rectangle, edges included.
    bool Hits(int control, POINT pt) const;
    COLORREF* ColourOf(int swatch);
    fw::FontDescription* FontOf(int label);
    void WriteFontLabel(int label);

    ConfigValues m_values;
    ConfigTarget& m_target;
    bool m_bAccepted = false;
    std::map<int, fw::UniqueBrush> m_swatchBrushes;  // the brush last answered for each swatch
};
