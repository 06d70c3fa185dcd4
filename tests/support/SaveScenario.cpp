#include "tests/support/SaveScenario.h"

#include "framework/Unicode.h"
#include "lyrics/Id3Lyrics.h"
#include "lyrics/SaveJournal.h"
#include "tests/support/AppHarness.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestCodePage.h"

#include <algorithm>

using namespace std::string_literals;

namespace {

// Large enough that copying it takes more than one write.
const std::string& SongAudio() {
    static const std::string audio = mp3::Audio(200);
    return audio;
}

const std::vector<std::string> kNewAsciiLines = {"[00:01]new line", "[00:02]second", "[00:03]third"};

void ListFiles(const std::string& root, const std::string& inside, std::vector<std::string>& names) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(fw::Widen(root + inside + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = fw::Narrow(data.cFileName);
        if (name == "." || name == "..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(root, inside + name + "\\", names);
        else
            names.push_back(inside + name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
    return text;
}

}  // namespace

const std::vector<SaveTargetKind>& AllSaveTargets() {
    static const std::vector<SaveTargetKind> all = {
        SaveTargetKind::LrcBeside, SaveTargetKind::LrcInFolder, SaveTargetKind::LrcUtf8,    SaveTargetKind::LrcCodePage,
        SaveTargetKind::Mp3Tag,    SaveTargetKind::Mp3Lyrics3,  SaveTargetKind::Mp3HeldOpen};
    return all;
}

const char* SaveTargetName(SaveTargetKind kind) {
    switch (kind) {
    case SaveTargetKind::LrcBeside: return "LRC beside the song";
    case SaveTargetKind::LrcInFolder: return "LRC in the lyrics folder";
    case SaveTargetKind::LrcUtf8: return "UTF-8 LRC";
    case SaveTargetKind::LrcCodePage: return "code-page LRC";
    case SaveTargetKind::Mp3Tag: return "MP3 with an ID3v2 tag";
    case SaveTargetKind::Mp3Lyrics3: return "MP3 with ID3v2 and Lyrics3 tags";
    case SaveTargetKind::Mp3HeldOpen: return "MP3 held open by the player";
    }
    return "?";
}

fw::UniqueFile HoldLikeAPlayer(const std::string& path) {
    return fw::UniqueFile(::CreateFileW(fw::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
}

SaveScenario::SaveScenario(SaveTargetKind kind, const std::string& folder) : m_kind(kind), m_folder(folder) {
    m_song = m_folder + (IntoSong() ? "song.mp3" : "song.ogg");
    m_lyrics = IntoSong() ? m_song : (kind == SaveTargetKind::LrcInFolder ? LyricsFolder() : m_folder) + "song.LRC";
}

bool SaveScenario::IntoSong() const {
    return m_kind == SaveTargetKind::Mp3Tag || m_kind == SaveTargetKind::Mp3Lyrics3 ||
           m_kind == SaveTargetKind::Mp3HeldOpen;
}

std::string SaveScenario::JournalFile() const { return journal::FileInFolder(SettingsFolder()); }

std::string SaveScenario::Tail() const {
    const std::string lyrics3 =
        m_kind == SaveTargetKind::Mp3Lyrics3 ? mp3::Lyrics3V2(mp3::Lyrics3Field("LYR", "lyrics3 words")) : "";
    return lyrics3 + mp3::Id3v1();
}

std::string SaveScenario::OldFileBytes() const {
    switch (m_kind) {
    case SaveTargetKind::LrcUtf8: return u8"\xEF\xBB\xBF[00:01]старые слова\r\n[00:02]歌";
    case SaveTargetKind::LrcCodePage: return "[00:01]vieux caf\xE9\r\n[00:02]deux";
    default: return "[00:01]old line\r\n[00:02]second";
    }
}

std::string SaveScenario::NewText() const {
    switch (m_kind) {
    case SaveTargetKind::LrcUtf8: return Join({u8"[00:01]新しい言葉", u8"[00:02]новые"});
    case SaveTargetKind::LrcCodePage: return Join({u8"[00:01]nouveau café", "[00:02]deux"});
    case SaveTargetKind::Mp3Tag:
    case SaveTargetKind::Mp3Lyrics3:
    case SaveTargetKind::Mp3HeldOpen: return Join({u8"[00:01]новые слова", "[00:02]line two"});
    default: return Join(kNewAsciiLines);
    }
}

// Each file is saved back in the form it was read in.
std::string SaveScenario::NewFileBytes() const {
    switch (m_kind) {
    case SaveTargetKind::LrcUtf8: return "\xEF\xBB\xBF" + NewText();
    case SaveTargetKind::LrcCodePage: return "[00:01]nouveau caf\xE9\r\n[00:02]deux";
    default: return NewText();
    }
}

void SaveScenario::MakeFiles() const {
    ::CreateDirectoryW(fw::Widen(m_folder).c_str(), nullptr);
    ::CreateDirectoryW(fw::Widen(SettingsFolder()).c_str(), nullptr);
    ::CreateDirectoryW(fw::Widen(LyricsFolder()).c_str(), nullptr);
    if (IntoSong()) {
        const std::string frames = mp3::Id3Frame(3, "TIT2", "\0Title"s) +
                                   mp3::Id3Frame(3, "USLT", mp3::UsltData(0, "\0"s, "old words"));
        WriteFileBytes(m_song, mp3::Id3Tag(3, frames, 64) + SongAudio() + Tail());
    } else {
        WriteFileBytes(m_song, SongAudio());
        WriteFileBytes(m_lyrics, OldFileBytes());
    }
}

void SaveScenario::Load(AppHarness& h) const {
    CLyricsPluginApp& app = h.App();
    app.m_strAlternativeLRCPath = m_kind == SaveTargetKind::LrcInFolder ? LyricsFolder() : "";
    // Out of edit mode, so that the frame loads the song.
    app.m_bModified = 0;
    h.Edit().ShowWindow(SW_HIDE);
    h.Display().ShowWindow(SW_SHOW);
    h.SetSong(m_song);
    h.Render();
    h.ShowEditList();
    std::vector<std::string> lines;
    const std::string text = NewText();
    for (size_t start = 0;;) {
        const size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    h.SetEditLines(lines);
    app.m_bModified = 1;
}

BOOL SaveScenario::Save(AppHarness& h) const { return h.App().SaveLyrics(IntoSong() ? -1 : 0); }

SaveScenario::Lyrics SaveScenario::LyricsNow() const {
    if (!IntoSong()) {
        const std::string bytes = ReadFileBytes(m_lyrics);
        if (bytes == OldFileBytes()) return Lyrics::Old;
        return bytes == NewFileBytes() ? Lyrics::New : Lyrics::Other;
    }
    static const TestCodePage western(1252);
    TagText text;
    if (!ReadSongTagLyrics(m_song, western, text)) return Lyrics::Other;
    if (text.utf8 == "old words") return Lyrics::Old;
    return text.utf8 == NewText() ? Lyrics::New : Lyrics::Other;
}

bool SaveScenario::SongWhole() const {
    const std::string bytes = ReadFileBytes(m_song);
    if (!IntoSong()) return bytes == SongAudio();
    const std::string rest = SongAudio() + Tail();
    if (bytes.size() < rest.size() + 10 || bytes.compare(bytes.size() - rest.size(), rest.size(), rest) != 0)
        return false;
    id3v2::TagHeader header;
    return id3v2::ParseTagHeader(bytes, header) && header.TotalSize() == bytes.size() - rest.size();
}

std::vector<std::string> SaveScenario::FilesNow() const {
    std::vector<std::string> names;
    ListFiles(m_folder, "", names);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> SaveScenario::ExpectedFiles() const {
    std::vector<std::string> names = {m_song.substr(m_folder.size())};
    if (!IntoSong()) names.push_back(m_lyrics.substr(m_folder.size()));
    std::sort(names.begin(), names.end());
    return names;
}
