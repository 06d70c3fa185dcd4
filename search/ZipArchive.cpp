#include "search/ZipArchive.h"

#include <unzip.h>

#include <cstring>
#include <vector>

namespace {

using Stream = MemoryZip::Stream;

voidpf ZCALLBACK OpenMemory(voidpf opaque, const void*, int mode) {
    if (mode & ZLIB_FILEFUNC_MODE_WRITE) return nullptr;  // read only
    auto* stream = static_cast<Stream*>(opaque);
    stream->pos = 0;
    return stream;
}

uLong ZCALLBACK ReadMemory(voidpf, voidpf s, void* buf, uLong size) {
    auto* stream = static_cast<Stream*>(s);
    const size_t left = stream->data->size() - stream->pos;
    const size_t n = size < left ? size : left;
    std::memcpy(buf, stream->data->data() + stream->pos, n);
    stream->pos += n;
    return static_cast<uLong>(n);
}

uLong ZCALLBACK WriteMemory(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellMemory(voidpf, voidpf s) { return static_cast<Stream*>(s)->pos; }

long ZCALLBACK SeekMemory(voidpf, voidpf s, ZPOS64_T offset, int origin) {
    auto* stream = static_cast<Stream*>(s);
    const ZPOS64_T size = stream->data->size();
    ZPOS64_T base = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_CUR: base = stream->pos; break;
    case ZLIB_FILEFUNC_SEEK_END: base = size; break;
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    default: return -1;
    }
    if (offset > size || base > size - offset) return -1;
    stream->pos = static_cast<size_t>(base + offset);
    return 0;
}

int ZCALLBACK CloseMemory(voidpf, voidpf) { return 0; }
int ZCALLBACK ErrorMemory(voidpf, voidpf) { return 0; }

}  // namespace

MemoryZip::MemoryZip(std::string bytes) : m_bytes(std::move(bytes)) {
    m_stream.data = &m_bytes;
    zlib_filefunc64_def funcs = {};
    funcs.zopen64_file = OpenMemory;
    funcs.zread_file = ReadMemory;
    funcs.zwrite_file = WriteMemory;
    funcs.ztell64_file = TellMemory;
    funcs.zseek64_file = SeekMemory;
    funcs.zclose_file = CloseMemory;
    funcs.zerror_file = ErrorMemory;
    funcs.opaque = &m_stream;
    m_zip = unzOpen2_64("memory", &funcs);
}

MemoryZip::~MemoryZip() {
    if (m_zip) unzClose(m_zip);
}

std::vector<ZipEntryInfo> MemoryZip::Entries() {
    std::vector<ZipEntryInfo> entries;
    if (!m_zip) return entries;
    for (int rc = unzGoToFirstFile(m_zip); rc == UNZ_OK; rc = unzGoToNextFile(m_zip)) {
        unz_file_info64 info = {};
        unz64_file_pos place = {};
        if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzGetFilePos64(m_zip, &place) != UNZ_OK)
            continue;
        // Room for the terminator minizip writes only when there is room.
        std::vector<char> name(static_cast<size_t>(info.size_filename) + 1, '\0');
        if (unzGetCurrentFileInfo64(m_zip, nullptr, name.data(), static_cast<uLong>(name.size()), nullptr, 0, nullptr,
                                    0) != UNZ_OK)
            continue;
        entries.push_back(
            ZipEntryInfo{std::string(name.data(), info.size_filename), place.pos_in_zip_directory, place.num_of_file});
    }
    return entries;
}

std::vector<std::string> MemoryZip::EntryNames() {
    std::vector<std::string> names;
    for (ZipEntryInfo& entry : Entries()) names.push_back(std::move(entry.name));
    return names;
}

bool MemoryZip::Extract(const ZipEntryInfo& entry, std::string& content, size_t maxSize) {
    content.clear();
    unz64_file_pos place = {};
    place.pos_in_zip_directory = entry.directoryOffset;
    place.num_of_file = entry.index;
    if (!m_zip || unzGoToFilePos64(m_zip, &place) != UNZ_OK) return false;
    unz_file_info64 info = {};
    if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return false;
    if (info.uncompressed_size > maxSize) return false;
    if (unzOpenCurrentFile(m_zip) != UNZ_OK) return false;
    char buf[4096];
    int n = 0;
    bool ok = true;
    while ((n = unzReadCurrentFile(m_zip, buf, sizeof(buf))) > 0) {
        if (content.size() + static_cast<size_t>(n) > maxSize) {
            ok = false;
            break;
        }
        content.append(buf, static_cast<size_t>(n));
    }
    if (n < 0) ok = false;
    // A CRC mismatch shows up when the entry is closed.
    if (unzCloseCurrentFile(m_zip) != UNZ_OK) ok = false;
    if (!ok) content.clear();
    return ok;
}
