#include "tests/support/ZipFixture.h"

#include <zlib.h>

#include <cstdint>

namespace {

void Put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::string RawDeflate(const std::string& data) {
    z_stream zs = {};
    deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, static_cast<uLong>(data.size())) + 16, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

}  // namespace

std::string MakeZip(const std::vector<ZipEntry>& entries) {
    std::string zip, central;
    for (const ZipEntry& e : entries) {
        const uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(e.content.data()), static_cast<uInt>(e.content.size()));
        const std::string data = e.deflate ? RawDeflate(e.content) : e.content;
        const uint32_t offset = static_cast<uint32_t>(zip.size());
        auto header = [&](std::string& out, bool centralHeader) {
            Put32(out, centralHeader ? 0x02014b50 : 0x04034b50);
            if (centralHeader) Put16(out, 20);  // made by
            Put16(out, 20);                     // needed to extract
            Put16(out, 0);                      // flags
            Put16(out, e.deflate ? 8 : 0);
            Put16(out, 0);  // time
            Put16(out, 0x21);  // date
            Put32(out, crc);
            Put32(out, static_cast<uint32_t>(data.size()));
            Put32(out, static_cast<uint32_t>(e.content.size()));
            Put16(out, static_cast<unsigned>(e.name.size()));
            Put16(out, 0);  // extra
            if (centralHeader) {
                Put16(out, 0);  // comment
                Put16(out, 0);  // disk
                Put16(out, 0);  // internal attributes
                Put32(out, 0);  // external attributes
                Put32(out, offset);
            }
            out += e.name;
        };
        header(zip, false);
        zip += data;
        header(central, true);
    }
    const uint32_t centralOffset = static_cast<uint32_t>(zip.size());
    zip += central;
    Put32(zip, 0x06054b50);
    Put16(zip, 0);
    Put16(zip, 0);
    Put16(zip, static_cast<unsigned>(entries.size()));
    Put16(zip, static_cast<unsigned>(entries.size()));
    Put32(zip, static_cast<uint32_t>(central.size()));
    Put32(zip, centralOffset);
    Put16(zip, 0);
    return zip;
}
