// Writing lyric files and lyrics into songs: every write either completes or
// leaves the old file as it was, and what a save cut short leaves beside its
// target is finished later (by the next save, the next start or a load).
#pragma once

#include "lyrics/SaveJournal.h"
#include "lyrics/TextEncoding.h"

#include <windows.h>

#include <functional>
#include <string>

// Replaces `target` (a UTF-8 path) by a complete new file with these bytes.
// 0 or the Windows error; on error the old file is untouched.
DWORD WriteFileSafely(const std::string& target, const std::string& bytes);

enum class Mp3Outcome {
    Saved,
    NothingToWrite,
    Failed,       // the song is as it was
    Interrupted,  // writing into the song stopped part way: the complete copy beside it finishes it later
};

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

// --- What interrupted saves left ------------------------------------------------

// Something of an interrupted save lies beside the entry's file.
bool HasLeftover(const journal::Entry& entry);
// Finishes it: a song is made whole from its complete copy (or the copy cut
// short is dropped), a lyric file's temporary file is removed. 0 once
// nothing is left, else the error; `interrupted` is set when the song's own
// bytes changed and it is not whole yet.
DWORD FinishInterruptedSave(const journal::Entry& entry, bool* interrupted = nullptr);
// Finishes the saves the journal lists, except those `wait` holds back (a
// song the player plays); the finished ones leave the list. Returns the
// songs finished (their lyrics may have changed).
std::vector<std::string> FinishListedSaves(const std::function<bool(const journal::Entry&)>& wait);

// The temporary folder (UTF-8) with its trailing backslash, or "" when its
// path does not fit the 200 characters the lyric paths allow for it.
std::string TempFolderPath();
