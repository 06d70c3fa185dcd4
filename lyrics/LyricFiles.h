// Writing lyric files and lyrics into songs: every write either completes or
// leaves the old file as it was.
#pragma once

#include "lyrics/TextEncoding.h"

#include <windows.h>

#include <string>

// Replaces `target` (a UTF-8 path) by a complete new file with these bytes.
// 0 or the Windows error; on error the old file is untouched.
DWORD WriteFileSafely(const std::string& target, const std::string& bytes);

enum class Mp3Outcome { Saved, NothingToWrite, Failed };

struct Mp3Result {
    Mp3Outcome outcome;
    DWORD error;
};

// Stores `utf8Text` as the song's lyrics frame (ISO-8859-1 for ASCII, else
// UTF-16); everything after the song's ID3v2 tag stays as it is, byte for
// byte. `codePage` reads the written tag back for the check. An empty text
// writes nothing (after finishing what an interrupted save left); text that
// is not valid UTF-8 or holds a NUL is refused (ERROR_INVALID_DATA).
Mp3Result WriteLyricsIntoSong(const std::string& song, const std::string& utf8Text, const text::CodePage& codePage);

// The temporary folder (UTF-8) with its trailing backslash, or "" when its
// path does not fit the 200 characters the lyric paths allow for it.
std::string TempFolderPath();
