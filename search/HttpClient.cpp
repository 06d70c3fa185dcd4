#include "search/HttpClient.h"

#include "framework/SystemCodePage.h"
#include "framework/TextUtil.h"
#include "framework/Unicode.h"

#include <cstring>
#include <vector>

namespace {

const char kAgent[] = "CeHttp";
constexpr DWORD kChunkRequest = 1023;  // one byte of the 1024 stays free for a terminator
constexpr DWORD kUrlFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_PRAGMA_NOCACHE;

bool SetTimeoutOption(HINTERNET handle, DWORD option, DWORD ms) {
    return ::InternetSetOptionW(handle, option, &ms, sizeof(ms)) != FALSE;
}

DWORD AtLeastOne(long long ms) { return ms < 1 ? 1 : static_cast<DWORD>(ms); }

// A read that failed because its time-out (the rest of the budget) ran out
// is a time-out, not the end of a shortened body.
bool TimedOut(int timeoutMs, DWORD t0) {
    return ::GetLastError() == ERROR_INTERNET_TIMEOUT || RemainingMs(timeoutMs, t0) <= 0;
}

}  // namespace

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
BOOL CeHttp::OpenUrl(const std::string& url) {
    if (!m_hInternet) return FALSE;
    const std::wstring address = fw::Widen(fw::EscapeUrl(url));
    wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = L"";
    std::wstring path(address.size() + 1, L'\0');
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = ARRAYSIZE(host);
    parts.lpszUrlPath = &path[0];
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    parts.dwExtraInfoLength = 1;  // query and fragment stay in the path
    if (!::InternetCrackUrlW(address.c_str(), static_cast<DWORD>(address.size()), 0, &parts)) return FALSE;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return FALSE;
    path.resize(parts.dwUrlPathLength);
    if (parts.lpszExtraInfo && parts.dwExtraInfoLength) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";
    const DWORD_PTR context = reinterpret_cast<DWORD_PTR>(this);
    m_hConnect.reset(::InternetConnectW(m_hInternet.get(), host, parts.nPort, nullptr, nullptr,
                                        INTERNET_SERVICE_HTTP, 0, context));
    if (!m_hConnect) return FALSE;
    const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0;
    m_hRequest.reset(::HttpOpenRequestW(m_hConnect.get(), L"GET", path.c_str(), nullptr, nullptr, nullptr,
                                        kUrlFlags | secure, context));
    if (!m_hRequest) return FALSE;
    LimitTimeouts(m_timeoutMs);
    if (!::HttpSendRequestW(m_hRequest.get(), nullptr, 0, nullptr, 0)) return FALSE;
    DWORD status = 0;
    DWORD length = sizeof(status);
    if (!::HttpQueryInfoW(m_hRequest.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length,
                          nullptr))
        return FALSE;
    return status != 404;
}

std::string CeHttp::ContentType() const {
    if (!m_hRequest) return std::string();
    std::vector<wchar_t> value(256);
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        if (::HttpQueryInfoW(m_hRequest.get(), HTTP_QUERY_CONTENT_TYPE, value.data(), &bytes, nullptr))
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

std::string CeHttp::ReadBody(int timeoutMs) {
    const DWORD t0 = ::GetTickCount();
    std::string body;
    if (!m_hRequest) return body;
    char chunk[kChunkRequest + 1];
    for (;;) {
        DWORD n = 0;
        if (!ReadChunk(chunk, n, timeoutMs, t0)) {
            if (TimedOut(timeoutMs, t0)) return std::string();
            break;  // what was read so far stands
        }
        if (RemainingMs(timeoutMs, t0) < 0) return std::string();  // before the end-of-data test
        if (n == 0) break;
        body.append(chunk, n);  // every byte: the charset decides what they are
    }
    return body;
}

int CeHttp::ReadBytes(unsigned char* buffer, int capacity, int timeoutMs) {
    const DWORD t0 = ::GetTickCount();
    if (!m_hRequest || !buffer || capacity < 0) return 0;
    int total = 0;
    char chunk[kChunkRequest + 1];
    for (;;) {
        DWORD n = 0;
        if (!ReadChunk(chunk, n, timeoutMs, t0)) {
            if (TimedOut(timeoutMs, t0)) return 0;
            break;
        }
        if (RemainingMs(timeoutMs, t0) < 0) return 0;
        if (n == 0) break;
        if (static_cast<long long>(total) + n > capacity) return 0;  // nothing partial
        std::memcpy(buffer + total, chunk, n);
        total += static_cast<int>(n);
    }
    return total;
}

void CeHttp::Close() {
    m_hRequest.reset();
    m_hConnect.reset();
    m_hInternet.reset();
}

namespace {

// The steps shared by both fetches; read runs once the URL is open and
// budget is left, with the remaining budget.
template <typename Read>
void Fetch(const std::string& url, DWORD budgetMs, const std::atomic<int>& running, const char* agent, Read read) {
    const DWORD t0 = ::GetTickCount();
    CeHttp http;
    if (!running) return;
    if (http.Open(budgetMs, agent)) {
        long long remaining = RemainingMs(budgetMs, t0);
        if (running && remaining > 0) {
            http.LimitTimeouts(AtLeastOne(remaining));
            if (http.OpenUrl(url)) {
                remaining = RemainingMs(budgetMs, t0);
                if (running && remaining > 0) {
                    http.LimitTimeouts(AtLeastOne(remaining));
                    read(http, static_cast<int>(remaining));
                }
            }
        }
    }
    http.Close();
}

}  // namespace

HttpBody FetchBody(const std::string& url, DWORD budgetMs, const std::atomic<int>& running, const char* agent) {
    HttpBody body;
    Fetch(url, budgetMs, running, agent, [&](CeHttp& http, int remaining) {
        body.bytes = http.ReadBody(remaining);
        if (!body.bytes.empty()) body.contentType = http.ContentType();
    });
    return body;
}

DecodedPage FetchDecodedPage(const std::string& url, DWORD budgetMs, const std::atomic<int>& running) {
    const HttpBody body = FetchBody(url, budgetMs, running);
    if (body.bytes.empty()) return DecodedPage{};
    return ReadPage(body.bytes, CharsetOfContentType(body.contentType), fw::SystemCodePages());
}

std::string FetchPage(const std::string& url, DWORD budgetMs, const std::atomic<int>& running) {
    return FetchDecodedPage(url, budgetMs, running).utf8;
}

int FetchFile(const std::string& url, unsigned char* buffer, int capacity, DWORD budgetMs,
              const std::atomic<int>& running) {
    int size = 0;
    Fetch(url, budgetMs, running, nullptr,
          [&](CeHttp& http, int remaining) { size = http.ReadBytes(buffer, capacity, remaining); });
    return size;
}
