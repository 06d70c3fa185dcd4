// Whole files by UTF-8 path, through the W functions so any name opens.
#pragma once

#include <string>

namespace host {

// False when the file cannot be read.
bool ReadWholeFile(const std::string& path, std::string* bytes);
// Creates or replaces the file; false when it cannot be written.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace host
