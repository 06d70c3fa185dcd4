#include "framework/Gdi.h"

#include "framework/Unicode.h"

#include <cstring>

namespace fw {

void FontDescription::SetFace(const char* text) { CopyBounded(face, sizeof(face), text); }

void SetLogFontFace(LOGFONTW& lf, const std::string& face) {
    const std::wstring wide = Widen(face);
    // At most LF_FACESIZE - 1 units, never half of a surrogate pair.
    size_t n = wide.size() < LF_FACESIZE - 1 ? wide.size() : LF_FACESIZE - 1;
    if (n > 0 && n < wide.size() && wide[n - 1] >= 0xD800 && wide[n - 1] <= 0xDBFF) --n;
    std::memcpy(lf.lfFaceName, wide.data(), n * sizeof(wchar_t));
    lf.lfFaceName[n] = L'\0';
}

std::string LogFontFace(const LOGFONTW& lf) {
    return Narrow(std::wstring_view(lf.lfFaceName, wcsnlen(lf.lfFaceName, LF_FACESIZE)));
}

SIZE TextExtent(HDC hdc, const std::string& text) {
    SIZE size = {0, 0};
    const std::wstring wide = Widen(text);
    ::GetTextExtentPoint32W(hdc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size;
}

void DrawTextAt(HDC hdc, int x, int y, const std::string& text) {
    const std::wstring wide = Widen(text);
    ::TextOutW(hdc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

void DrawTextClipped(HDC hdc, int x, int y, const RECT& clip, const std::wstring& text) {
    ::ExtTextOutW(hdc, x, y, ETO_CLIPPED, &clip, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

std::vector<int> CharacterEnds(HDC hdc, const std::wstring& text) {
    std::vector<int> ends(text.size());
    SIZE size = {0, 0};
    if (!text.empty() &&
        !::GetTextExtentExPointW(hdc, text.c_str(), static_cast<int>(text.size()), 0, nullptr, ends.data(), &size))
        ends.assign(text.size(), 0);
    return ends;
}

LOGFONTW MakeLogFont(const FontDescription& desc, HDC hdc) {
    return MakeLogFontForDpi(desc, ::GetDeviceCaps(hdc, LOGPIXELSY));
}

LOGFONTW MakeLogFontForDpi(const FontDescription& desc, int logPixelsY) {
    LOGFONTW lf = {};
    lf.lfHeight = -::MulDiv(desc.points, logPixelsY, 72);
    lf.lfWeight = desc.weight;
    lf.lfItalic = static_cast<BYTE>(desc.italic & 0xFF);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = FIXED_PITCH;
    SetLogFontFace(lf, desc.face);
    return lf;
}

UniqueFont CreateFontFor(const FontDescription& desc, HDC hdc, LOGFONTW* used) {
    LOGFONTW lf = MakeLogFont(desc, hdc);
    if (used) *used = lf;
    return UniqueFont(::CreateFontIndirectW(&lf));
}

HFONT CachedFont::Get(const FontDescription& desc, HDC hdc) {
    const LOGFONTW lf = MakeLogFont(desc, hdc);
    if (!m_font || std::memcmp(&lf, &m_lf, sizeof(lf)) != 0) {
        m_font.reset(::CreateFontIndirectW(&lf));
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
    const LOGFONTW lf = MakeLogFontForDpi(desc, m_dpi);
    if (!m_font || std::memcmp(&lf, &m_lf, sizeof(lf)) != 0) {
        if (m_original) ::SelectObject(m_dc.get(), m_original);
        m_font.reset(::CreateFontIndirectW(&lf));
        m_lf = lf;
        HGDIOBJ previous = ::SelectObject(m_dc.get(), m_font.get());
        if (!m_original) m_original = previous;
    }
    return TextExtent(m_dc.get(), text);
}

}  // namespace fw
