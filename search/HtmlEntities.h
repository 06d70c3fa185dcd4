// Character entities of lyrics pages and of the sites table: "&lt;",
// "&eacute;", "&#233;" and the like, each replaced by one 8-bit character.
// Pure C++ so it can be built natively for sanitizers and fuzzing.
#pragma once

#include <string>

// The text with every recognised entity replaced. An entity runs from an
// ampersand to the next semicolon; scanning goes on after each replacement,
// so a replaced character is never decoded again ("&amp;lt;" gives "&lt;").
// A numeric entity whose character code would be 0 ("&#0;", "&#256;",
// "&#x41;") is removed: a zero byte would end the text wherever it is later
// handled as a zero-terminated string.
std::string DecodeEntities(const std::string& text);

// One entity, ampersand and semicolon included: its replacement character,
// or the empty string when it is not recognised. Named forms and the
// decimal forms of the table match exactly; any other "&#..." is read as a
// decimal number the way atoi reads it and gives the number's low 8 bits.
// That byte may be 0 (a one-character string holding a zero byte), which
// DecodeEntities drops.
std::string DecodeEntity(const std::string& entity);
