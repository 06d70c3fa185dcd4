#include "framework/Gdi.h"

#include <cstring>

namespace fw {

void FontDescription::SetFace(const char* text) { CopyBounded(face, sizeof(face), text); }

LOGFONTA MakeLogFont(const FontDescription& desc, HDC hdc) {
    return MakeLogFontForDpi(desc, ::GetDeviceCaps(hdc, LOGPIXELSY));
}

LOGFONTA MakeLogFontForDpi(const FontDescription& desc, int logPixelsY) {
    LOGFONTA lf = {};
    lf.lfHeight = -::MulDiv(desc.points, logPixelsY, 72);
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

HFONT CachedFont::Get(const FontDescription& desc, HDC hdc) {
    const LOGFONTA lf = MakeLogFont(desc, hdc);
    if (!m_font || std::memcmp(&lf, &m_lf, sizeof(lf)) != 0) {
        m_font.reset(::CreateFontIndirectA(&lf));
        m_lf = lf;
    }
    return m_font.get();
}

TextMeasurer::~TextMeasurer() {
    if (m_dc && m_original) ::SelectObject(m_dc.get(), m_original);  // the font must not be selected when deleted
}

SIZE TextMeasurer::Extent(const FontDescription& desc, const std::string& text) {
    SIZE size = {0, 0};
    if (!m_dc) {
        m_dc.reset(::CreateCompatibleDC(nullptr));
        if (!m_dc) return size;
        m_dpi = ::GetDeviceCaps(m_dc.get(), LOGPIXELSY);
    }
    const LOGFONTA lf = MakeLogFontForDpi(desc, m_dpi);
    if (!m_font || std::memcmp(&lf, &m_lf, sizeof(lf)) != 0) {
        if (m_original) ::SelectObject(m_dc.get(), m_original);
        m_font.reset(::CreateFontIndirectA(&lf));
        m_lf = lf;
        HGDIOBJ previous = ::SelectObject(m_dc.get(), m_font.get());
        if (!m_original) m_original = previous;
    }
    ::GetTextExtentPoint32A(m_dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

}  // namespace fw
