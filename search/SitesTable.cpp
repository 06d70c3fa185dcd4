#include "search/SitesTable.h"

#include "framework/TextUtil.h"
#include "search/HtmlEntities.h"
#include "search/TextFinder.h"

#include <algorithm>

namespace {

constexpr int kCellsRead = 8;  // cells 8 and 9 are never read

struct TableTags {
    TextFinder row{"<tr>"};
    TextFinder cell{"<td>"};
    TextFinder cellEnd{"</td>"};
};

// Copies value into a field of N bytes, cutting what does not fit at the
// last whole UTF-8 character.
template <size_t N>
void CopyField(char (&field)[N], const std::string& value) {
    fw::CopyBounded(field, N, value);
}

// "NULL" in cells 3 to 6 means no value.
std::string NullToEmpty(const std::string& value) {
    return value == "NULL" ? std::string() : value;
}

// The decoded cells 0..7 of the row whose "<tr>" is at `row`. Each "<td>" is
// searched after the previous one, so a row with fewer cells takes the rest
// from the next row. False when the text runs out of cells.
bool ReadCells(const std::string& text, const TableTags& tags, size_t row, std::string (&cells)[kCellsRead]) {
    size_t cell = row;
    for (std::string& value : cells) {
        cell = tags.cell.Find(text, cell + 1);
        if (cell == std::string::npos) return false;
        const size_t end = tags.cellEnd.Find(text, cell);
        if (end == std::string::npos) return false;
        const size_t start = cell + tags.cell.Length();
        value = DecodeEntities(text.substr(start, end - start));
    }
    return true;
}

SiteRow RowFromCells(const std::string (&cells)[kCellsRead]) {
    SiteRow row{};
    CopyField(row.szUrl, cells[0]);
    CopyField(row.szName, cells[1]);
    row.worker = WorkerFromName(cells[2]);
    CopyField(row.szSiteFilter, NullToEmpty(cells[3]));
    CopyField(row.szLinkText, NullToEmpty(cells[4]));
    CopyField(row.szStartMarker, NullToEmpty(cells[5]));
    CopyField(row.szEndMarker, NullToEmpty(cells[6]));
    row.bLinksAllowed = cells[7] == "true" ? 1 : 0;
    return row;
}

}  // namespace

SiteWorker WorkerFromName(const std::string& name) {
    if (name == "ParsearLinksZipWorker") return SiteWorker::ZipList;
    if (name == "parsearHTMLWorker") return SiteWorker::Html;
    if (name == "parsearHTMLDirectWorker") return SiteWorker::HtmlDirect;
    if (name == "JsonLyricsWorker") return SiteWorker::Json;
    return SiteWorker::None;
}

int ParseSitesTable(const std::string& tableText, SiteRow* rows, int capacity) {
    if (rows == nullptr) return 0;
    const int limit = std::min(capacity, kMaxSites);
    // "&nbsp;" stands for an empty cell.
    const std::string text = ReplaceAll(tableText, TextFinder("&nbsp;"), std::string());
    const TableTags tags;
    int count = 0;
    for (size_t row = tags.row.Find(text); row != std::string::npos && count < limit;
         row = tags.row.Find(text, row + tags.row.Length())) {
        std::string cells[kCellsRead];
        if (!ReadCells(text, tags, row, cells)) break;  // no later row can be complete either
        rows[count++] = RowFromCells(cells);
    }
    return count;
}
