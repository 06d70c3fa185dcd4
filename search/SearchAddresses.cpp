#include "search/SearchAddresses.h"

#include "framework/Unicode.h"

#include <windows.h>

#include <vector>

namespace {

const wchar_t kMissing[] = L"\x01missing";

std::string ReadKey(const std::string& iniPath, const std::string& section, const wchar_t* key,
                    const std::string& fallback) {
    std::vector<wchar_t> buf(4096);
    ::GetPrivateProfileStringW(fw::Widen(section).c_str(), key, kMissing, buf.data(), static_cast<DWORD>(buf.size()),
                               fw::Widen(iniPath).c_str());
    const std::wstring value = buf.data();
    return value == kMissing ? fallback : fw::Narrow(value);
}

}  // namespace

SearchAddresses DefaultSearchAddresses() {
    SearchAddresses a;
    a.sitesUrl = "http://lyrics.velmor.example/sites/sites.html";
    a.probeUrl = "http://www.google.com/";
    a.webSearchUrl =
        "http://www.google.com/search?as_q=<artistName><songName>+&hl=es&num=100&btnG=Buscar+con+Google"
        "&as_epq=&as_oq=LYRICS+LETRAS&as_eq=&lr=&cr=&as_ft=i&as_filetype=&as_qdr=all&as_occt=any&as_dt=i"
        "&as_sitesearch=&as_rights=&safe=images";
    return a;
}

SearchAddresses ReadSearchAddresses(const std::string& iniPath, const std::string& section) {
    SearchAddresses a = DefaultSearchAddresses();
    if (iniPath.empty()) return a;
    a.sitesUrl = ReadKey(iniPath, section, L"SitesUrl", a.sitesUrl);
    a.probeUrl = ReadKey(iniPath, section, L"ProbeUrl", a.probeUrl);
    a.webSearchUrl = ReadKey(iniPath, section, L"WebSearchUrl", a.webSearchUrl);
    return a;
}
