#include "tools/host/Screenshot.h"

#include <cstring>

#include "tools/host/HostHandles.h"
#include "tools/host/WholeFile.h"

namespace host {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

std::size_t RowStride(int width) {
    return (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
}

void PutLittleEndian(std::vector<unsigned char>& out, std::size_t offset, unsigned long value,
                     int bytes) {
    for (int i = 0; i < bytes; ++i) out[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

BITMAPINFO Bgr24Info(int width, int height) {
    BITMAPINFO info;
    std::memset(&info, 0, sizeof(info));
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // positive: bottom-up rows, as BMP files store them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}


}  // namespace

std::vector<unsigned char> EncodeBmp24(int width, int height, const unsigned char* rows) {
    const std::size_t pixelBytes = RowStride(width) * static_cast<std::size_t>(height);
    const std::size_t headers = kFileHeaderSize + kInfoHeaderSize;
    std::vector<unsigned char> out(headers + pixelBytes, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLittleEndian(out, 2, static_cast<unsigned long>(out.size()), 4);
    PutLittleEndian(out, 10, static_cast<unsigned long>(headers), 4);
    PutLittleEndian(out, 14, kInfoHeaderSize, 4);
    PutLittleEndian(out, 18, static_cast<unsigned long>(width), 4);
    PutLittleEndian(out, 22, static_cast<unsigned long>(height), 4);
    PutLittleEndian(out, 26, 1, 2);   // planes
    PutLittleEndian(out, 28, 24, 2);  // bits per pixel
    PutLittleEndian(out, 34, static_cast<unsigned long>(pixelBytes), 4);
    if (pixelBytes > 0) std::memcpy(out.data() + headers, rows, pixelBytes);
    return out;
}

bool SaveWindowBitmap(HWND window, const std::string& bmpPath) {
    RECT rect;
    if (!IsWindow(window) || !GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    // Only what is waiting to be painted: a forced repaint would wipe what the
    // plugin draws straight onto its panels every frame.
    RedrawWindow(window, nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);

    WindowDc source(window, WindowDc::Area::Whole);
    if (!source.get()) return false;
    UniqueMemoryDc memory(CreateCompatibleDC(source.get()));
    BITMAPINFO info = Bgr24Info(width, height);
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(source.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || bits == nullptr) return false;
    {
        ScopedSelect select(memory.get(), bitmap.get());
        if (!BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY)) return false;
    }
    GdiFlush();
    const std::vector<unsigned char> bmp = EncodeBmp24(width, height, static_cast<const unsigned char*>(bits));
    return WriteWholeFile(bmpPath, std::string(bmp.begin(), bmp.end()));
}

}  // namespace host
