// Where lyrics live: the order in which a song's lyrics are looked for, and
// the file each save target writes. Window-free; paths are UTF-8.
#pragma once

#include <string>
#include <vector>

enum class LyricsPlace {
    LyricsFolder,  // the configured lyrics folder
    BesideSong,    // the song's own folder, under the song's name
    InsideSong,    // the MP3's tags
    TempFolder,    // where a search leaves what it downloaded
};

struct LyricsCandidate {
    LyricsPlace place;
    std::string path;       // "" for InsideSong
    std::string extension;  // "LRC" or "TXT"; "" for InsideSong
};

// The extensions a lyric file may have, in the order they are tried.
const std::vector<std::string>& LyricFileExtensions();

// The candidates in the order they are tried: the lyrics folder (when one
// is set) and beside the song, each as LRC then TXT, then inside the song
// (MP3 songs only), then an LRC in the temporary folder (when it is known).
// Places that give the song no file name are left out.
std::vector<LyricsCandidate> LyricsCandidates(const std::string& song, const std::string& lyricsFolder,
                                              const std::string& tempFolder);

// Where saved lyrics go.
enum class SaveTarget {
    IntoSong,        // the MP3's lyrics frame
    TempFolder,      // LRC in the temporary folder
    BesideSong,      // LRC beside the song
    DownloadFolder,  // LRC in the download folder
};

// Where lyrics a search found are saved for a TipoDownload setting (1 to 4;
// anything else is the temporary folder).
SaveTarget DownloadSaveTarget(int tipoDownload);

// The lyric file a save target writes for a song; false, with out cleared,
// when the target has no file (IntoSong), no folder is set or the song has
// no name to give it.
bool SaveTargetFile(SaveTarget target, const std::string& song, const std::string& downloadFolder,
                    const std::string& tempFolder, std::string& out);
