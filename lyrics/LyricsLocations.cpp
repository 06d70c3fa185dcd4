#include "lyrics/LyricsLocations.h"

#include "lyrics/SongPaths.h"

const std::vector<std::string>& LyricFileExtensions() {
    static const std::vector<std::string> extensions = {"LRC", "TXT"};
    return extensions;
}

std::vector<LyricsCandidate> LyricsCandidates(const std::string& song, const std::string& lyricsFolder,
                                              const std::string& tempFolder) {
    std::vector<LyricsCandidate> candidates;
    std::string path;
    if (!lyricsFolder.empty()) {
        for (const std::string& ext : LyricFileExtensions())
            if (FileInFolder(lyricsFolder, song, ext, path)) candidates.push_back({LyricsPlace::LyricsFolder, path, ext});
    }
    for (const std::string& ext : LyricFileExtensions())
        if (FileBesideSong(song, ext, path)) candidates.push_back({LyricsPlace::BesideSong, path, ext});
    if (IsMp3Path(song)) candidates.push_back({LyricsPlace::InsideSong, "", ""});
    if (!tempFolder.empty() && FileInFolder(tempFolder, song, "LRC", path))
        candidates.push_back({LyricsPlace::TempFolder, path, "LRC"});
    return candidates;
}

SaveTarget DownloadSaveTarget(int tipoDownload) {
    switch (tipoDownload) {
    case 2: return SaveTarget::BesideSong;
    case 3: return SaveTarget::IntoSong;
    case 4: return SaveTarget::DownloadFolder;
    default: return SaveTarget::TempFolder;
    }
}

bool SaveTargetFile(SaveTarget target, const std::string& song, const std::string& downloadFolder,
                    const std::string& tempFolder, std::string& out) {
    out.clear();
    switch (target) {
    case SaveTarget::BesideSong: return FileInFolder(SongFolder(song), song, "LRC", out);
    case SaveTarget::DownloadFolder: return !downloadFolder.empty() && FileInFolder(downloadFolder, song, "LRC", out);
    case SaveTarget::TempFolder: return !tempFolder.empty() && FileInFolder(tempFolder, song, "LRC", out);
    case SaveTarget::IntoSong: return false;
    }
    return false;
}
