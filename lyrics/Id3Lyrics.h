// Lyrics stored inside MP3 files: the ID3v2 unsynchronised-lyrics frame,
// read and written through id3lib, and Lyrics3 tags, read by our parser.
#pragma once

#include <windows.h>

#include <id3/globals.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class ID3_Frame;
class ID3_Tag;

using FieldText = std::unique_ptr<char[]>;

// Text of the first unsynchronised-lyrics frame; null when there is none.
FieldText GetLyricsFrameText(const ID3_Tag* tag);
// A text field in ISO-8859-1; null when the frame or field is missing.
FieldText GetFieldText(ID3_Frame* frame, ID3_FieldID field);
// Releases a text before its owner would.
void FreeFieldText(FieldText text);
int RemoveLyricsFrames(ID3_Tag& tag);
// Attaches a new lyrics frame (the tag owns it) and returns it; null and no
// change when there is no tag or no text, or when replace is off and the tag
// already has one.
ID3_Frame* WriteLyricsFrame(ID3_Tag* tag, const char* text, const char* description, const char* language,
                            BOOL replace);

// The lyrics a song file carries: its lyrics frame when it has one (even an
// empty one), else its Lyrics3 tag. False when it carries none.
bool ReadSongTagLyrics(const char* songFile, std::string& lyrics);
// The lyrics of a Lyrics3 tag at `start` of an open file; the sizes come
// from the file and are checked against it first.
bool ReadLyrics3Text(HANDLE file, uint64_t start, int version, std::size_t length, std::string& lyrics);
