// The HTML clean-up and the entity decoding done literally, step by step:
// each "remove every occurrence" is a pass over the whole text and each
// search starts again from the beginning. Slow on large pages; the tests
// compare the shipped versions with these.
#pragma once

#include <string>

std::string LiteralDecodeEntities(const std::string& text);
std::string LiteralRemoveRepeatedSpans(const std::string& text, const std::string& open,
                                       const std::string& close);
std::string LiteralCleanLyricsHtml(const std::string& fragment);
