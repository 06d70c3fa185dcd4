#include "tests/support/IniFile.h"

#include <sstream>

std::vector<std::pair<std::string, std::string>> SectionEntries(const std::string& ini) {
    std::vector<std::pair<std::string, std::string>> entries;
    std::istringstream in(ini);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inSection = line == "[Velmor Lyrics plugin]";
            continue;
        }
        const size_t eq = line.find('=');
        if (inSection && eq != std::string::npos) entries.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return entries;
}

std::string ValueOf(const std::vector<std::pair<std::string, std::string>>& entries, const std::string& key) {
    for (const auto& e : entries)
        if (e.first == key) return e.second;
    return "<missing>";
}
