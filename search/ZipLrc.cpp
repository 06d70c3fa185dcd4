#include "search/ZipLrc.h"

#include "search/ZipArchive.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

int ExtractLrcFromZip(const unsigned char* data, int size, char* out, int capacity, const char* pattern) {
    if (!data || size <= 0 || !out || capacity <= 0 || !pattern) return 0;
    MemoryZip zip(std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(size)));
    if (!zip.IsOpen()) return 0;
    for (const ZipEntryInfo& entry : zip.Entries()) {
        if (Lower(entry.name).find(pattern, 1) == std::string::npos) continue;
        std::string text;
        // The limit holds against the directory's claim and the real data alike.
        if (!zip.Extract(entry, text, static_cast<size_t>(capacity) - 1) || text.empty()) continue;
        std::memcpy(out, text.data(), text.size());
        out[text.size()] = '\0';
        return static_cast<int>(text.size());
    }
    return 0;
}
