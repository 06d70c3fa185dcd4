// Config: the configuration dialog. Winamp calls it on its own main thread
// while the plugin's windows belong to the visualization thread, and F12 and
// the configuration button call it on that thread itself. The dialog runs on
// the calling thread, so the player stays responsive; it edits a copy of the
// values, and each colour, font and folder choice is handed to the window
// thread as it is made, as is the closing work. When the plugin does not
// run, the dialog shows the stored values and nothing is applied or saved.
#include "framework/TextUtil.h"
#include "plugin/LyricsPluginApp.h"
#include "ui/ConfigDialog.h"
#include "ui/PluginWnd.h"

namespace {

class LiveConfigTarget : public ConfigTarget {
public:
    explicit LiveConfigTarget(CLyricsPluginApp& app) : m_app(app) {}

    void ColoursChanged(const ConfigValues& values) override {
        m_app.RunOnWindowThread([&] { m_app.StoreConfigColours(values); });
    }
    void FontChanged(ConfigFont font, const ConfigValues& values) override {
        m_app.RunOnWindowThread([&] { m_app.StoreConfigFont(font, values); });
    }
    void FolderChanged(ConfigFolder folder, const ConfigValues& values) override {
        m_app.RunOnWindowThread([&] { m_app.StoreConfigFolder(folder, values); });
    }
    void ShowError(HWND owner, DWORD code) override { m_app.ShowFileError(owner, code, "Error", nullptr, nullptr); }

private:
    CLyricsPluginApp& m_app;
};

fw::FontDescription& FontField(CLyricsListBox& list, ConfigFont font) {
    switch (font) {
    case ConfigFont::Title: return list.m_fontTitle;
    case ConfigFont::Info: return list.m_fontInfo;
    default: return list.m_fontText;
    }
}

const fw::FontDescription& FontValue(const ConfigValues& values, ConfigFont font) {
    switch (font) {
    case ConfigFont::Title: return values.titleFont;
    case ConfigFont::Info: return values.infoFont;
    default: return values.textFont;
    }
}

void RedrawFrame(const CPluginWnd& frame) {
    if (frame.IsWindow())
        ::RedrawWindow(frame.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace

void CLyricsPluginApp::Config(winampVisModule* module) {
    ConfigValues values;
    HWND owner = nullptr;
    if (!RunOnWindowThread([&] { PrepareConfig(module, values, owner); })) {
        const auto lifecycle = LockLifecycle();
        EnsureFrameObject();  // the settings live in the frame object
        m_host.module = module;
        m_host.version = m_host.Send(IPC_GETVERSION);
        ChooseSettingsFile(module);
        LoadSettings(module);
        values = ReadConfigValues();
        owner = module ? module->hwndParent : nullptr;
    }
    LiveConfigTarget target(*this);
    CConfigDialog dialog(owner, values, target);
    dialog.DoModal();
    // Once the dialog's loop has ended: a reload now is not held back for it.
    const ConfigValues* accepted = dialog.Accepted() ? &dialog.Values() : nullptr;
    RunOnWindowThread([&] {
        if (accepted) StoreConfigSwitches(*accepted);
        if (IsUsable(DisplayList(), true, false)) {
            LayoutChildren();
            Refresh(true);
        }
        SaveSettings(module);
    });
}

void CLyricsPluginApp::PrepareConfig(winampVisModule* module, ConfigValues& values, HWND& owner) {
    if (IsUsable(DisplayList(), true, true)) {
        owner = m_host.embedWindow;
    } else {
        LoadSettings(module);
        owner = module ? module->hwndParent : nullptr;
    }
    values = ReadConfigValues();
}

ConfigValues CLyricsPluginApp::ReadConfigValues() const {
    ConfigValues v;
    const CPluginWnd& f = *m_pWnd;
    const CLyricsListBox& list = f.m_displayList;
    v.showSongInfo = m_settings.showSongInfo;
    v.showOsciloscope = m_settings.showOsciloscope;
    v.centerHighlight = m_settings.centerHighlight;
    v.moveBar = m_settings.moveBar;
    v.showMenu = m_settings.showMenu;
    v.searchLyrics = m_settings.searchLyrics;
    v.adjustWidth = list.m_bAdjustWidth;
    v.verticalScroll = list.m_bVerticalScroll;
    v.centered = list.m_bCentered;
    v.tipoDownload = m_settings.tipoDownload;
    v.background = f.m_crBackground;
    v.bar = f.m_crBar;
    v.text = list.m_crText;
    v.titleText = list.m_crTitleText;
    v.infoText = list.m_crInfoText;
    v.highlight = list.m_crHighlight;
    v.highlightText = list.m_crHighlightText;
    v.oscBackground = f.m_crOscBackground;
    v.oscLine = f.m_crOscLine;
    v.banner = f.m_crBanner;
    v.textFont = list.m_fontText;
    v.titleFont = list.m_fontTitle;
    v.infoFont = list.m_fontInfo;
    v.alternativePath = m_settings.alternativeLRCPath;
    v.downloadPath = m_settings.downloadLRCPath;
    return v;
}

void CLyricsPluginApp::StoreConfigColours(const ConfigValues& v) {
    CPluginWnd& f = *m_pWnd;
    CLyricsListBox& list = f.m_displayList;
    f.m_crBackground = v.background;
    f.m_crBar = v.bar;
    list.m_crText = v.text;
    list.m_crTitleText = v.titleText;
    list.m_crInfoText = v.infoText;
    list.m_crHighlight = v.highlight;
    list.m_crHighlightText = v.highlightText;
    f.m_crOscBackground = v.oscBackground;
    f.m_crOscLine = v.oscLine;  // the oscilloscope's next frame draws in them
    f.ApplyColours();
    RedrawFrame(f);
}

void CLyricsPluginApp::StoreConfigFont(ConfigFont font, const ConfigValues& values) {
    CLyricsListBox* list = DisplayList();
    const bool wasReduced = IsReducedHeight();
    FontField(*list, font) = FontValue(values, font);
    MeasureLineHeight(list->m_hWnd);
    m_bReload = 1;
    if (!IsUsable(list, true, false)) return;
    RedrawFrame(*m_pWnd);
    Render(m_host.module);
    if (wasReduced && !IsReducedHeight()) ToggleReducedMode();
}

void CLyricsPluginApp::StoreConfigFolder(ConfigFolder folder, const ConfigValues& values) {
    if (folder == ConfigFolder::Alternative)
        m_settings.alternativeLRCPath = values.alternativePath;
    else
        m_settings.downloadLRCPath = values.downloadPath;
}

void CLyricsPluginApp::StoreConfigSwitches(const ConfigValues& v) {
    CLyricsListBox& list = m_pWnd->m_displayList;
    m_settings.showSongInfo = v.showSongInfo;
    m_settings.showOsciloscope = v.showOsciloscope;
    m_settings.centerHighlight = v.centerHighlight;
    m_settings.moveBar = v.moveBar;
    m_settings.showMenu = v.showMenu;
    m_settings.searchLyrics = v.searchLyrics;
    list.m_bAdjustWidth = v.adjustWidth;
    list.m_bVerticalScroll = v.verticalScroll;
    list.m_bCentered = v.centered;
    m_settings.tipoDownload = v.tipoDownload;
}
