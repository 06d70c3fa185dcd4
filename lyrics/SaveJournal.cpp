#include "lyrics/SaveJournal.h"

#include "framework/FilePath.h"
#include "framework/FileIo.h"
#include "framework/TextUtil.h"
#include "lyrics/FileOps.h"

#include <algorithm>
#include <mutex>

namespace journal {

namespace {

const char kFileName[] = "velmor-saves.journal";
const char kSongTag[] = "song\t";
const char kLyricFileTag[] = "lyrics\t";

struct State {
    std::mutex lock;
    std::string file;
    std::vector<Entry> entries;
};

State& TheState() {
    static State state;
    return state;
}

std::string ReadWhole(const std::string& path) {
    fw::UniqueFile file(::CreateFileW(fw::Win32Path(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    uint64_t size = 0;
    if (!file || !fw::FileSize(file.get(), size) || size > (1u << 20)) return std::string();
    std::string text(static_cast<size_t>(size), '\0');
    if (size > 0 && !fw::ReadExactly(file.get(), 0, &text[0], text.size())) return std::string();
    return text;
}

// The whole list as a new file moved over the old one; no entries: no file.
bool Store(const std::string& file, const std::vector<Entry>& entries) {
    if (file.empty()) return true;
    const std::string temp = file + ".tmp";
    if (entries.empty()) return files::Delete(file);
    if (files::WriteNewFile(temp, Serialize(entries))) return false;
    if (files::MoveOver(temp, file)) {
        files::Delete(temp);
        return false;
    }
    return true;
}

}  // namespace

bool SameEntry(const Entry& a, const Entry& b) {
    return a.kind == b.kind && fw::EqualsIgnoringAsciiCase(a.path, b.path);
}

std::string Serialize(const std::vector<Entry>& entries) {
    std::string text;
    for (const Entry& entry : entries) {
        text += entry.kind == Kind::Song ? kSongTag : kLyricFileTag;
        text += entry.path;
        text += "\r\n";
    }
    return text;
}

std::vector<Entry> Parse(const std::string& text) {
    std::vector<Entry> entries;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();  // a line cut short counts only when whole
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (end == text.size()) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        for (const auto& [tag, kind] : {std::make_pair(kSongTag, Kind::Song),
                                        std::make_pair(kLyricFileTag, Kind::LyricFile)}) {
            const std::string prefix = tag;
            if (line.size() > prefix.size() && line.compare(0, prefix.size(), prefix) == 0)
                entries.push_back(Entry{kind, line.substr(prefix.size())});
        }
    }
    return entries;
}

std::string FileInFolder(const std::string& folder) {
    if (folder.empty()) return std::string();
    return folder.back() == '\\' ? folder + kFileName : folder + "\\" + kFileName;
}

void UseFile(const std::string& file) {
    State& state = TheState();
    std::lock_guard<std::mutex> lock(state.lock);
    state.file = file;
    state.entries.clear();
    if (file.empty()) return;
    files::Delete(file + ".tmp");  // a list whose writing stopped: the one before stands
    for (const Entry& entry : Parse(ReadWhole(file))) {
        const auto same = [&](const Entry& e) { return SameEntry(e, entry); };
        if (std::none_of(state.entries.begin(), state.entries.end(), same)) state.entries.push_back(entry);
    }
}

std::string FileInUse() {
    State& state = TheState();
    std::lock_guard<std::mutex> lock(state.lock);
    return state.file;
}

bool Add(const Entry& entry) {
    State& state = TheState();
    std::lock_guard<std::mutex> lock(state.lock);
    const auto same = [&](const Entry& e) { return SameEntry(e, entry); };
    if (std::any_of(state.entries.begin(), state.entries.end(), same)) return true;
    state.entries.push_back(entry);
    return Store(state.file, state.entries);
}

void Remove(const Entry& entry) {
    State& state = TheState();
    std::lock_guard<std::mutex> lock(state.lock);
    const auto same = [&](const Entry& e) { return SameEntry(e, entry); };
    const auto end = std::remove_if(state.entries.begin(), state.entries.end(), same);
    if (end == state.entries.end()) return;
    state.entries.erase(end, state.entries.end());
    Store(state.file, state.entries);
}

std::vector<Entry> Entries() {
    State& state = TheState();
    std::lock_guard<std::mutex> lock(state.lock);
    return state.entries;
}

bool Empty() {
    State& state = TheState();
    std::lock_guard<std::mutex> lock(state.lock);
    return state.entries.empty();
}

}  // namespace journal
