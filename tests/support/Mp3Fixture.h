// MP3 files for tests: MPEG audio frames (each one numbered, so that a lost
// or repeated frame shows) with ID3v1, Lyrics3 and ID3v2 tags, built byte by
// byte or, on ASCII paths, through id3lib.
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

// ID3v2 tags built byte by byte, as other tools write them. Version 2 frames
// have 3-letter ids and 3-byte sizes, version 3 plain and version 4 syncsafe
// 4-byte sizes.
std::string Id3Frame(int major, const std::string& id, const std::string& data, unsigned flags = 0);
// "ID3", the version, flags, the syncsafe size, the frames, then zero padding.
std::string Id3Tag(int major, const std::string& frames, size_t padding = 0, unsigned char flags = 0);
// A lyrics frame's data: encoding byte, language "eng", then the description
// and the text as given (the description's terminator included by the caller).
std::string UsltData(int encoding, const std::string& description, const std::string& text);
std::string Utf16LE(const std::u16string& text);
std::string Utf16BE(const std::u16string& text);
// The data of the first frame with this id in a file's version 2.3 or 2.4
// tag, unsynchronisation aside; "" when there is none.
std::string RawFrameData(const std::string& file, const std::string& id);

// ID3v2 frames written straight with id3lib on an ASCII path (ID3v2 only, other tags kept).
// `utf16` stores the lyrics in UTF-16 instead of ISO-8859-1.
bool AddLyricsFrame(const std::string& path, const std::string& text, bool utf16 = false);
bool AddTitleFrame(const std::string& path, const std::string& title);

// What id3lib reads from a file's ID3v2 tag.
int CountLyricsFrames(const std::string& path);
std::string LyricsFrameText(const std::string& path);  // first frame; "" when none
std::string TitleFrameText(const std::string& path);

bool Contains(const std::string& bytes, const std::string& part);

}  // namespace mp3
