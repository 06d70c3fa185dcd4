// A zip archive held in memory, read through minizip: the list of its
// entries and the unzipped content of one of them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// An entry of the archive's directory: its whole name, whatever its length,
// and where it stands, so that it is unzipped again by place and never by a
// name another entry may share.
struct ZipEntryInfo {
    std::string name;
    unsigned long long directoryOffset = 0;
    unsigned long long index = 0;
};

class MemoryZip {
public:
    explicit MemoryZip(std::string bytes);
    ~MemoryZip();
    MemoryZip(const MemoryZip&) = delete;
    MemoryZip& operator=(const MemoryZip&) = delete;

    bool IsOpen() const { return m_zip != nullptr; }
    std::vector<ZipEntryInfo> Entries();
    std::vector<std::string> EntryNames();
    // Unzips the entry; false when it is damaged or larger than maxSize bytes.
    bool Extract(const ZipEntryInfo& entry, std::string& content, size_t maxSize);

    // The memory the archive is read from, as minizip's stream.
    struct Stream {
        const std::string* data;
        size_t pos;
    };

private:
    std::string m_bytes;
    Stream m_stream{nullptr, 0};
    void* m_zip = nullptr;
};
