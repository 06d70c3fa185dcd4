// Writing lyric files and lyrics into songs: every write either completes or
// leaves the old file as it was.
#pragma once

#include <windows.h>

#include <string>

// Replaces `target` by a complete new file with these bytes. 0 or the
// Windows error; on error the old file is untouched.
DWORD WriteFileSafely(const std::string& target, const std::string& bytes);

enum class Mp3Outcome { Saved, NothingToWrite, Failed };

struct Mp3Result {
    Mp3Outcome outcome;
    DWORD error;
};

// Stores `text` as the song's lyrics frame. An empty text writes nothing
// (after finishing what an interrupted save left).
Mp3Result WriteLyricsIntoSong(const std::string& song, const std::string& text);

// The temporary folder with its trailing backslash, or "" when its path does
// not fit the 200 characters the lyric paths allow for it.
std::string TempFolderPath();
