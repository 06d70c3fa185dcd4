// A zip archive held in memory, read through minizip: the list of its
// entries and the unzipped content of one of them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class MemoryZip {
public:
    explicit MemoryZip(std::string bytes);
    ~MemoryZip();
    MemoryZip(const MemoryZip&) = delete;
    MemoryZip& operator=(const MemoryZip&) = delete;

    bool IsOpen() const { return m_zip != nullptr; }
    std::vector<std::string> EntryNames();
    // Unzips the named entry; false when it is missing, damaged or larger
    // than maxSize bytes.
    bool Extract(const std::string& name, std::string& content, size_t maxSize);

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
