// Pieces of a song's Windows path (UTF-8, '\' separated) used to name
// lyric files next to the song or in a folder.
//
// The dot that splits name and extension is always the last '.' of the
// file name, never one in a folder name: for C:\my.dir\song there is no
// extension, base name or stem, so no bogus candidate such as C:\my.LRC
// is ever built. When the file name has a dot this is the same as taking
// the last '.' of the whole path.
#pragma once

#include <cstddef>
#include <string>

// The longest path the system takes, in UTF-16 units (with the "\\?\" form).
constexpr size_t kMaxPathUnits = 32767;

// Text after the dot ("mp3" for C:\M\a.b.mp3); "" when none.
std::string SongExtension(const std::string& path);
// The extension equals "MP3" ignoring case.
bool IsMp3Path(const std::string& path);
// Path up to and including its last '\'; "" when there is none.
std::string SongFolder(const std::string& path);
// File name up to and including the dot ("a.b." for C:\M\a.b.mp3).
std::string SongBaseName(const std::string& path);
// Path up to and including the dot ("C:\M\a.b." for C:\M\a.b.mp3).
std::string SongStem(const std::string& path);
// File name without the dot and extension ("a.b"); the whole file name
// when it has no dot.
std::string SongFileTitle(const std::string& path);

// folder + '\' (unless folder already ends with one) + base name + ext.
// False, with out cleared, when there is no base name or it would not fit.
bool FileInFolder(const std::string& folder, const std::string& path,
                  const std::string& ext, std::string& out);
// stem + ext. False, with out cleared, when there is no stem or it would
// not fit.
bool FileBesideSong(const std::string& path, const std::string& ext,
                    std::string& out);
