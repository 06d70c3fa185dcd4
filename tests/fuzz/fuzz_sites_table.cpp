// Any text as a sites table: rows stay inside the capacity given, every
// field ends with a zero inside its array, a table of valid UTF-8 gives
// fields of valid UTF-8 (no cut splits a character), and nothing past the
// rows moves.
#include "framework/Utf8.h"
#include "search/SitesTable.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

template <size_t N>
void CheckField(const char (&field)[N], bool validText) {
    if (std::memchr(field, '\0', N) == nullptr) std::abort();
    if (validText && !fw::IsValidUtf8(field)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int capacity = data[0] % 8;  // small, so the limit is reached often
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<SiteRow> rows(static_cast<size_t>(capacity) + 1);
    std::memset(rows.data(), 0x5A, sizeof(SiteRow) * rows.size());
    const int count = ParseSitesTable(text, rows.data(), capacity);
    if (count < 0 || count > capacity) std::abort();
    const bool valid = fw::IsValidUtf8(text);
    for (int i = 0; i < count; ++i) {
        const SiteRow& row = rows[static_cast<size_t>(i)];
        CheckField(row.szUrl, valid);
        CheckField(row.szName, valid);
        CheckField(row.szSiteFilter, valid);
        CheckField(row.szLinkText, valid);
        CheckField(row.szStartMarker, valid);
        CheckField(row.szEndMarker, valid);
        if (row.bLinksAllowed != 0 && row.bLinksAllowed != 1) std::abort();
    }
    const auto* guard = reinterpret_cast<const unsigned char*>(&rows[static_cast<size_t>(count)]);
    for (size_t i = 0; i < sizeof(SiteRow) * static_cast<size_t>(capacity + 1 - count); ++i)
        if (guard[i] != 0x5A) std::abort();
    return 0;
}
