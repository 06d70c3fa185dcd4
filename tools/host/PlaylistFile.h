// The host program's playlist file: UTF-8 text (a byte-order mark is
// skipped), one entry per line, "file|title|Field=Value|Field=Value...";
// blank lines and lines starting with '#' are skipped.
#pragma once

#include <string>
#include <vector>

#include "tools/host/Playlist.h"

namespace host {

// False, with *error naming the first line that is not UTF-8, when one is not.
bool ParsePlaylistText(const std::string& text, std::vector<PlaylistEntry>* entries, std::string* error);

// False, with *error telling why, when the file cannot be read or is not UTF-8.
bool LoadPlaylistFile(const std::string& path, std::vector<PlaylistEntry>* entries, std::string* error);

}  // namespace host
