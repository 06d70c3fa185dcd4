// The saves in progress, listed in a small file in the settings folder. A
// save is listed before it changes anything and leaves the list once nothing
// of it is left beside its target, so a start after the process was killed
// in the middle of a save knows what to finish. It models a process that
// stops, not a machine that loses power: the list is written like every
// other file of saving (complete new file, then moved over the old one).
#pragma once

#include <string>
#include <vector>

namespace journal {

enum class Kind { LyricFile, Song };

struct Entry {
    Kind kind = Kind::Song;
    std::string path;  // UTF-8: the lyric file or the song the save writes
};

bool SameEntry(const Entry& a, const Entry& b);

// The file the list is kept in ("" keeps it in memory only): the list
// becomes what the file holds; a new list whose writing stopped is dropped.
void UseFile(const std::string& file);
std::string FileInUse();
// The file's name in a settings folder.
std::string FileInFolder(const std::string& folder);

// Adds an entry (once) and writes the list; false when the file could not
// be written, which leaves the entry listed in memory.
bool Add(const Entry& entry);
void Remove(const Entry& entry);
std::vector<Entry> Entries();
bool Empty();

// The list as its file holds it, and back; unknown lines are skipped.
std::string Serialize(const std::vector<Entry>& entries);
std::vector<Entry> Parse(const std::string& text);

}  // namespace journal
