// The song being shown: what the player said about it, where its lyrics
// came from and the lyrics themselves.
#pragma once

#include "lyrics/LyricsDocument.h"

#include <windows.h>

#include <string>
#include <vector>

struct SongSession {
    std::string file;   // UTF-8, "" while nothing plays
    std::string title;  // at most kSongTextBytes
    std::string artist;
    // The lyric file being tried or last loaded; "" when the lyrics came
    // from inside the song or none were found.
    std::string lyricsFile;
    std::string lyricsExt = "LRC";
    // The loaded lyrics; the lists show them.
    LyricsDocument doc;
    // The song-information lines above the lyrics in the display list.
    std::vector<std::string> infoLines;
    int infoLineCount = 0;
    // The lyrics' "[offset:]" and the user's shift of it (Ctrl+Shift+
    // Left/Right), both in ms, positive: the lines show sooner.
    int fileOffsetMs = 0;
    int userShiftMs = 0;
    // Since when the player names the song "[Opening] ..." (0: it does
    // not), and when it was asked last.
    DWORD openingSince = 0;
    DWORD openingAsked = 0;
};
