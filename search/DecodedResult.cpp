#include "search/DecodedResult.h"

#include "lyrics/TextEncoding.h"

#include <algorithm>

namespace {

// The menu's number for bytes of the code page `id`.
int MenuCodePage(unsigned id, const text::CodePageSource& codePages) {
    if (id == text::kUtf8CodePage) return kCodePageUtf8;
    if (id == codePages.System().Id()) return kCodePageAnsi;
    return static_cast<int>(id);
}

const text::CodePage* CodePageOf(unsigned id, const text::CodePageSource& codePages) {
    if (id == codePages.System().Id()) return &codePages.System();
    return codePages.ById(id);
}

bool IsUtf16(unsigned id) { return id == text::kUtf16LECodePage || id == text::kUtf16BECodePage; }

constexpr size_t kUtf8MarkLength = 3;

}  // namespace

std::string WithoutNulls(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    return text;
}

SearchResult ResultOfDecodedText(std::string text, unsigned decodedFrom, std::string siteName,
                                 const text::CodePageSource& codePages) {
    SearchResult result;
    result.text = WithoutNulls(std::move(text));
    result.siteName = std::move(siteName);
    const text::CodePage* codePage =
        decodedFrom == text::kUtf8CodePage || IsUtf16(decodedFrom) ? nullptr : CodePageOf(decodedFrom, codePages);
    if (codePage != nullptr && codePage->FromUtf8(result.text, result.bytes)) {
        result.codePage = MenuCodePage(decodedFrom, codePages);
    } else {
        result.bytes = result.text;
        result.codePage = kCodePageUtf8;
    }
    return result;
}

SearchResult ResultOfBytes(const std::string& bytes, std::string siteName, const text::CodePageSource& codePages) {
    text::DecodedText decoded = text::DecodeBytes(bytes, codePages.System());
    const text::Encoding encoding = decoded.form.encoding;
    if (encoding == text::Encoding::Utf16LE || encoding == text::Encoding::Utf16BE)
        return ResultOfDecodedText(std::move(decoded.utf8), text::kUtf16LECodePage, std::move(siteName), codePages);
    SearchResult result;
    result.text = WithoutNulls(std::move(decoded.utf8));
    result.bytes = bytes.substr(decoded.form.bom ? kUtf8MarkLength : 0);  // only UTF-8 has a mark here
    result.siteName = std::move(siteName);
    result.codePage = encoding == text::Encoding::Utf8 ? kCodePageUtf8 : kCodePageAnsi;
    return result;
}
