// Any bytes read as a lyrics file or a page, with the Windows-1252 table as
// the system code page: the text is always valid UTF-8; written back in the
// form it was read in (UTF-8, UTF-16) it reads again as the same text and
// form; the code page gives the same bytes back; the forms chosen for saving
// read back as the same text.
#include "framework/Utf8.h"
#include "lyrics/TextEncoding.h"
#include "search/PageCharset.h"
#include "tests/support/Windows1252.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

class TableCodePages : public text::CodePageSource {
public:
    const text::CodePage* ById(unsigned id) const override {
        return id == 1252 ? &Windows1252() : text::UnicodeCodePage(id);
    }
    const text::CodePage& System() const override { return Windows1252(); }
};

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckReadsBack(const std::string& utf8, text::TextForm form) {
    std::string bytes;
    Check(text::EncodeText(utf8, form, Windows1252(), bytes));
    Check(text::DecodeBytes(bytes, Windows1252()).utf8 == utf8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const text::DecodedText decoded = text::DecodeBytes(bytes, Windows1252());
    Check(fw::IsValidUtf8(decoded.utf8));

    std::string written;
    Check(text::EncodeText(decoded.utf8, decoded.form, Windows1252(), written));
    CheckReadsBack(decoded.utf8, text::FormForSaving(decoded.utf8, decoded.form, Windows1252()));
    if (decoded.form.encoding == text::Encoding::CodePage) {
        Check(written == bytes);  // every byte of 1252 has a character
    } else {
        const text::DecodedText again = text::DecodeBytes(written, Windows1252());
        Check(again.utf8 == decoded.utf8 && again.form == decoded.form);
        // What the code page alone makes of the same bytes (for the code page
        // form, the checks above are this one and FormForNewFile's).
        std::string back;
        Check(Windows1252().FromUtf8(Windows1252().ToUtf8(bytes), back) && back == bytes);
        CheckReadsBack(decoded.utf8, text::FormForNewFile(decoded.utf8, Windows1252()));
    }

    // The HTTP charset: none, each Unicode form, the table's, and one the
    // source does not have; the last byte chooses, so the rest stays a page.
    const char* const labels[] = {"", "utf-8", "utf-16be", "windows-1252", "koi8-r"};
    const char* label = size == 0 ? "" : labels[data[size - 1] % 5];
    Check(fw::IsValidUtf8(DecodePage(bytes, label, TableCodePages())));
    const std::string meta = CharsetOfMeta(bytes);
    Check(meta.empty() || text::CodePageOfCharset(meta) != 0);
    Check(CharsetOfContentType(bytes).size() <= bytes.size());
    return 0;
}
