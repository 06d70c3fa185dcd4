// Cutting lyrics out of an HTML page between a site's markers, and turning
// the HTML fragment into plain lines. Pure C++ (no windows.h).
#pragma once

#include "search/SitesTable.h"
#include "search/TextWork.h"

#include <cstddef>
#include <optional>
#include <string>

// Lyrics text is never longer: a longer fragment or result is no lyrics.
constexpr std::size_t kMaxLyricsBytes = 256 * 1024;

// The text between the row's start and end markers, cleaned with
// CleanLyricsHtml and trimmed at the end; empty when a marker is missing,
// nothing lies between them, or the text holds "<a href" while the row does
// not allow links; empty too when the text between the markers, or the
// lyrics made of it, is longer than kMaxLyricsBytes, or the clean-up took
// more than its allowance (or the work's running flag cleared).
std::string ExtractLyrics(const std::string& page, const SiteRow& row);
std::string ExtractLyrics(const std::string& page, const SiteRow& row, TextWork& work);

// Plain text from an HTML fragment: entities decoded, anchors and tags
// removed, break tags made line breaks, empty lines collapsed, double
// spacing undone, a single long line wrapped and every line trimmed. Lines
// end with "\r\n", the last one too. Anchors are "<a" followed by white
// space, '>' or '/' (or the end): "<abbr>" and "<area>" are other tags.
std::string CleanLyricsHtml(const std::string& fragment);
// The same within the work's allowance for the fragment's size; nothing
// when the work ended first.
std::optional<std::string> CleanLyricsHtml(const std::string& fragment, TextWork& work);
