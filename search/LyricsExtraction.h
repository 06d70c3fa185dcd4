// Cutting lyrics out of an HTML page between a site's markers, and turning
// the HTML fragment into plain lines. Pure C++ (no windows.h).
#pragma once

#include "search/SitesTable.h"

#include <string>

// The text between the row's start and end markers, cleaned with
// CleanLyricsHtml and trimmed at the end; empty when a marker is missing,
// nothing lies between them, or the text holds "<a href" while the row does
// not allow links.
std::string ExtractLyrics(const std::string& page, const SiteRow& row);

// Plain text from an HTML fragment: entities decoded, anchors and tags
// removed, break tags made line breaks, empty lines collapsed, double
// spacing undone, a single long line wrapped and every line trimmed. Lines
// end with "\r\n", the last one too.
std::string CleanLyricsHtml(const std::string& fragment);
