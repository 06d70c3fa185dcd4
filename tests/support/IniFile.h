// Reading the plugin's settings file the way a user would look at it.
#pragma once

#include <string>
#include <utility>
#include <vector>

using IniEntries = std::vector<std::pair<std::string, std::string>>;

// The key=value lines of the plugin's section, in file order.
IniEntries SectionEntries(const std::string& ini);
// The value of a key, or "<missing>".
std::string ValueOf(const IniEntries& entries, const std::string& key);
