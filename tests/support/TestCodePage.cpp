#include "tests/support/TestCodePage.h"

#include "framework/Unicode.h"

#include <windows.h>

std::string TestCodePage::ToUtf8(std::string_view bytes) const {
    if (bytes.empty()) return std::string();
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(m_id, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return std::string();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(m_id, 0, bytes.data(), size, &wide[0], length);
    return fw::Narrow(wide);
}

bool TestCodePage::FromUtf8(std::string_view utf8, std::string& bytes) const {
    bytes.clear();
    if (utf8.empty()) return true;
    const std::wstring wide = fw::Widen(utf8);
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int length =
        ::WideCharToMultiByte(m_id, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) return false;
    bytes.assign(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(m_id, WC_NO_BEST_FIT_CHARS, wide.data(), size, &bytes[0], length, nullptr, &usedDefault);
    return !usedDefault;
}
