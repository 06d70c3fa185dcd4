#include "search/SearchAddresses.h"

#include <windows.h>

#include <vector>

namespace {

const char kSection[] = "Search";
const char kMissing[] = "\x01missing";

std::string ReadKey(const std::string& iniPath, const char* key, const std::string& fallback) {
    std::vector<char> buf(4096);
    ::GetPrivateProfileStringA(kSection, key, kMissing, buf.data(), static_cast<DWORD>(buf.size()), iniPath.c_str());
    const std::string value = buf.data();
    return value == kMissing ? fallback : value;
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

SearchAddresses ReadSearchAddresses(const std::string& iniPath) {
    SearchAddresses a = DefaultSearchAddresses();
    if (iniPath.empty()) return a;
    a.sitesUrl = ReadKey(iniPath, "SitesUrl", a.sitesUrl);
    a.probeUrl = ReadKey(iniPath, "ProbeUrl", a.probeUrl);
    a.webSearchUrl = ReadKey(iniPath, "WebSearchUrl", a.webSearchUrl);
    return a;
}
