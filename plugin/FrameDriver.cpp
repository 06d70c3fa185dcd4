// The frame driver: every call follows the playing song, loads its lyrics on
// a change or a request, and otherwise moves the highlight with the play time.
#include "framework/Gdi.h"
#include "framework/MessageBox.h"
#include "lyrics/LyricFiles.h"
#include "lyrics/LyricsLocations.h"
#include "lyrics/SongPaths.h"
#include "plugin/LyricsPluginApp.h"
#include "res/resource.h"
#include "ui/PluginWnd.h"

#include <array>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void CLyricsPluginApp::Refresh(bool reload) {
    m_bReload = reload ? 1 : 0;
    if (IsUsable(static_cast<HWND>(nullptr), false, false)) {
        CLyricsListBox& list = m_pWnd->m_displayList;
        const RECT frame = m_pWnd->GetClientRect();
        const RECT rc = list.GetWindowRect();
        const int listWidth = rc.right - rc.left;
        list.MoveWindow(0, 0, 2 * frame.right - listWidth + 1, rc.bottom - rc.top, true);
        m_pWnd->Invalidate();
        m_pWnd->UpdateWindow();
    }
    Render(m_host.module);
}

// The reload runs on the window thread, which owns the lists; elsewhere the
// flag alone makes its next frame reload. While a message box or dialog of
// ours is open, or edit mode holds unsaved changes, only the flag is set: a
// frame takes the new lyrics up once it is safe.
void CLyricsPluginApp::OnNewLyrics() {
    m_bNewLyrics = 1;
    if (FrameWindow() && IsWindowThread() && IsSafeToReplaceLyrics()) Refresh(true);
}

int CLyricsPluginApp::RenderFromHost(winampVisModule* module) {
    m_nLastHostRender = ::GetTickCount();
    return Render(module);
}

void CLyricsPluginApp::FollowWhileNoRender() {
    if (::GetTickCount() - m_nLastHostRender < CPluginWnd::kFollowPeriodMs) return;
    Render(m_host.module);
}

void CLyricsPluginApp::LeaveRender() {
    m_nRenderThread = 0;
    m_bInRender = 0;
}

int CLyricsPluginApp::Render(winampVisModule* module) {
    const bool newAtEntry = m_bNewLyrics;
    if (!module) return 0;
    if (m_bInRender.exchange(1)) return 0;
    // Quit sets the closing flag before it waits for m_bInRender: one of the
    // two always sees the other.
    if (m_bWindowsClosing || !IsUsable(static_cast<HWND>(nullptr), false, false)) {
        m_bInRender = 0;
        return 0;
    }
    m_nRenderThread = ::GetCurrentThreadId();
    m_host.module = module;
    if (HasPendingDownloads()) TakeUpDownloadedLyrics(false);
    FinishWaitingSaves(false);

    std::string path = m_host.CurrentSongFile();
    if (path.empty()) path = m_song.file;
    const bool changed = path != m_song.file;
    const bool searchRetry = m_bSearchPending && m_pFinder && m_pFinder->CanStartSearch();

    const bool reloadNow = ReloadMayRunNow(changed || m_bReload, m_bNewLyrics || searchRetry);
    if (reloadNow) {
        if (changed) m_pWnd->m_songPanel.Invalidate();
        if (changed && !IsUsable(DisplayList(), true, true)) {
            HandleEditModeSongChange();
            return 0;
        }
        m_nMarqueeX = m_nOscWidth + 50;
        m_song.file = path;

        CLyricsListBox* list = VisibleList();
        const bool display = list == DisplayList();
        int count = 0;
        const int savedSel = list->GetCurSel();
        list->SetRedraw(false);
        m_song.infoLines.clear();
        if (display) {
            m_nEditInfoLines = 0;
            m_nFileNameLine = 0;
            BuildSongInfo(module, m_song.file, count);
            m_song.infoLineCount = count;
            m_pWnd->m_songPanel.Invalidate();
        }
        const int baseCount = count;
        m_song.lyricsFile.clear();
        m_song.doc.Clear();
        m_aTimeTags[0].nLine = -1;
        m_song.fileOffsetMs = 0;                // read again with the lyrics
        if (changed) m_song.userShiftMs = 0;    // a shift belongs to the lyrics it was made for

        bool found = false;
        LoadLyricsSources(baseCount, count, found);
        if (!display) ShowDocumentInVisibleList();
        if (display) {
            ShowLoadResults(found, count, baseCount, newAtEntry);
            FollowSongWithSearch(changed, searchRetry, found && count > baseCount);
        }
        RestoreVisibleList(savedSel);
        SortTimeTags();
        ForgetTagSpan();
        ForgetLitLines();
        m_nTagLine = 0;
    } else {
        RetryOpeningTitle();
        TrackPlayTime();
    }

    if (m_settings.showMenu && m_settings.showOsciloscope) DrawOscilloscope(module);
    if (reloadNow) m_bReload = 0;  // a request held back for a modal loop stays
    LeaveRender();
    return 0;
}

// A reload replaces what the lists hold. It waits while a modal loop of ours
// runs on the window thread (it would pull the lines from under the code
// that opened it), and lyrics that come from elsewhere (a search) also wait
// while edit mode holds unsaved changes. Requests stay set meanwhile.
bool CLyricsPluginApp::ReloadMayRunNow(bool ownRequest, bool fromElsewhere) {
    if (!ownRequest && !fromElsewhere) return false;
    if (ModalLoopOnWindowThread()) return false;
    return ownRequest || !HasUnsavedEdits();
}

bool CLyricsPluginApp::HandleEditModeSongChange() {
    SetHelpSaveButton(false);
    bool leave = true;
    if (m_bModified) {
        const int answer = fw::ShowMessageBox(m_pWnd->m_hWnd, "Changes not saved. Save?", "Save", MB_YESNOCANCEL);
        if (answer == IDYES) leave = SaveLyrics(0) != FALSE;
    }
    LeaveRender();
    m_bReload = 0;
    if (leave && m_pWnd) {
        m_bModified = 0;
        m_pWnd->m_displayList.ShowWindow(SW_SHOW);
        m_pWnd->m_editList.ShowWindow(SW_HIDE);
    }
    return leave;
}

// The places of the song's lyrics, in their order, while none was found.
// The file a search left in the temporary folder is tried whenever what was
// found shows no line, and its result replaces the earlier one.
void CLyricsPluginApp::LoadLyricsSources(int baseCount, int& count, bool& found) {
    FinishSaveOfLoadedSong();
    const std::string temp = TempFolderPath();
    const std::vector<LyricsCandidate> candidates = LyricsCandidates(m_song.file, m_settings.alternativeLRCPath, temp);
    LyricsOrigin origin = LyricsOrigin::External;
    m_song.lyricsExt = "LRC";
    for (const LyricsCandidate& candidate : candidates) {
        if (found || candidate.place == LyricsPlace::TempFolder) continue;
        if (candidate.place == LyricsPlace::InsideSong) {
            found = ReadTagLyrics(m_song.file, count) != FALSE;
            origin = LyricsOrigin::InsideSong;
            m_song.lyricsFile.clear();
            continue;
        }
        m_song.lyricsFile = candidate.path;
        found = ReadLyricsFile(candidate.path, count) != FALSE;
        if (found) m_song.lyricsExt = candidate.extension;
    }
    if (!temp.empty() && (!found || count <= baseCount)) {
        found = false;
        for (const LyricsCandidate& candidate : candidates)
            if (candidate.place == LyricsPlace::TempFolder) found = ReadLyricsFile(candidate.path, count) != FALSE;
        if (found) m_song.lyricsExt = "LRC";
        origin = LyricsOrigin::Downloaded;
        m_song.lyricsFile.clear();
    }
    if (!found) m_song.doc.Clear();
    m_song.doc.origin = origin;
    m_song.doc.sourcePath = m_song.lyricsFile;
    m_song.doc.extension = m_song.lyricsExt;
}

// The display list gets the song information, then the lyrics or a line
// saying there are none; the title line carries the origin label.
void CLyricsPluginApp::ShowLoadResults(bool found, int count, int baseCount, bool newAtEntry) {
    if (m_bNewLyrics && (found || newAtEntry)) m_bNewLyrics = 0;
    if (!found) m_song.lyricsFile.clear();
    std::vector<std::string> lines = m_song.infoLines;
    if (found && count > baseCount) {
        for (const ShownLine& line : m_song.doc.Shown()) lines.push_back(line.text);
        FillTimeTagTable(m_song.doc.ShownTags(), baseCount, m_aTimeTags);
    } else {
        lines.push_back(found ? "Empty Lyrics" : "Lyrics unavailable");
        m_aTimeTags[0].nLine = -1;
    }
    if (found && SongInfoShown() && !lines.empty()) {
        std::string& title = lines[0];
        title += " (";
        title += static_cast<char>(m_song.doc.origin);
        title += '.';
        if (m_aTimeTags[0].nLine != -1) title += "T.";
        title += "L)";
    }
    DisplayList()->SetLines(std::move(lines));
}

void CLyricsPluginApp::ShowDocumentInVisibleList() {
    CLyricsListBox* list = VisibleList();
    if (list == DisplayList()) return;  // composed by ShowLoadResults
    list->SetLines(m_song.doc.RawLines());
    FillTimeTagTable(m_song.doc.RawTags(), 0, m_aTimeTags);
}

void CLyricsPluginApp::RestoreVisibleList(int savedSel) {
    CLyricsListBox* list = VisibleList();
    list->SetRedraw(true);
    list->Invalidate();
    if (savedSel < 0 && list->GetCurSel() < 0) list->SetCurSel(0);
    if (savedSel >= 0) list->SetCurSel(savedSel);
    CenterSelection();
    if (list == DisplayList()) {
        if (m_bFirstRender && m_settings.isOneLine && !IsReducedHeight()) ToggleReducedMode();
        m_bFirstRender = 0;
        if (list->m_bAdjustWidth && !HostHasParent()) AdjustHostWidth();
    }
    if (list->GetCurSel() < 0 && list->GetCount() > 0) list->SetCurSel(0);
}

void CLyricsPluginApp::SortTimeTags() {
    int used = 0;
    while (used < kTimeTagSlots && m_aTimeTags[used].nLine != -1) ++used;
    for (int i = 0; i < used; ++i)
        for (int j = i + 1; j < used; ++j)
            if (m_aTimeTags[j].nMs < m_aTimeTags[i].nMs) std::swap(m_aTimeTags[i], m_aTimeTags[j]);
}

void CLyricsPluginApp::ForgetTagSpan() {
    m_nTagSpanStartMs = 1;
    m_nTagSpanEndMs = 0;  // empty: no time falls inside
}

// The highlight moves when a line's time is reached, to the hundredth. The
// table is sorted, so the time up to which the current tag holds is known:
// a frame inside that span looks at nothing else.
void CLyricsPluginApp::TrackPlayTime() {
    CLyricsListBox* list = DisplayList();
    if (!m_settings.moveBar || !IsUsable(list, true, true)) return;
    const int t = static_cast<int>(m_host.Send(IPC_GETOUTPUTTIME, 0));
    if (t == -1) {
        ForgetLitLines();
        if (list->GetCurSel() != 0) list->SetCurSel(0);
        CenterSelection();
        return;
    }
    // The table keeps the written times; the offset moves the play time.
    const long long shifted = static_cast<long long>(t) + TotalOffsetMs();
    const int now = shifted > INT_MAX ? INT_MAX : (shifted < INT_MIN ? INT_MIN : static_cast<int>(shifted));
    const bool firstSecond = t < 1000;
    bool hit = false;
    bool looked = false;
    int p = 0;
    if (now < m_nTagSpanStartMs || now >= m_nTagSpanEndMs) {
        looked = true;
        while (p < kTimeTagSlots && m_aTimeTags[p].nLine >= 0 && m_aTimeTags[p].nMs <= now) ++p;
        m_nTagSpanStartMs = p > 0 ? m_aTimeTags[p - 1].nMs : INT_MIN;
        m_nTagSpanEndMs = (p < kTimeTagSlots && m_aTimeTags[p].nLine >= 0) ? m_aTimeTags[p].nMs : INT_MAX;
        --p;
        if (p >= 0) {
            hit = true;
            // Lines that share the time are lit together, the selection on
            // the first of them.
            const LitGroup group = GroupAt(p);
            if (group.first != m_nTagLine || group.ms != m_nLitMs) LightGroup(group, now);
            if (group.first != m_nTagLine) {
                list->SetCurSel(group.first);
                CenterSelection();
                m_nTagLine = group.first;
            }
        }
    }
    // Before the first tag, and all through the song's first second, the
    // selection goes back to the top.
    if ((looked && p < 0) || (!hit && firstSecond)) {
        if (m_nTagLine != 0 || (!hit && firstSecond)) {
            const int sel = list->GetCurSel();
            if (sel != 0 && (p < 0 || sel != m_song.infoLineCount)) {
                ForgetLitLines();
                list->SetCurSel(0);
            }
            CenterSelection();
            m_nTagLine = 0;
        }
    }
    if (!m_litWordSpans.empty()) UpdateWordFill(now);
}

// Entries of one time are next to each other in the sorted table. Of the
// lines carrying it, the first ones next to each other form the group.
CLyricsPluginApp::LitGroup CLyricsPluginApp::GroupAt(int p) const {
    LitGroup group;
    group.ms = m_aTimeTags[p].nMs;
    int lo = p, hi = p;
    while (lo > 0 && m_aTimeTags[lo - 1].nMs == group.ms) --lo;
    while (hi + 1 < kTimeTagSlots && m_aTimeTags[hi + 1].nLine >= 0 && m_aTimeTags[hi + 1].nMs == group.ms) ++hi;
    std::array<int, kTimeTagSlots> lines{};
    int count = 0;
    for (int i = lo; i <= hi; ++i) lines[static_cast<size_t>(count++)] = m_aTimeTags[i].nLine;
    std::sort(lines.begin(), lines.begin() + count);
    group.first = group.last = lines[0];
    for (size_t i = 1; i < static_cast<size_t>(count) && lines[i] <= group.last + 1; ++i) group.last = lines[i];
    return group;
}

// Word times are taken against the group's time and end at the next later
// tag, which TrackPlayTime has just found.
void CLyricsPluginApp::LightGroup(const LitGroup& group, int now) {
    CLyricsListBox* list = DisplayList();
    m_nLitMs = group.ms;
    m_litWordSpans.clear();
    std::vector<CLyricsListBox::WordLine> words;
    const std::vector<ShownLine>& shown = m_song.doc.Shown();
    for (int line = group.first; line <= group.last; ++line) {
        const size_t docLine = static_cast<size_t>(line - m_song.infoLineCount);
        if (line < m_song.infoLineCount || docLine >= shown.size() || shown[docLine].words.empty() ||
            shown[docLine].text != list->Line(line))
            continue;
        std::vector<WordSpan> spans = TimeWords(shown[docLine], group.ms, m_nTagSpanEndMs);
        words.push_back(CLyricsListBox::WordLine{line, spans, FillAt(spans, now)});
        m_litWordSpans.emplace_back(line, std::move(spans));
    }
    list->LightLines(group.first, group.last, std::move(words));
}

void CLyricsPluginApp::ForgetLitLines() {
    m_nLitMs = INT_MIN;
    m_litWordSpans.clear();
    if (CLyricsListBox* list = DisplayList()) list->ClearLitLines();
}

void CLyricsPluginApp::UpdateWordFill(int now) {
    CLyricsListBox* list = DisplayList();
    for (const auto& [line, spans] : m_litWordSpans) list->ShowWordFill(line, FillAt(spans, now));
}

void CLyricsPluginApp::ShiftTiming(int deltaMs) {
    const long long shift = static_cast<long long>(m_song.userShiftMs) + deltaMs;
    m_song.userShiftMs = static_cast<int>(std::max<long long>(-kMaxOffsetMs, std::min<long long>(kMaxOffsetMs, shift)));
    ForgetTagSpan();
    ShowOffsetNotice();
}

void CLyricsPluginApp::ResetTimingShift() {
    m_song.userShiftMs = 0;
    ForgetTagSpan();
    ShowOffsetNotice();
}

void CLyricsPluginApp::ShowOffsetNotice() {
    if (!m_pWnd) return;
    const int total = TotalOffsetMs();
    const int tenths = (std::abs(total) + 50) / 100;  // to the nearest tenth of a second
    char text[40];
    std::snprintf(text, sizeof(text), "Offset %c%d.%d s", total < 0 ? '-' : '+', tenths / 10, tenths % 10);
    m_pWnd->m_songPanel.ShowNotice(text, 2000);
}

// Paused stays paused: a timed line is sought to, an untimed one changes
// nothing. Stopped, playback starts first (posted: with an empty playlist the
// player would open its file box inside a sent command). A time past the
// song's end is sought nowhere: the song never reaches it.
void CLyricsPluginApp::SeekToLine(winampVisModule* module, int line) {
    if (!module) return;
    m_host.module = module;
    if (line < 0) {
        if (IsUsable(DisplayList(), true, true)) line = DisplayList()->GetCurSel();
        else if (IsUsable(EditList(), true, true)) line = EditList()->GetCurSel();
        if (line == -1) return;
    }
    // Any line of the lit group seeks to the group's time (the other lines
    // of a group share it, but may carry further times of their own).
    if (IsUsable(DisplayList(), true, true)) line = DisplayList()->GroupStart(line);
    int now = static_cast<int>(m_host.Send(IPC_GETOUTPUTTIME, 0));
    now = now < 0 ? 0 : now;
    int target = NearestTagTime(line, now);
    if (SongInfoShown() && line == 0) target = 0;
    const LRESULT state = m_host.Send(IPC_ISPLAYING);
    if (state == kHostPaused) {
        if (target >= 0 && BeforeSongEnd(target)) m_host.Send(IPC_JUMPTOTIME, static_cast<WPARAM>(target));
        return;
    }
    if (state != kHostPlaying) {
        if (m_host.CurrentSongFile().empty()) return;  // nothing to play
        ::PostMessageW(m_host.MainWindow(), WM_COMMAND, WINAMP_BUTTON2, 0);
        for (int i = 0; i < 10; ++i) {
            const bool playing = m_host.Send(IPC_ISPLAYING) == kHostPlaying;
            if (playing) break;
            ::Sleep(100);
        }
        if (target < 0) target = 0;
    }
    if (target < 0 || !BeforeSongEnd(target)) return;
    // -1: the player is not playing after all; nothing more to do then.
    m_nLastJumpResult = m_host.Send(IPC_JUMPTOTIME, static_cast<WPARAM>(target));
    // The next frame finds the line again, so that the selection goes to the
    // first line of its group even when the time stays inside the lit one.
    if (m_nLastJumpResult != -1) {
        ForgetTagSpan();
        m_nTagLine = -1;
    }
}

// The line's time on the play clock nearest to `now` (its written time less
// the offset); -1 when it has none.
int CLyricsPluginApp::NearestTagTime(int line, int now) const {
    int target = -1;
    long long best = LLONG_MAX;
    for (int i = 0; i < kTimeTagSlots && m_aTimeTags[i].nLine != -1; ++i) {
        if (m_aTimeTags[i].nLine != line) continue;
        const long long at = std::max<long long>(0, static_cast<long long>(m_aTimeTags[i].nMs) - TotalOffsetMs());
        const long long distance = std::llabs(now - at);
        if (distance < best) {
            best = distance;
            target = static_cast<int>(std::min<long long>(at, INT_MAX));
        }
    }
    return target;
}

// True when the song is longer than `ms`, or its length is unknown.
bool CLyricsPluginApp::BeforeSongEnd(int ms) const {
    const LRESULT length = m_host.Send(IPC_GETOUTPUTTIME, 2);
    return length <= 0 || ms < length;
}
