#include <winsock2.h>
#include <ws2tcpip.h>

#include "search/HttpClient.h"

#include "framework/SystemCodePage.h"
#include "framework/TextUtil.h"
#include "framework/Unicode.h"
#include "search/AddressRule.h"
#include "search/WebAddress.h"

#include <cstring>
#include <vector>

namespace {

const char kAgent[] = "CeHttp";
constexpr DWORD kChunkRequest = 1023;  // one byte of the 1024 stays free for a terminator
// Nothing of the user's goes out: no cookies, no logon (WinINet would log on
// by itself to a host it takes for the intranet), and redirects are ours to
// check.
constexpr DWORD kUrlFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION |
                            INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH |
                            INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_UI;

bool SetTimeoutOption(HINTERNET handle, DWORD option, DWORD ms) {
    return ::InternetSetOptionW(handle, option, &ms, sizeof(ms)) != FALSE;
}

DWORD AtLeastOne(long long ms) { return ms < 1 ? 1 : static_cast<DWORD>(ms); }

bool IsRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool IsSuccess(int status) { return status >= 200 && status <= 299; }

IpAddress FromSocketAddress(const sockaddr* address) {
    if (address->sa_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
        const auto* b = reinterpret_cast<const unsigned char*>(&v4->sin_addr);
        return IpAddress::V4(b[0], b[1], b[2], b[3]);
    }
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
    std::array<unsigned char, 16> bytes{};
    std::memcpy(bytes.data(), &v6->sin6_addr, bytes.size());
    return IpAddress::V6(bytes);
}

// The addresses the system resolves the host to (IP literals included).
std::vector<IpAddress> ResolveHost(const std::string& host) {
    std::vector<IpAddress> addresses;
    if (host.empty()) return addresses;
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return addresses;
    ADDRINFOW hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    ADDRINFOW* found = nullptr;
    if (::GetAddrInfoW(fw::Widen(host).c_str(), nullptr, &hints, &found) == 0) {
        for (const ADDRINFOW* a = found; a; a = a->ai_next)
            if (a->ai_addr && (a->ai_family == AF_INET || a->ai_family == AF_INET6))
                addresses.push_back(FromSocketAddress(a->ai_addr));
        ::FreeAddrInfoW(found);
    }
    ::WSACleanup();
    return addresses;
}

bool MayGo(const std::string& url, Reach reach, int hop) {
    if (reach == Reach::Anywhere || (hop == 0 && reach == Reach::TrustedStart)) return true;
    return MayFetchAddress(url);
}

}  // namespace

bool MayFetchAddress(const std::string& url) { return MayFetchFrom(ResolveHost(HostOfUrl(url))); }

bool IsLoopbackHost(const std::string& url) { return IsLoopbackOnly(ResolveHost(HostOfUrl(url))); }

long long RemainingMs(long long budgetMs, DWORD t0) {
    const DWORD elapsed = ::GetTickCount() - t0;
    return budgetMs - static_cast<long long>(elapsed);
}

BOOL CeHttp::Open(DWORD timeoutMs, const char* agent) {
    const std::wstring agentName = fw::Widen(agent ? agent : kAgent);
    m_hInternet.reset(::InternetOpenW(agentName.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!m_hInternet) return FALSE;
    m_timeoutMs = timeoutMs;
    if (!SetTimeoutOption(m_hInternet.get(), INTERNET_OPTION_CONNECT_TIMEOUT, timeoutMs)) return FALSE;
    // Without these a server that accepts and then stays silent holds the
    // fetch for WinINet's own default instead of the budget.
    SetTimeoutOption(m_hInternet.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, timeoutMs);
    SetTimeoutOption(m_hInternet.get(), INTERNET_OPTION_SEND_TIMEOUT, timeoutMs);
    return TRUE;
}

void CeHttp::LimitTimeouts(DWORD timeoutMs) {
    m_timeoutMs = timeoutMs;
    for (HINTERNET handle : {m_hInternet.get(), m_hConnect.get(), m_hRequest.get()}) {
        if (!handle) continue;
        SetTimeoutOption(handle, INTERNET_OPTION_CONNECT_TIMEOUT, timeoutMs);
        SetTimeoutOption(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, timeoutMs);
        SetTimeoutOption(handle, INTERNET_OPTION_SEND_TIMEOUT, timeoutMs);
    }
}

// What InternetOpenUrlW does for HTTP, in its steps, so that the time-outs
// sit on the request before anything is sent: WinINet implementations differ
// in whether a URL handle inherits the root handle's receive time-out (Wine's
// does not, and a silent server would then hold the fetch for good).
int CeHttp::OpenUrl(const std::string& url) {
    m_hRequest.reset();
    m_hConnect.reset();
    if (!m_hInternet) return 0;
    const std::wstring address = fw::Widen(fw::EscapeUrl(WithoutFragment(url)));
    wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = L"";
    std::wstring path(address.size() + 1, L'\0');
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = ARRAYSIZE(host);
    parts.lpszUrlPath = &path[0];
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    parts.dwExtraInfoLength = 1;  // the query stays in the path
    if (!::InternetCrackUrlW(address.c_str(), static_cast<DWORD>(address.size()), 0, &parts)) return 0;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return 0;
    path.resize(parts.dwUrlPathLength);
    if (parts.lpszExtraInfo && parts.dwExtraInfoLength) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";
    const DWORD_PTR context = reinterpret_cast<DWORD_PTR>(this);
    m_hConnect.reset(::InternetConnectW(m_hInternet.get(), host, parts.nPort, nullptr, nullptr,
                                        INTERNET_SERVICE_HTTP, 0, context));
    if (!m_hConnect) return 0;
    const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0;
    m_hRequest.reset(::HttpOpenRequestW(m_hConnect.get(), L"GET", path.c_str(), nullptr, nullptr, nullptr,
                                        kUrlFlags | secure, context));
    if (!m_hRequest) return 0;
    LimitTimeouts(m_timeoutMs);
    if (!::HttpSendRequestW(m_hRequest.get(), nullptr, 0, nullptr, 0)) return 0;
    DWORD status = 0;
    DWORD length = sizeof(status);
    if (!::HttpQueryInfoW(m_hRequest.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length,
                          nullptr))
        return 0;
    return static_cast<int>(status);
}

std::string CeHttp::Header(DWORD query) const {
    if (!m_hRequest) return std::string();
    std::vector<wchar_t> value(256);
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        if (::HttpQueryInfoW(m_hRequest.get(), query, value.data(), &bytes, nullptr))
            return fw::Narrow(std::wstring_view(value.data(), bytes / sizeof(wchar_t)));
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        value.resize(bytes / sizeof(wchar_t) + 1);  // bytes now holds the size needed
    }
    return std::string();
}

bool CeHttp::ReadChunk(char* chunk, DWORD& n, int timeoutMs, DWORD t0) {
    // A silent server may hold one read at most for what is left.
    SetTimeoutOption(m_hRequest.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, AtLeastOne(RemainingMs(timeoutMs, t0)));
    n = 0;
    // Asking first what has arrived keeps one read from waiting for a whole
    // chunk from a server that drips; 0 available is the end of the data.
    DWORD available = 0;
    if (!::InternetQueryDataAvailable(m_hRequest.get(), &available, 0, 0)) return false;
    const DWORD want = available == 0 || available > kChunkRequest ? kChunkRequest : available;
    return ::InternetReadFile(m_hRequest.get(), chunk, want, &n) != FALSE;
}

bool CeHttp::ReadBody(std::string& body, size_t maxBytes, int timeoutMs) {
    const DWORD t0 = ::GetTickCount();
    body.clear();
    if (!m_hRequest) return false;
    // A body that says it is too large is not read at all.
    const std::string lengthText = Header(HTTP_QUERY_CONTENT_LENGTH);
    const bool hasLength = !lengthText.empty() && lengthText.find_first_not_of("0123456789") == std::string::npos;
    const unsigned long long length = hasLength && lengthText.size() < 19 ? std::stoull(lengthText) : ~0ull;
    if (hasLength && length > maxBytes) return false;
    char chunk[kChunkRequest + 1];
    for (;;) {
        DWORD n = 0;
        // A read that failed is a body cut short (or a time-out): nothing of it counts.
        if (!ReadChunk(chunk, n, timeoutMs, t0)) return false;
        if (RemainingMs(timeoutMs, t0) < 0) return false;  // before the end-of-data test
        if (n == 0) break;
        if (body.size() + n > maxBytes) return false;
        body.append(chunk, n);  // every byte: the charset decides what they are
    }
    return !hasLength || body.size() == length;
}

void CeHttp::Close() {
    m_hRequest.reset();
    m_hConnect.reset();
    m_hInternet.reset();
}

HttpBody FetchBody(const std::string& url, const FetchLimits& limits, const char* agent) {
    const DWORD t0 = ::GetTickCount();
    const std::atomic<int>& running = *limits.running;
    HttpBody result;
    CeHttp http;
    if (!running || !http.Open(limits.budgetMs, agent)) return result;
    std::string address = url;
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        long long remaining = RemainingMs(limits.budgetMs, t0);
        if (!running || remaining <= 0 || !MayGo(address, limits.reach, hop)) break;
        http.LimitTimeouts(AtLeastOne(RemainingMs(limits.budgetMs, t0)));
        const int status = http.OpenUrl(address);
        result.status = status;
        result.retryAfter = http.Header(HTTP_QUERY_RETRY_AFTER);
        if (IsRedirect(status)) {
            const std::string location = http.Header(HTTP_QUERY_LOCATION);
            if (location.empty()) break;
            address = ResolveUrl(address, location);
            continue;
        }
        remaining = RemainingMs(limits.budgetMs, t0);
        if (!IsSuccess(status) || !running || remaining <= 0) break;
        http.LimitTimeouts(AtLeastOne(remaining));
        if (http.ReadBody(result.bytes, limits.maxBytes, static_cast<int>(remaining)))
            result.contentType = http.Header(HTTP_QUERY_CONTENT_TYPE);
        else
            result.bytes.clear();
        break;
    }
    if (IsRedirect(result.status)) result.status = 0;  // too many, or nowhere to go
    http.Close();
    return result;
}

DecodedPage FetchDecodedPage(const std::string& url, const FetchLimits& limits) {
    const HttpBody body = FetchBody(url, limits);
    if (body.bytes.empty()) return DecodedPage{};
    return ReadPage(body.bytes, CharsetOfContentType(body.contentType), fw::SystemCodePages());
}

std::string FetchPage(const std::string& url, const FetchLimits& limits) {
    return FetchDecodedPage(url, limits).utf8;
}

int FetchFile(const std::string& url, unsigned char* buffer, int capacity, const FetchLimits& limits) {
    if (!buffer || capacity <= 0) return 0;
    FetchLimits file = limits;
    file.maxBytes = static_cast<size_t>(capacity);
    const HttpBody body = FetchBody(url, file);
    if (body.bytes.empty()) return 0;
    std::memcpy(buffer, body.bytes.data(), body.bytes.size());
    return static_cast<int>(body.bytes.size());
}
