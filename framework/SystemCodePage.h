// The system's code pages for the window-free text code: conversions through
// MultiByteToWideChar and WideCharToMultiByte, strict both ways, so that bytes
// without a character become U+FFFD and a character without bytes is refused
// instead of written as a look-alike or a '?'.
#pragma once

#include "framework/CodePage.h"

#include <windows.h>

namespace fw {

class WindowsCodePage final : public text::CodePage {
public:
    // id must be a code page IsValidCodePage accepts.
    explicit WindowsCodePage(UINT id);

    unsigned Id() const override { return m_id; }
    std::string ToUtf8(std::string_view bytes) const override;
    bool FromUtf8(std::string_view utf8, std::string& bytes) const override;

private:
    std::string ToUtf8ByCharacter(std::string_view bytes) const;
    bool BytesGiveBack(const std::string& bytes, const std::wstring& wide) const;

    UINT m_id;
    bool m_strictFlags;  // takes WC_NO_BEST_FIT_CHARS and lpUsedDefaultChar
    bool m_stateless;    // takes MB_ERR_INVALID_CHARS, and a character converts on its own
    int m_maxCharSize;
};

// The process's ANSI code page (GetACP).
const text::CodePage& SystemCodePage();

// A code page by number, kept for the life of the process; 65001, 1200 and
// 1201 are the built-in Unicode forms. Null for numbers the system does not
// convert (IsValidCodePage) and for the pseudo numbers CP_ACP and the like.
const text::CodePage* CodePageById(unsigned id);

// Both, as the source the window-free code asks.
const text::CodePageSource& SystemCodePages();

}  // namespace fw
