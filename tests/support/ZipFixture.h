// Builds zip archives in memory for tests: stored or deflated entries.
#pragma once

#include <string>
#include <vector>

struct ZipEntry {
    std::string name;
    std::string content;
    bool deflate = true;
};

std::string MakeZip(const std::vector<ZipEntry>& entries);
