#include "tools/host/PlaylistFile.h"

#include <sstream>
#include <utility>

#include "framework/Utf8.h"
#include "tools/host/WholeFile.h"

namespace host {

namespace {

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = line.find(separator, start);
        parts.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

bool IsBlank(const std::string& line) {
    return line.find_first_not_of(" \t") == std::string::npos;
}

PlaylistEntry ParseEntry(const std::string& line) {
    const std::vector<std::string> parts = Split(line, '|');
    PlaylistEntry entry;
    entry.file = parts[0];
    if (parts.size() > 1) entry.title = parts[1];
    for (std::size_t i = 2; i < parts.size(); ++i) {
        const std::string::size_type equals = parts[i].find('=');
        // A part without a field name carries nothing to look up.
        if (equals == std::string::npos || equals == 0) continue;
        entry.info[parts[i].substr(0, equals)] = parts[i].substr(equals + 1);
    }
    return entry;
}

}  // namespace

bool ParsePlaylistText(const std::string& text, std::vector<PlaylistEntry>* entries, std::string* error) {
    static const std::string kUtf8Bom = "\xEF\xBB\xBF";
    const bool hasBom = text.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0;
    std::istringstream lines(hasBom ? text.substr(kUtf8Bom.size()) : text);
    std::vector<PlaylistEntry> parsed;
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // A name in another encoding would reach the plugin as some other name.
        if (!fw::IsValidUtf8(line)) {
            *error = "line " + std::to_string(number) + " is not UTF-8";
            return false;
        }
        if (IsBlank(line) || line[0] == '#') continue;
        parsed.push_back(ParseEntry(line));
    }
    *entries = std::move(parsed);
    return true;
}

bool LoadPlaylistFile(const std::string& path, std::vector<PlaylistEntry>* entries, std::string* error) {
    std::string text;
    if (!ReadWholeFile(path, &text)) {
        *error = "cannot read playlist " + path;
        return false;
    }
    if (!ParsePlaylistText(text, entries, error)) {
        *error = "playlist " + path + ": " + *error;
        return false;
    }
    return true;
}

}  // namespace host
