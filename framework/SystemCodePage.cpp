#include "framework/SystemCodePage.h"

#include "framework/Unicode.h"
#include "framework/Utf8.h"

#include <climits>
#include <map>
#include <memory>
#include <mutex>

namespace fw {

namespace {

// Code pages whose conversions take no flags at all (MultiByteToWideChar and
// WideCharToMultiByte fail with ERROR_INVALID_FLAGS otherwise): the ISO-2022
// family, HZ, ISCII, UTF-7 and Symbol. They keep a shift state, so they are
// also never converted one character at a time.
bool TakesNoFlags(UINT id) {
    switch (id) {
    case 42: case 50220: case 50221: case 50222: case 50225: case 50227: case 50229:
    case 52936: case 65000:
        return true;
    default:
        return id >= 57002 && id <= 57011;
    }
}

// GB18030 takes MB_ERR_INVALID_CHARS but not WC_NO_BEST_FIT_CHARS, and like
// UTF-8 it has a form for every character, so it has no default character to
// report.
constexpr UINT kGb18030 = 54936;

bool IsPseudoCodePage(unsigned id) {
    return id == CP_ACP || id == CP_OEMCP || id == CP_MACCP || id == CP_THREAD_ACP || id == CP_SYMBOL;
}

bool Decode(UINT id, DWORD flags, const char* bytes, int size, std::wstring& wide) {
    const int length = ::MultiByteToWideChar(id, flags, bytes, size, nullptr, 0);
    if (length <= 0) return false;
    wide.resize(static_cast<std::size_t>(length));
    return ::MultiByteToWideChar(id, flags, bytes, size, &wide[0], length) == length;
}

std::string Replacement() {
    std::string utf8;
    AppendUtf8(utf8, 0xFFFD);
    return utf8;
}

}  // namespace

WindowsCodePage::WindowsCodePage(UINT id)
    : m_id(id),
      m_strictFlags(!TakesNoFlags(id) && id != kGb18030),
      m_stateless(!TakesNoFlags(id)),
      m_maxCharSize(1) {
    CPINFO info{};
    if (::GetCPInfo(id, &info)) m_maxCharSize = static_cast<int>(info.MaxCharSize);
    if (m_maxCharSize < 1) m_maxCharSize = 1;
}

std::string WindowsCodePage::ToUtf8(std::string_view bytes) const {
    if (bytes.empty()) return std::string();
    if (bytes.size() > INT_MAX) return ToUtf8ByCharacter(bytes);
    const int size = static_cast<int>(bytes.size());
    std::wstring wide;
    if (m_stateless) {
        if (Decode(m_id, MB_ERR_INVALID_CHARS, bytes.data(), size, wide)) return Narrow(wide);
        if (::GetLastError() == ERROR_NO_UNICODE_TRANSLATION) return ToUtf8ByCharacter(bytes);
    }
    // Stateful code pages replace what they cannot read themselves.
    if (Decode(m_id, 0, bytes.data(), size, wide)) return Narrow(wide);
    std::string failed;
    for (std::size_t i = 0; i < bytes.size(); ++i) failed += Replacement();
    return failed;
}

// Each character is the shortest run of bytes that converts on its own; a
// byte that starts none becomes U+FFFD and the next byte is tried afresh, so
// a broken double-byte character does not swallow the ASCII after it.
std::string WindowsCodePage::ToUtf8ByCharacter(std::string_view bytes) const {
    std::string utf8;
    utf8.reserve(bytes.size());
    std::wstring wide;
    for (std::size_t pos = 0; pos < bytes.size();) {
        std::size_t taken = 0;
        for (int length = 1; length <= m_maxCharSize && pos + length <= bytes.size(); ++length) {
            if (Decode(m_id, MB_ERR_INVALID_CHARS, bytes.data() + pos, length, wide)) {
                utf8 += Narrow(wide);
                taken = static_cast<std::size_t>(length);
                break;
            }
        }
        if (taken == 0) {
            utf8 += Replacement();
            taken = 1;
        }
        pos += taken;
    }
    return utf8;
}

bool WindowsCodePage::FromUtf8(std::string_view utf8, std::string& bytes) const {
    bytes.clear();
    if (!IsValidUtf8(utf8)) return false;
    if (utf8.empty()) return true;
    const std::wstring wide = Widen(utf8);
    if (wide.size() > INT_MAX / 4) return false;
    const int size = static_cast<int>(wide.size());
    const DWORD flags = m_strictFlags ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL usedDefault = FALSE;
    BOOL* reportDefault = m_strictFlags ? &usedDefault : nullptr;
    const int length = ::WideCharToMultiByte(m_id, flags, wide.data(), size, nullptr, 0, nullptr, reportDefault);
    if (length <= 0 || usedDefault) return false;
    bytes.resize(static_cast<std::size_t>(length));
    if (::WideCharToMultiByte(m_id, flags, wide.data(), size, &bytes[0], length, nullptr, reportDefault) != length)
        return false;
    return !usedDefault && BytesGiveBack(bytes, wide);
}

// The one check every code page allows: the bytes read back as exactly the
// text. It catches what the flags cannot ask for (the ISO-2022 family, GB18030)
// and any look-alike a system writes despite WC_NO_BEST_FIT_CHARS.
bool WindowsCodePage::BytesGiveBack(const std::string& bytes, const std::wstring& wide) const {
    std::wstring back;
    const DWORD flags = m_stateless ? MB_ERR_INVALID_CHARS : 0;
    return Decode(m_id, flags, bytes.data(), static_cast<int>(bytes.size()), back) && back == wide;
}

const text::CodePage* CodePageById(unsigned id) {
    if (const text::CodePage* unicode = text::UnicodeCodePage(id)) return unicode;
    if (IsPseudoCodePage(id) || !::IsValidCodePage(id)) return nullptr;
    static std::mutex lock;
    static std::map<unsigned, std::unique_ptr<WindowsCodePage>> pages;
    const std::lock_guard<std::mutex> guard(lock);
    std::unique_ptr<WindowsCodePage>& page = pages[id];
    if (!page) page = std::make_unique<WindowsCodePage>(id);
    return page.get();
}

const text::CodePage& SystemCodePage() {
    static const text::CodePage* const page = [] {
        const text::CodePage* system = CodePageById(::GetACP());
        return system ? system : text::UnicodeCodePage(text::kUtf8CodePage);
    }();
    return *page;
}

const text::CodePageSource& SystemCodePages() {
    class Source final : public text::CodePageSource {
    public:
        const text::CodePage* ById(unsigned id) const override { return CodePageById(id); }
        const text::CodePage& System() const override { return SystemCodePage(); }
    };
    static const Source source;
    return source;
}

}  // namespace fw
