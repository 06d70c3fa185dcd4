#include "tests/support/SearchSession.h"

#include "res/resource.h"
#include "tests/support/AppHarness.h"

namespace {
std::string TemporaryFolder() {
    char buf[MAX_PATH] = "";
    ::GetTempPathA(sizeof(buf), buf);
    return buf;
}
}  // namespace

void SearchSession::SetUp() {
    ASSERT_TRUE(server.IsListening());
    name = UniqueStem(m_stemPrefix);
    song = s.Folder().File(name + ".mp3");
    downloaded = TemporaryFolder() + name + ".LRC";
}

void SearchSession::TearDown() { ::DeleteFileA(downloaded.c_str()); }

void SearchSession::ServeSites(const std::string& sitesPage, const std::string& iniKeys) {
    server.Serve("/sites.html", sitesPage);
    server.Serve("/probe", "<html>probe</html>");
    s.WriteIni(iniKeys);
    s.PointSearchAt(server.Url("/sites.html"), server.Url("/probe"), server.Url("/search?q=<artistName><songName>"));
}

HWND SearchSession::SongPanel() const { return ::GetDlgItem(::GetDlgItem(s.Frame(), IDC_BUTTON_BAR), IDC_SONG_PANEL); }

std::string SearchSession::Status() const { return s.WindowText(SongPanel()); }

bool SearchSession::WaitStatus(const std::string& text, int timeoutMs) {
    return s.Host().WaitFor([&] { return Status() == text; }, timeoutMs);
}

std::vector<std::string> SearchSession::Shown() { return s.Items(s.DisplayList()); }
