#include "lyrics/TextEncoding.h"

#include "framework/Utf8.h"

#include <algorithm>
#include <iterator>

namespace text {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEMark = "\xFF\xFE";
constexpr std::string_view kUtf16BEMark = "\xFE\xFF";

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string_view MarkOf(Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8: return kUtf8Mark;
    case Encoding::Utf16LE: return kUtf16LEMark;
    case Encoding::Utf16BE: return kUtf16BEMark;
    case Encoding::CodePage: break;
    }
    return {};
}

// The form DecodeBytes gives bytes, and the length of their mark.
TextForm DetectForm(std::string_view bytes, std::size_t& markLength) {
    for (const Encoding encoding : {Encoding::Utf8, Encoding::Utf16LE, Encoding::Utf16BE}) {
        if (StartsWith(bytes, MarkOf(encoding))) {
            markLength = MarkOf(encoding).size();
            return {encoding, true};
        }
    }
    markLength = 0;
    if (!fw::IsAscii(bytes) && fw::IsValidUtf8(bytes)) return {Encoding::Utf8, false};
    return {Encoding::CodePage, false};
}

const CodePage& UnicodePage(Encoding encoding) {
    const unsigned id = encoding == Encoding::Utf16LE   ? kUtf16LECodePage
                        : encoding == Encoding::Utf16BE ? kUtf16BECodePage
                                                        : kUtf8CodePage;
    return *UnicodeCodePage(id);
}

// Whether bytes written in the code page come back from DecodeBytes as the
// code page: no mark at the start, and not UTF-8 unless plain ASCII.
bool ReadsBackAsCodePage(std::string_view bytes) {
    std::size_t markLength = 0;
    return DetectForm(bytes, markLength).encoding == Encoding::CodePage;
}

bool FitsCodePage(std::string_view utf8, const CodePage& codePage) {
    std::string bytes;
    return codePage.FromUtf8(utf8, bytes) && ReadsBackAsCodePage(bytes);
}

constexpr TextForm kUtf8WithMark{Encoding::Utf8, true};

}  // namespace

DecodedText DecodeBytes(std::string_view bytes, const CodePage& codePage) {
    DecodedText decoded;
    std::size_t markLength = 0;
    decoded.form = DetectForm(bytes, markLength);
    bytes.remove_prefix(markLength);
    if (decoded.form.encoding == Encoding::CodePage) {
        decoded.utf8 = codePage.ToUtf8(bytes);
        // What follows trusts the text to be UTF-8, whatever the code page did.
        if (!fw::IsValidUtf8(decoded.utf8)) decoded.utf8 = fw::MakeValidUtf8(decoded.utf8);
    } else {
        decoded.utf8 = UnicodePage(decoded.form.encoding).ToUtf8(bytes);
    }
    return decoded;
}

bool StartsWithByteOrderMark(std::string_view bytes) {
    return StartsWith(bytes, kUtf8Mark) || StartsWith(bytes, kUtf16LEMark) || StartsWith(bytes, kUtf16BEMark);
}

bool EncodeText(std::string_view utf8, TextForm form, const CodePage& codePage, std::string& bytes) {
    if (form.encoding == Encoding::CodePage) return codePage.FromUtf8(utf8, bytes);
    const std::string valid = fw::IsValidUtf8(utf8) ? std::string(utf8) : fw::MakeValidUtf8(utf8);
    if (!UnicodePage(form.encoding).FromUtf8(valid, bytes)) return false;
    if (form.bom) bytes.insert(0, MarkOf(form.encoding));
    return true;
}

TextForm FormForSaving(std::string_view utf8, TextForm original, const CodePage& codePage) {
    switch (original.encoding) {
    case Encoding::CodePage:
        return FitsCodePage(utf8, codePage) ? original : kUtf8WithMark;
    case Encoding::Utf8:
        // Without a mark, a text that starts with U+FEFF would lose it when read.
        return original.bom || !StartsWith(utf8, kUtf8Mark) ? original : kUtf8WithMark;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        break;
    }
    return original;  // every character has a UTF-16 form
}

TextForm FormForNewFile(std::string_view utf8, const CodePage& codePage) {
    return FitsCodePage(utf8, codePage) ? TextForm{} : kUtf8WithMark;
}

// --- Character sets of web pages ---------------------------------------------

namespace {

struct CharsetLabel {
    std::string_view label;  // lower case
    unsigned codePage;
};

// Labels browsers know (the WHATWG encoding labels) for the code pages that
// Windows converts, with the Windows numbers. Latin-1 and ASCII are read as
// windows-1252, as browsers do: pages that claim them use 0x80-0x9F for
// quotes and dashes.
constexpr CharsetLabel kCharsetLabels[] = {
    {"ansi_x3.4-1968", 1252},
    {"ascii", 1252},
    {"big5", 950},
    {"big5-hkscs", 950},
    {"chinese", 936},
    {"cn-big5", 950},
    {"cp1250", 1250},
    {"cp1251", 1251},
    {"cp1252", 1252},
    {"cp1253", 1253},
    {"cp1254", 1254},
    {"cp1255", 1255},
    {"cp1256", 1256},
    {"cp1257", 1257},
    {"cp1258", 1258},
    {"cp819", 1252},
    {"cp866", 866},
    {"cp932", 932},
    {"cp936", 936},
    {"cp949", 949},
    {"cp950", 950},
    {"csbig5", 950},
    {"cseuckr", 949},
    {"cseucpkdfmtjapanese", 20932},
    {"csgb2312", 936},
    {"csibm866", 866},
    {"csiso2022jp", 50220},
    {"csisolatin1", 1252},
    {"csisolatin2", 28592},
    {"csisolatin3", 28593},
    {"csisolatin4", 28594},
    {"csisolatin5", 28599},
    {"csisolatin9", 28605},
    {"csisolatincyrillic", 28595},
    {"csisolatingreek", 28597},
    {"csisolatinhebrew", 28598},
    {"csisolatinarabic", 28596},
    {"cskoi8r", 20866},
    {"csksc56011987", 949},
    {"csshiftjis", 932},
    {"cyrillic", 28595},
    {"euc-jp", 20932},
    {"euc-kr", 949},
    {"gb18030", 54936},
    {"gb2312", 936},
    {"gb_2312", 936},
    {"gb_2312-80", 936},
    {"gbk", 936},
    {"greek", 28597},
    {"hebrew", 28598},
    {"ibm819", 1252},
    {"ibm866", 866},
    {"iso-2022-jp", 50220},
    {"iso-8859-1", 1252},
    {"iso-8859-11", 874},
    {"iso-8859-13", 28603},
    {"iso-8859-15", 28605},
    {"iso-8859-2", 28592},
    {"iso-8859-3", 28593},
    {"iso-8859-4", 28594},
    {"iso-8859-5", 28595},
    {"iso-8859-6", 28596},
    {"iso-8859-7", 28597},
    {"iso-8859-8", 28598},
    {"iso-8859-8-i", 38598},
    {"iso-8859-9", 28599},
    {"iso-ir-100", 1252},
    {"iso-ir-149", 949},
    {"iso-ir-58", 936},
    {"iso8859-1", 1252},
    {"iso8859-15", 28605},
    {"iso8859-2", 28592},
    {"iso8859-5", 28595},
    {"iso8859-9", 28599},
    {"iso88591", 1252},
    {"iso885915", 28605},
    {"iso88592", 28592},
    {"iso_8859-1", 1252},
    {"iso_8859-15", 28605},
    {"iso_8859-2", 28592},
    {"iso_8859-5", 28595},
    {"iso_8859-9", 28599},
    {"koi", 20866},
    {"koi8", 20866},
    {"koi8-r", 20866},
    {"koi8-ru", 21866},
    {"koi8-u", 21866},
    {"koi8_r", 20866},
    {"korean", 949},
    {"ks_c_5601-1987", 949},
    {"ks_c_5601-1989", 949},
    {"ksc5601", 949},
    {"ksc_5601", 949},
    {"l1", 1252},
    {"l2", 28592},
    {"l3", 28593},
    {"l4", 28594},
    {"l5", 28599},
    {"l9", 28605},
    {"latin1", 1252},
    {"latin2", 28592},
    {"latin3", 28593},
    {"latin4", 28594},
    {"latin5", 28599},
    {"latin9", 28605},
    {"ms932", 932},
    {"ms_kanji", 932},
    {"shift-jis", 932},
    {"shift_jis", 932},
    {"sjis", 932},
    {"tis-620", 874},
    {"ucs-2", kUtf16LECodePage},
    {"unicode", kUtf16LECodePage},
    {"unicode-1-1-utf-8", kUtf8CodePage},
    {"unicodefeff", kUtf16LECodePage},
    {"unicodefffe", kUtf16BECodePage},
    {"us-ascii", 1252},
    {"utf-16", kUtf16LECodePage},
    {"utf-16be", kUtf16BECodePage},
    {"utf-16le", kUtf16LECodePage},
    {"utf-8", kUtf8CodePage},
    {"utf8", kUtf8CodePage},
    {"windows-1250", 1250},
    {"windows-1251", 1251},
    {"windows-1252", 1252},
    {"windows-1253", 1253},
    {"windows-1254", 1254},
    {"windows-1255", 1255},
    {"windows-1256", 1256},
    {"windows-1257", 1257},
    {"windows-1258", 1258},
    {"windows-31j", 932},
    {"windows-874", 874},
    {"windows-936", 936},
    {"windows-949", 949},
    {"x-cp1250", 1250},
    {"x-cp1251", 1251},
    {"x-cp1252", 1252},
    {"x-cp1253", 1253},
    {"x-cp1254", 1254},
    {"x-cp1255", 1255},
    {"x-cp1256", 1256},
    {"x-cp1257", 1257},
    {"x-cp1258", 1258},
    {"x-euc-jp", 20932},
    {"x-gbk", 936},
    {"x-mac-cyrillic", 10007},
    {"x-mac-roman", 10000},
    {"x-mac-ukrainian", 10017},
    {"x-sjis", 932},
    {"x-unicode20utf8", kUtf8CodePage},
    {"macintosh", 10000},
    {"mac", 10000},
    {"csmacintosh", 10000},
};

bool IsLabelBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '"' || c == '\'';
}

std::string NormalLabel(std::string_view label) {
    while (!label.empty() && IsLabelBlank(label.front())) label.remove_prefix(1);
    while (!label.empty() && IsLabelBlank(label.back())) label.remove_suffix(1);
    std::string lower(label);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

}  // namespace

unsigned CodePageOfCharset(std::string_view label) {
    const std::string key = NormalLabel(label);
    const auto found = std::find_if(std::begin(kCharsetLabels), std::end(kCharsetLabels),
                                    [&](const CharsetLabel& entry) { return entry.label == key; });
    return found == std::end(kCharsetLabels) ? 0 : found->codePage;
}

}  // namespace text
