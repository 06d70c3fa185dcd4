// Any text through the entity decoding: the same text as the literal
// decoding, never longer, never a zero byte that the input did not hold, and
// valid UTF-8 whenever the input was.
#include "framework/Utf8.h"
#include "search/HtmlEntities.h"
#include "tests/support/LiteralCleanHtml.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string decoded = DecodeEntities(text);
    if (decoded != LiteralDecodeEntities(text)) std::abort();
    if (decoded.size() > text.size()) std::abort();
    if (text.find('\0') == std::string::npos && decoded.find('\0') != std::string::npos) std::abort();
    if (fw::IsValidUtf8(text) && !fw::IsValidUtf8(decoded)) std::abort();
    if (const auto character = DecodeEntity(text)) {
        if (character->size() > 4 || !fw::IsValidUtf8(*character)) std::abort();
        if (character->find('\0') != std::string::npos) std::abort();
    }
    return 0;
}
