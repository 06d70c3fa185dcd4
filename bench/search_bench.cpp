// Measures the automatic internet search through the real DLL in the host
// emulator against the loopback server, with 100 ms added to every
// response: the time from Init to the lyrics shown, against the floor of
// the requests the search cannot avoid (the sites page, then one lyrics
// page, fetched one after the other by the same client); the cost of a
// frame while a search runs, against the same frame without one; and how
// soon a search stops: from the stop to its driver's end, while it waits
// for a slow sites page and while four workers clean crafted pages, with the
// processor time the process uses in the half second after.
#include "search/HttpClient.h"
#include "search/LyricsFinder.h"
#include "search/SitesLoader.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/ProcessTime.h"
#include "tests/support/TempFolder.h"
#include "tools/host/HostEmulator.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kDelayMs = 100;

double NowMs() {
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; ::QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e3 / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string TempPath() {
    char buf[MAX_PATH] = "";
    ::GetTempPathA(sizeof(buf), buf);
    return buf;
}

std::string FirstItem(HWND list) {
    char text[1024] = "";
    if (::SendMessageA(list, LB_GETTEXTLEN, 0, 0) >= static_cast<LRESULT>(sizeof(text))) return "";
    ::SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

// Microseconds per unchanged-second tracking pass, measured on the
// visualization thread.
double FrameUs(host::HostEmulator& emulator) {
    double us = 0;
    emulator.RunOnVisThread([&] {
        winampVisModule* module = emulator.Module();
        module->Render(module);
        const int n = 20000;
        const double t0 = NowMs();
        for (int i = 0; i < n; ++i) module->Render(module);
        us = (NowMs() - t0) * 1000.0 / n;
    });
    return us;
}

class QuietObserver : public SearchObserver {
public:
    void OnProgress(SearchLine, const std::string&) override {}
    bool OnResult(const SearchResult&, int) override { return true; }
    void OnEnd(SearchEnd) override {}
};

struct StopTimes {
    std::vector<double> stopMs;
    std::vector<double> cpuAfterMs;
};

// Starts a search on `sitesPath`, waits until `ready`, stops it, and times
// its driver's end and the processor time used after.
void MeasureStop(LoopbackHttpServer& server, const std::string& sitesPath, const std::function<bool()>& ready,
                 StopTimes& times) {
    CLyricsFinder finder(std::make_shared<SitesStore>());
    SearchParams params;
    params.title = "Stop";
    params.artist = "Bench";
    params.addresses.sitesUrl = server.Url(sitesPath);
    params.addresses.probeUrl = server.Url("/probe");
    params.addresses.webSearchUrl = server.Url("/search");
    finder.StartSearch(params, std::make_shared<QuietObserver>());
    const double started = NowMs();
    while (!ready() && NowMs() - started < 10000) ::Sleep(1);
    ::Sleep(20);
    const double t0 = NowMs();
    finder.StopSearch();
    while (finder.IsSearchActive()) ::Sleep(0);
    times.stopMs.push_back(NowMs() - t0);
    ::Sleep(100);
    const double cpu = ProcessCpuMs();
    ::Sleep(500);
    times.cpuAfterMs.push_back(ProcessCpuMs() - cpu);
}

void MeasureStops() {
    LoopbackHttpServer server;
    HttpReply slowSites{200, ""};
    slowSites.delayBeforeHeadersMs = 3000;
    server.Serve("/slow-sites", slowSites);
    std::string crafted = "<html><pre>x <u>";
    for (int i = 0; crafted.size() < 250 * 1024; ++i) crafted += "<" + std::to_string(i) + "<c<d<e<u><b>";
    crafted += "</pre>";
    std::string rows;
    for (int i = 0; i < 4; ++i)
        rows += "<tr><td>" + server.Url("/crafted/" + std::to_string(i)) +
                "</td><td>C</td><td>parsearHTMLDirectWorker</td><td>NULL</td><td>NULL</td><td>&lt;pre&gt;</td>"
                "<td>&lt;/pre&gt;</td><td>false</td><td>NULL</td><td>NULL</td></tr>";
    server.Serve("/crafted-sites", rows);
    server.ServePrefix("/crafted/", crafted);
    StopTimes waiting, cleaning;
    for (int i = 0; i < 5; ++i) {
        const int before = server.CountRequests("/slow-sites");
        MeasureStop(server, "/slow-sites", [&] { return server.CountRequests("/slow-sites") > before; }, waiting);
        const int crafts = server.CountRequestsStartingWith("/crafted/");
        MeasureStop(server, "/crafted-sites",
                    [&] { return server.CountRequestsStartingWith("/crafted/") >= crafts + 4; }, cleaning);
    }
    std::printf("stop to the driver's end, waiting for the sites page, median of 5:    %8.2f ms (cpu after %6.1f ms)\n",
                Median(waiting.stopMs), Median(waiting.cpuAfterMs));
    std::printf("stop to the driver's end, four workers cleaning, median of 5:         %8.2f ms (cpu after %6.1f ms)\n",
                Median(cleaning.stopMs), Median(cleaning.cpuAfterMs));
}

}  // namespace

int main() {
    const std::string folder = ProgramFolder() + "search-bench\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CopyFileA((ProgramFolder() + "vis_velmor.dll").c_str(), (folder + "vis_velmor.dll").c_str(), FALSE);

    LoopbackHttpServer server;
    server.SetDelayMs(kDelayMs);
    server.Serve("/sites.html",
                 "<tr><td>" + server.Url("/lyrics/<songName>") +
                     "</td><td>Bench</td><td>parsearHTMLDirectWorker</td><td>NULL</td><td>NULL</td>"
                     "<td>&lt;pre&gt;</td><td>&lt;/pre&gt;</td><td>false</td><td>NULL</td><td>NULL</td></tr>");
    server.ServePrefix("/lyrics/", "<html><pre>First line\r\nSecond line</pre></html>");
    server.ServePrefix("/search", "<html>no links</html>");
    WriteFileBytes(folder + "plugin.ini", "[Velmor Lyrics plugin]\r\n[Search]\r\nSitesUrl=" + server.Url("/sites.html") +
                                         "\r\nProbeUrl=" + server.Url("/probe") + "\r\nWebSearchUrl=" +
                                         server.Url("/search?q=<artistName><songName>") + "\r\n");

    // The floor: the two requests one after the other.
    std::atomic<int> running{1};
    std::vector<double> floors;
    for (int i = 0; i < 5; ++i) {
        const double t0 = NowMs();
        FetchPage(server.Url("/sites.html"), FetchLimits(10000, running, Reach::Anywhere));
        FetchPage(server.Url("/lyrics/floor"), FetchLimits(10000, running, Reach::Anywhere));
        floors.push_back(NowMs() - t0);
    }

    std::vector<double> firsts, fromInit;
    std::vector<double> toSites, toLyrics;  // request arrivals after the search start
    for (int run = 0; run < 5; ++run) {
        const std::string name = "search-bench-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(run);
        host::HostEmulator emulator;  // a fresh load: the sites page is fetched again
        emulator.SetPlaylist({{folder + name + ".mp3", "", {}}});
        if (!emulator.LoadPlugin(folder + "vis_velmor.dll")) return 1;
        const double tInit = NowMs();
        if (!emulator.Start()) return 1;
        const double t0 = NowMs();  // Init ends with the first frame, which started the search
        const DWORD tick0 = ::GetTickCount();
        const size_t seenBefore = server.Requests().size();
        HWND list = ::GetDlgItem(emulator.VisWindow(), 1031);
        const bool shown = emulator.WaitFor(
            [&] { const std::string first = FirstItem(list); return first.find("(U.L)") != std::string::npos; }, 20000);
        firsts.push_back(shown ? NowMs() - t0 : -1);
        fromInit.push_back(shown ? NowMs() - tInit : -1);
        const std::vector<SeenRequest> seen = server.Requests();
        for (size_t k = seenBefore; k < seen.size(); ++k) {
            const double at = static_cast<double>(static_cast<long>(seen[k].tick - tick0));
            if (seen[k].target == "/sites.html") toSites.push_back(at);
            if (seen[k].target.compare(0, 8, "/lyrics/") == 0) toLyrics.push_back(at);
        }
        emulator.Stop();
        ::DeleteFileA((TempPath() + name + ".LRC").c_str());
        ::Sleep(300);  // the search's threads end and let the library go
    }
    const double floor = Median(floors), first = Median(firsts);
    std::printf("time to first lyrics (search start to lyrics shown), %d ms per response, median of 5: %8.1f ms\n",
                kDelayMs, first);
    std::printf("  the same counted from the call of Init (window creation included):           %8.1f ms\n",
                Median(fromInit));
    std::printf("floor (sites page, then one lyrics page, same client), median of 5:               %8.1f ms\n", floor);
    std::printf("ratio: %.2f (aim <= 1.20)\n", first / floor);
    if (!toSites.empty() && !toLyrics.empty())
        std::printf("  after the search start: sites page asked at %.0f ms, lyrics page at %.0f ms (medians)\n",
                    Median(toSites), Median(toLyrics));

    // Frames with and without a search: the same song, first with its
    // lyrics beside it, then without them while the search waits for a
    // results page that drips for 30 s and four workers read dripping pages.
    HttpReply drip{200, std::string(3000, 'x')};
    drip.dripBytes = 10;
    drip.dripIntervalMs = 100;
    LoopbackHttpServer slow;
    slow.Serve("/sites.html", "");
    std::string rows;
    for (int i = 0; i < 6; ++i)
        rows += "<tr><td>" + slow.Url("/drip/" + std::to_string(i) + "/<songName>") +
                "</td><td>Slow</td><td>parsearHTMLDirectWorker</td><td>NULL</td><td>NULL</td><td>a</td><td>b</td>"
                "<td>false</td><td>NULL</td><td>NULL</td></tr>";
    slow.Serve("/sites.html", rows);
    slow.ServePrefix("/drip/", drip);
    WriteFileBytes(folder + "plugin.ini", "[Velmor Lyrics plugin]\r\n[Search]\r\nSitesUrl=" + slow.Url("/sites.html") +
                                         "\r\nProbeUrl=" + slow.Url("/probe") + "\r\nWebSearchUrl=" +
                                         slow.Url("/search") + "\r\n");
    const std::string song = folder + "frame-bench.mp3";
    WriteFileBytes(folder + "frame-bench.LRC", "[00:01]one\r\n[00:02]two\r\n");
    host::HostEmulator emulator;
    emulator.SetPlaylist({{song, "", {}}});
    if (!emulator.LoadPlugin(folder + "vis_velmor.dll") || !emulator.Start()) return 1;
    emulator.SetPlaying(true);
    emulator.SetPositionMs(30500);
    emulator.WaitFor([&] { return emulator.RenderCount() > 5; }, 5000);
    const double idle = FrameUs(emulator);
    ::DeleteFileA((folder + "frame-bench.LRC").c_str());
    emulator.RunOnVisThread([&] { ::SendMessageA(::GetDlgItem(emulator.VisWindow(), 1031), WM_KEYDOWN, VK_F5, 0); });
    emulator.SetListPos(0);
    // F5 reloads without a search; a song change starts one.
    emulator.SetPlaylist({{song, "", {}}, {folder + "frame-bench-2.mp3", "", {}}});
    emulator.SetListPos(1);
    emulator.WaitFor([&] { return slow.OpenConnections() >= 4; }, 10000);
    const int open = slow.OpenConnections();
    const double busy = FrameUs(emulator);
    std::printf("frame (tracking pass), no search:                         %8.2f us\n", idle);
    std::printf("frame (tracking pass), search running (%d connections):   %8.2f us  (%.2f x)\n", open, busy,
                busy / idle);
    emulator.Stop();
    MeasureStops();
    return 0;
}
