// Any bytes as a downloaded archive: listing its entries and unzipping the
// first LRC text stay inside the given buffers, names come whole, and what
// comes out fits the block with its terminator.
#include "search/ZipArchive.h"
#include "search/ZipLrc.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kBlock = 4096;
constexpr int kGuard = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    MemoryZip zip(bytes);
    for (const ZipEntryInfo& entry : zip.Entries()) {
        std::string content = "stale";
        const bool whole = zip.Extract(entry, content, kBlock);
        if (!whole && !content.empty()) std::abort();  // nothing partial
        if (content.size() > static_cast<size_t>(kBlock)) std::abort();
    }
    std::vector<char> out(kBlock + kGuard, '\x7F');
    const int n = ExtractLrcFromZip(data, static_cast<int>(size), out.data(), kBlock, ".lrc");
    if (n < 0 || n >= kBlock) std::abort();
    if (n > 0 && out[static_cast<size_t>(n)] != '\0') std::abort();
    for (int i = kBlock; i < kBlock + kGuard; ++i)
        if (out[static_cast<size_t>(i)] != '\x7F') std::abort();
    return 0;
}
