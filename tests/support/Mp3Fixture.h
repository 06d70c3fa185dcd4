// MP3 files for tests: MPEG audio frames (each one numbered, so that a lost
// or repeated frame shows) with ID3v1, Lyrics3 and, through id3lib, ID3v2
// frames as a test asks.
#pragma once

#include <string>

namespace mp3 {

// `count` MPEG-1 Layer III frames, 128 kbit/s, 44.1 kHz, silent.
std::string Audio(int count = 24);
// A 128-byte ID3v1 tag.
std::string Id3v1(const std::string& title = "Song");

std::string Lyrics3Field(const std::string& id, const std::string& data);
// "LYRICSBEGIN" + fields + 6-digit size + "LYRICS200".
std::string Lyrics3V2(const std::string& fields);
// "LYRICSBEGIN" + lyrics + "LYRICSEND".
std::string Lyrics3V1(const std::string& lyrics);

// ID3v2 frames written straight with id3lib (ID3v2 only, other tags kept).
// `utf16` stores the lyrics in UTF-16 instead of ISO-8859-1.
bool AddLyricsFrame(const std::string& path, const std::string& text, bool utf16 = false);
bool AddTitleFrame(const std::string& path, const std::string& title);

// What id3lib reads from a file's ID3v2 tag.
int CountLyricsFrames(const std::string& path);
std::string LyricsFrameText(const std::string& path);  // first frame; "" when none
std::string TitleFrameText(const std::string& path);

bool Contains(const std::string& bytes, const std::string& part);

}  // namespace mp3
