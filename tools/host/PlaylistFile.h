// The host program's playlist file: one entry per line,
// "file|title|Field=Value|Field=Value...", bytes taken as they are; blank
// lines and lines starting with '#' are skipped.
#pragma once

#include <string>
#include <vector>

#include "tools/host/Playlist.h"

namespace host {

std::vector<PlaylistEntry> ParsePlaylistText(const std::string& text);

// False when the file cannot be read.
bool LoadPlaylistFile(const std::string& path, std::vector<PlaylistEntry>* entries);

}  // namespace host
