// A test of the automatic internet search through the real plugin: the
// plugin in the host emulator with a song of its own, a loopback server for
// the search to ask, and the song panel's status line to watch.
#pragma once

#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/PluginSession.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class SearchSession : public ::testing::Test {
protected:
    explicit SearchSession(const std::string& stemPrefix = "search") : m_stemPrefix(stemPrefix) {}
    void SetUp() override;
    void TearDown() override;

    // Points the plugin's [Search] at the loopback server with this sites
    // page; the plugin's own section gets iniKeys ("Key=Value\r\n...").
    void ServeSites(const std::string& sitesPage, const std::string& iniKeys = "");
    HWND SongPanel() const;
    std::string Status() const;
    bool WaitStatus(const std::string& text, int timeoutMs = 15000);
    std::vector<std::string> Shown();

    LoopbackHttpServer server;
    PluginSession s;
    std::string name;        // the song's file name stem, unique to the test
    std::string song;        // the song, in the session's folder
    std::string downloaded;  // where downloaded lyrics land: the temporary folder

private:
    std::string m_stemPrefix;
};
