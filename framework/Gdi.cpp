#include "framework/Gdi.h"

#include <cstring>

namespace fw {

bool CopyBounded(char* dest, size_t size, const char* text) {
    if (size == 0) return false;
    size_t len = text ? std::strlen(text) : 0;
    size_t n = len < size - 1 ? len : size - 1;
    if (n) std::memcpy(dest, text, n);
    dest[n] = '\0';
    return n == len;
}

void FontDescription::SetFace(const char* text) { CopyBounded(face, sizeof(face), text); }

LOGFONTA MakeLogFont(const FontDescription& desc, HDC hdc) {
    LOGFONTA lf = {};
    lf.lfHeight = -::MulDiv(desc.points, ::GetDeviceCaps(hdc, LOGPIXELSY), 72);
    lf.lfWeight = desc.weight;
    lf.lfItalic = static_cast<BYTE>(desc.italic & 0xFF);
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = FIXED_PITCH;
    CopyBounded(lf.lfFaceName, sizeof(lf.lfFaceName), desc.face);
    return lf;
}

UniqueFont CreateFontFor(const FontDescription& desc, HDC hdc, LOGFONTA* used) {
    LOGFONTA lf = MakeLogFont(desc, hdc);
    if (used) *used = lf;
    return UniqueFont(::CreateFontIndirectA(&lf));
}

}  // namespace fw
