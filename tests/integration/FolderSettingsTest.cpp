// Folder settings whose names the system code page cannot hold survive a
// restart: the code-page key keeps what older versions read, and a second
// key beside it keeps the folder as percent-encoded UTF-8 while the first
// still names the same folder. The test program also runs on code page 932
// (see tests/CMakeLists.txt): what fits the code page differs there.
#include "framework/TextUtil.h"
#include "framework/Unicode.h"
#include "tests/support/PluginSession.h"

#include <gtest/gtest.h>

namespace {

const char kSection[] = "Velmor Lyrics plugin";

// The folder as the process's code page writes it, and whether it fits:
// whether its bytes read back as the same characters.
std::string CodePageBytes(const std::string& utf8, bool* fits) {
    const std::wstring wide = fw::Widen(utf8);
    const int size = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 1), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    std::wstring back(wide.size() + 8, L'\0');
    const int got = ::MultiByteToWideChar(CP_ACP, 0, bytes.c_str(), static_cast<int>(bytes.size()), &back[0],
                                          static_cast<int>(back.size()));
    back.resize(got > 0 ? static_cast<size_t>(got) : 0);
    if (fits) *fits = back == wide;
    return bytes;
}

// A key as an older version reads it: through the A functions.
std::string ReadWithAnsi(const std::string& ini, const char* key) {
    char value[2048] = "";
    ::GetPrivateProfileStringA(kSection, key, "<missing>", value, sizeof(value), ini.c_str());  // an ASCII path
    return value;
}

class FolderSettings : public ::testing::Test {
protected:
    // Starts the plugin on a song whose lyric file lies only in `folder`.
    std::vector<std::string> StartAndShow(PluginSession& session) {
        session.Host().SetPlaylist({Song(session.Folder().File("song.ogg"))});
        EXPECT_TRUE(session.Start());
        return session.Items(session.DisplayList());
    }
    std::string MakeLyricsFolder(PluginSession& session, const std::string& name, const std::string& lyrics) {
        const std::string folder = session.Folder().MakeFolder(name);
        WriteFileBytes(folder + "song.lrc", lyrics);
        return folder;
    }
};

TEST_F(FolderSettings, KeptAcrossRestartsWhateverTheCodePageHolds) {
    struct Row {
        const char* what;
        std::string name;
    };
    const Row rows[] = {
        {"ascii", "Lyrics"},
        {"accented", "Caf\xC3\xA9"},
        {"japanese", "\xE6\x9C\x9D\xE3\x81\xAE\xE5\x85\x89"},
        {"korean and japanese", "\xEC\x95\x88\xEB\x85\x95 \xE6\x9C\x9D"},
    };
    for (const Row& row : rows) {
        PluginSession session;
        const std::string folder = MakeLyricsFolder(session, row.name, row.what);
        bool fits = false;
        const std::string codePage = CodePageBytes(folder, &fits);
        std::string keys = "ShowSongInfo=0\r\nAlternativeLRCPath=" + codePage + "\r\n";
        if (!fits) keys += "AlternativeLRCPathUtf8=" + fw::PercentEncode(folder) + "\r\n";
        session.WriteIni(keys);
        EXPECT_EQ(std::vector<std::string>{row.what}, StartAndShow(session)) << row.what;
        session.Host().Stop();  // writes the settings

        // As an older version reads the file, and the key beside it.
        EXPECT_EQ(codePage, ReadWithAnsi(session.IniPath(), "AlternativeLRCPath")) << row.what;
        const std::string utf8Key = ReadWithAnsi(session.IniPath(), "AlternativeLRCPathUtf8");
        std::string decoded;
        if (fits) {
            EXPECT_EQ("<missing>", utf8Key) << row.what;
        } else {
            ASSERT_TRUE(fw::PercentDecode(utf8Key, decoded)) << row.what;
            EXPECT_EQ(folder, decoded) << row.what;
        }
    }
}

TEST_F(FolderSettings, AFolderAnOlderVersionChoseWinsOverTheUtf8Key) {
    PluginSession session;
    const std::string folder = MakeLyricsFolder(session, "\xEC\x95\x88\xEB\x85\x95", "ours");
    const std::string older = MakeLyricsFolder(session, "older", "older version's");
    session.WriteIni("ShowSongInfo=0\r\nAlternativeLRCPath=" + older +
                     "\r\nAlternativeLRCPathUtf8=" + fw::PercentEncode(folder) + "\r\n");
    EXPECT_EQ(std::vector<std::string>{"older version's"}, StartAndShow(session));
    session.Host().Stop();
    EXPECT_EQ(older, ReadWithAnsi(session.IniPath(), "AlternativeLRCPath"));
    EXPECT_EQ("<missing>", ReadWithAnsi(session.IniPath(), "AlternativeLRCPathUtf8"));
}

}  // namespace
