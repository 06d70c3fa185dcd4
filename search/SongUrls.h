// The addresses a search asks: the title and artist go into every one as
// percent-encoded UTF-8, so that any character reaches the server as it is
// and none (a line break least of all) can change the request. Pure C++.
#pragma once

#include <string>

// A sites-table row's address template with "<songName>" and "<artistName>"
// replaced by the title and the artist, percent-encoded (a space is "%20").
std::string FillSongUrl(const std::string& urlTemplate, const std::string& title, const std::string& artist);

// The web-search address: "<songName>" becomes the title's words and
// "<artistName>" the artist's words followed by "+" (nothing without an
// artist), each word percent-encoded and words joined by "+".
std::string WebSearchUrl(const std::string& urlTemplate, const std::string& title, const std::string& artist);
