// Where the search goes: the published sites page, the connection probe and
// the web-search URL template. Read from the [Search] section of the
// settings file at the start of every search; built-in defaults for keys
// that are missing. These keys are only read, never written.
#pragma once

#include <string>

struct SearchAddresses {
    std::string sitesUrl;
    std::string probeUrl;
    std::string webSearchUrl;  // keeps <artistName> and <songName>
};

SearchAddresses DefaultSearchAddresses();
// The keys of `section` in the settings file ("Search" beside the plugin;
// the plugin's own name and " Search" in a file the player's plugins share).
SearchAddresses ReadSearchAddresses(const std::string& iniPath, const std::string& section = "Search");
