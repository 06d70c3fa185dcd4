// Lyrics stored inside MP3 files: the unsynchronised-lyrics frame of the
// ID3v2 tag and the Lyrics3 tag. Files are opened by their wide paths; id3lib
// only ever sees tag bytes in memory. It parses and renders versions 2.2 and
// 2.3; version 2.4 tags and UTF-8 frames, which it cannot read, are handled
// byte by byte (lyrics/Id3v2Frames.h).
#pragma once

#include "lyrics/Id3v2Frames.h"
#include "lyrics/TextEncoding.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class ID3_Frame;
class ID3_Tag;

// --- The lyrics frame of a tag id3lib holds -----------------------------------

enum class FrameRead { None, Read, Unreadable };
// The first lyrics frame's text. Unreadable: a frame id3lib cannot decode (its
// text is UTF-8, which it takes for UTF-16).
FrameRead ReadLyricsFrame(const ID3_Tag& tag, const text::CodePage& codePage, TagText& out);
int RemoveLyricsFrames(ID3_Tag& tag);
// Replaces every lyrics frame by one holding `utf8` (valid, without NUL): in
// ISO-8859-1 when it is ASCII, else in UTF-16. Null and no change for "".
ID3_Frame* WriteLyricsFrame(ID3_Tag& tag, std::string_view utf8);

// --- Tag bytes ----------------------------------------------------------------

enum class TagBytes { None, Read, TooLarge, Damaged };
// The ID3v2 tag at the start of an open file, header to footer: its size is
// where the audio begins. Damaged: the tag claims more than the file holds.
TagBytes ReadId3v2Tag(HANDLE file, std::string& tag);
// The lyrics of ID3v2 tag bytes; false when they hold no readable lyrics frame.
bool ReadTagLyrics(std::string_view tag, const text::CodePage& codePage, TagText& out);
// The tag (or "" for none) with its lyrics frames replaced by one holding
// `utf8`, padded for later growth. Versions 2.2 and 2.3 go through id3lib and
// come out as 2.3; a version 2.4 tag keeps its version and its other frames
// byte for byte. False when the old tag cannot be read whole.
bool RenderTagWithLyrics(std::string_view oldTag, std::string_view utf8, std::string& newTag);

// --- Songs --------------------------------------------------------------------

// The lyrics a song file carries: its ID3v2 lyrics frame when it has one (even
// an empty one), else its Lyrics3 tag. 8-bit text (ISO-8859-1 frames, Lyrics3)
// is read in `codePage`. False when it carries none.
bool ReadSongTagLyrics(const std::string& songFile, const text::CodePage& codePage, TagText& out);
// The bytes of the lyrics of a Lyrics3 tag at `start` of an open file; the
// sizes come from the file and are checked against it first.
bool ReadLyrics3Text(HANDLE file, uint64_t start, int version, std::size_t length, std::string& lyrics);
