// Takes the first LRC text out of a zip archive held in memory.
#pragma once

#include <cstddef>

// Unpacks into out the first entry whose lower-case name holds pattern past
// its first character and whose text is not empty, and puts a zero byte
// after it. An entry that would not fit out together with that zero byte
// (capacity bytes or more) is passed over, as is a damaged one. Returns the
// text's size, 0 when no entry qualified or the data is no zip archive.
int ExtractLrcFromZip(const unsigned char* data, int size, char* out, int capacity, const char* pattern);
