// Addresses taken from anything a search fetched (table rows, result links,
// redirects) may not lead to this machine or the local network, where
// Windows would log on by itself; addresses written in the settings may.
// The real plugin runs in the host emulator; the test answers its name
// look-ups (the DLL's import of GetAddrInfoW points at the test's resolver,
// the DLL itself unchanged): "localhost" stands for a public host, so the
// sites page counts as published on the internet, and "intranet.test" for a
// host of the local network. IP literals are what they are.
#include "framework/Unicode.h"
#include "tests/support/ImportPatch.h"
#include "tests/support/SearchSession.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <type_traits>

namespace {

using GetAddrInfoWFunction = INT(WSAAPI*)(PCWSTR, PCWSTR, const ADDRINFOW*, PADDRINFOW*);
using FreeAddrInfoWFunction = VOID(WSAAPI*)(PADDRINFOW);

GetAddrInfoWFunction g_realGetAddrInfo = nullptr;
FreeAddrInfoWFunction g_realFreeAddrInfo = nullptr;
std::mutex g_lock;
std::set<PADDRINFOW> g_ours;

PADDRINFOW MadeUpAnswer(unsigned char a, unsigned char b, unsigned char c, unsigned char d) {
    auto* address = new sockaddr_in();
    address->sin_family = AF_INET;
    const unsigned char bytes[4] = {a, b, c, d};
    std::memcpy(&address->sin_addr, bytes, 4);
    auto* info = new ADDRINFOW();
    info->ai_family = AF_INET;
    info->ai_socktype = SOCK_STREAM;
    info->ai_addrlen = sizeof(sockaddr_in);
    info->ai_addr = reinterpret_cast<sockaddr*>(address);
    std::lock_guard<std::mutex> guard(g_lock);
    g_ours.insert(info);
    return info;
}

INT WSAAPI TestGetAddrInfoW(PCWSTR node, PCWSTR service, const ADDRINFOW* hints, PADDRINFOW* result) {
    const std::wstring name = node ? node : L"";
    if (name == L"localhost") {
        *result = MadeUpAnswer(203, 0, 113, 10);
        return 0;
    }
    if (name == L"intranet.test") {
        *result = MadeUpAnswer(10, 1, 2, 3);
        return 0;
    }
    return g_realGetAddrInfo(node, service, hints, result);
}

VOID WSAAPI TestFreeAddrInfoW(PADDRINFOW info) {
    {
        std::lock_guard<std::mutex> guard(g_lock);
        if (g_ours.erase(info)) {
            delete reinterpret_cast<sockaddr_in*>(info->ai_addr);
            delete info;
            return;
        }
    }
    g_realFreeAddrInfo(info);
}

std::string Row(const std::string& url, const std::string& name) {
    return "<tr><td>" + url + "</td><td>" + name +
           "</td><td>parsearHTMLDirectWorker</td><td>NULL</td><td>NULL</td><td>&lt;pre&gt;</td><td>&lt;/pre&gt;</td>"
           "<td>false</td><td>NULL</td><td>NULL</td></tr>\r\n";
}
std::string WebRow(const std::string& filter) {
    return "<tr><td></td><td>Web</td><td>parsearHTMLWorker</td><td>" + filter +
           "</td><td>NULL</td><td>&lt;pre&gt;</td><td>&lt;/pre&gt;</td><td>false</td><td>NULL</td><td>NULL</td></tr>\r\n";
}

class LocalNetwork : public SearchSession {
protected:
    LocalNetwork() : SearchSession("local") {}
    std::string At(const std::string& host, const std::string& target) const {
        return "http://" + host + ":" + std::to_string(server.Port()) + target;
    }
};

}  // namespace

// WinINet reaches the "public" host by the name "localhost" itself.
bool MachineResolvesLocalhost() {
    ADDRINFOW* info = nullptr;
    if (::GetAddrInfoW(L"localhost", nullptr, nullptr, &info) != 0) return false;
    ::FreeAddrInfoW(info);
    return true;
}

TEST_F(LocalNetwork, AddressesFromFetchedPagesStayOffTheLocalNetwork) {
    if (!MachineResolvesLocalhost()) GTEST_SKIP() << "this machine does not resolve \"localhost\"";
    const std::string rows = Row(At("127.0.0.1", "/private/<songName>"), "Loopback") +
                             Row(At("intranet.test", "/intranet/<songName>"), "Intranet") +
                             Row(At("localhost", "/redirect/<songName>"), "Redirected") +
                             Row(At("localhost", "/public/<songName>"), "Public") + WebRow("/leak");
    server.Serve("/sites.html", "<table>" + rows + "</table>");
    server.Serve("/probe", "probe");
    server.ServePrefix("/private/", "<pre>from this machine</pre>");
    HttpReply redirect;
    redirect.redirectTo = At("127.0.0.1", "/secret");
    server.ServePrefix("/redirect/", redirect);
    server.Serve("/secret", "<pre>secret</pre>");
    HttpReply lyrics{200, "<pre>Public words</pre>"};
    lyrics.delayBeforeHeadersMs = 800;  // after the others were refused
    server.ServePrefix("/public/", lyrics);
    server.ServePrefix("/search", "<a href=\"" + At("127.0.0.1", "/leak") + "\">Morning Lights</a>");
    server.Serve("/leak", "<pre>leaked</pre>");
    s.WriteIni("");
    // The settings' addresses are trusted: the results page on this machine too.
    s.PointSearchAt(At("localhost", "/sites.html"), At("localhost", "/probe"),
                    At("127.0.0.1", "/search?q=<artistName><songName>"));
    s.Host().SetPlaylist({Song(song, "", {{"Title", "Morning Lights"}, {"Artist", "Velmor"}})});
    s.Host().SetPlaying(true);
    ASSERT_TRUE(s.Load());
    // The host loads the library on its visualization thread at the start;
    // held here first, it is that same module whose imports are patched.
    const std::unique_ptr<std::remove_pointer_t<HMODULE>, decltype(&::FreeLibrary)> held(
        ::LoadLibraryW(fw::Widen(s.Folder().File("vis_velmor.dll")).c_str()), &::FreeLibrary);
    const HMODULE plugin = held.get();
    ASSERT_TRUE(PatchImport(plugin, "ws2_32.dll", "GetAddrInfoW", reinterpret_cast<void*>(&TestGetAddrInfoW),
                            reinterpret_cast<void**>(&g_realGetAddrInfo)));
    ASSERT_TRUE(PatchImport(plugin, "ws2_32.dll", "FreeAddrInfoW", reinterpret_cast<void*>(&TestFreeAddrInfoW),
                            reinterpret_cast<void**>(&g_realFreeAddrInfo)));
    ASSERT_TRUE(s.Start());
    ASSERT_TRUE(WaitStatus("Lyrics found - Public. (Open editor for more lyrics)")) << Status();
    EXPECT_EQ(ReadFileBytes(downloaded), "Public words");
    EXPECT_EQ(server.CountRequests("/sites.html"), 1);
    EXPECT_EQ(server.CountRequestsStartingWith("/search"), 1);
    EXPECT_EQ(server.CountRequestsStartingWith("/redirect/"), 1);
    EXPECT_EQ(server.CountRequestsStartingWith("/private/"), 0);
    EXPECT_EQ(server.CountRequests("/secret"), 0);
    EXPECT_EQ(server.CountRequests("/leak"), 0);
}
