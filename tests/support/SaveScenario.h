// The saves the fault and crash sweeps run, one per target: the files before
// the save, the save through the plugin's own code, and what a run may leave.
// A run lives in a folder of its own: the song, its lyric files, "lyrics\"
// (the lyrics folder) and "settings\" (the journal).
#pragma once

#include "framework/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

class AppHarness;

enum class SaveTargetKind { LrcBeside, LrcInFolder, LrcUtf8, LrcCodePage, Mp3Tag, Mp3Lyrics3, Mp3HeldOpen };

const std::vector<SaveTargetKind>& AllSaveTargets();
const char* SaveTargetName(SaveTargetKind kind);

class SaveScenario {
public:
    SaveScenario(SaveTargetKind kind, const std::string& folder);

    SaveTargetKind Kind() const { return m_kind; }
    bool IntoSong() const;
    bool HeldOpen() const { return m_kind == SaveTargetKind::Mp3HeldOpen; }
    const std::string& Folder() const { return m_folder; }
    const std::string& Song() const { return m_song; }
    // Where the lyrics live: the lyric file, or the song.
    const std::string& LyricsFile() const { return m_lyrics; }
    std::string SettingsFolder() const { return m_folder + "settings\\"; }
    std::string LyricsFolder() const { return m_folder + "lyrics\\"; }
    std::string JournalFile() const;

    // The files before the save.
    void MakeFiles() const;
    // The app loads the song (as the frame driver does) and the edit list
    // gets the new lines; the lyrics folder is set for the target in it.
    void Load(AppHarness& h) const;
    // The save the user asks for (Ctrl+S: into the MP3 for MP3 targets).
    BOOL Save(AppHarness& h) const;

    enum class Lyrics { Old, New, Other };
    // What the lyric file or the song's tag holds now.
    Lyrics LyricsNow() const;
    // The song plays: for MP3 targets a whole ID3v2 tag, then the audio and
    // what followed it (Lyrics3, ID3v1) byte for byte; else its bytes as made.
    bool SongWhole() const;
    // Every file under the run's folder, by its path inside it.
    std::vector<std::string> FilesNow() const;
    // The files a finished save leaves (the journal aside).
    std::vector<std::string> ExpectedFiles() const;
    // The new lines, joined as a save writes them.
    std::string NewText() const;

private:
    std::string OldFileBytes() const;
    std::string NewFileBytes() const;
    std::string Tail() const;

    SaveTargetKind m_kind;
    std::string m_folder;
    std::string m_song;
    std::string m_lyrics;
};

// A player that has the song open: reading and writing shared, not deleting.
fw::UniqueFile HoldLikeAPlayer(const std::string& path);
