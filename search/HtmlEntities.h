// Character entities of lyrics pages and of the sites table: "&lt;",
// "&eacute;", "&#233;", "&#x2019;" and the like, each replaced by its
// character in UTF-8. Pure C++ so it can be built natively for sanitizers
// and fuzzing.
#pragma once

#include <optional>
#include <string>

// The text with every recognised entity replaced. An entity runs from an
// ampersand to the next semicolon; scanning goes on after each replacement,
// so a replaced character is never decoded again ("&amp;lt;" gives "&lt;").
// A numeric entity of the value 0 ("&#0;", "&#x0;") is removed: a zero byte
// would end the text wherever it is later handled as a zero-terminated
// string. The result never holds a zero byte the text did not hold.
std::string DecodeEntities(const std::string& text);

// One entity, ampersand and semicolon included: its character in UTF-8,
// the empty string for an entity that is removed (the value 0), or nothing
// when it is not recognised. Named forms and the decimal forms of the table
// match exactly. Any other "&#..." is a number: decimal the way atoi reads
// it (leading white space, a sign, then digits up to the first other
// character), or hexadecimal after "&#x" or "&#X"; without a digit it is no
// entity. Numbers are code points as in HTML: 0x80 to 0x9F are read as
// windows-1252 bytes, and negative numbers, surrogates and numbers past
// U+10FFFF give U+FFFD.
std::optional<std::string> DecodeEntity(const std::string& entity);
