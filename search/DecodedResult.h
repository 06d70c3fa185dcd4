// Results made from what a search downloaded: the text as UTF-8, and the
// bytes the editor's character-set menu reads again, with the character set
// they were read in. Pure C++: the code pages come from a source.
#pragma once

#include "framework/CodePage.h"
#include "search/SearchResults.h"

#include <string>

// A text decoded from bytes in the code page numbered `decodedFrom` (65001
// for UTF-8, 1200/1201 for UTF-16, else a Windows code page). Its bytes are
// the text written back in that code page; a text the code page cannot hold
// (an entity gave a character it lacks), or UTF-16 the menu cannot read, is
// kept as UTF-8. The system code page is kCodePageAnsi.
SearchResult ResultOfDecodedText(std::string text, unsigned decodedFrom, std::string siteName,
                                 const text::CodePageSource& codePages);

// Bytes of a file (an LRC file out of an archive), decoded by their
// byte-order mark, UTF-8 validity or else the system code page. The bytes
// are kept as they came, without the mark.
SearchResult ResultOfBytes(const std::string& bytes, std::string siteName, const text::CodePageSource& codePages);

// The text without U+0000: a zero byte would end it wherever it is later
// handled as a zero-terminated string (a window, a reader of the saved file).
std::string WithoutNulls(std::string text);
