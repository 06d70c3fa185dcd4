// HTTP GET of absolute URLs over WinINet (http:// and https:// alike), with a
// time budget per fetch. URLs and agents are UTF-8; bodies come back as the
// bytes sent, with their Content-Type, or as UTF-8 decoded by their charset.
//
// Only a whole 2xx body counts: an error page, a body cut short (fewer bytes
// than its Content-Length, or a read that failed) and a body larger than
// the fetch allows are nothing. No credentials and no cookies are ever sent;
// redirects are followed here, each one checked like the address it came
// from, at most kMaxRedirects of them.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "search/PageCharset.h"

#include <atomic>
#include <string>

// Pages larger than this are dropped unread.
constexpr size_t kMaxPageBytes = 1024 * 1024;
constexpr int kMaxRedirects = 5;

// Which addresses a fetch may reach (the rule is search/AddressRule.h).
enum class Reach {
    Anywhere,      // this address and where it redirects are trusted
    TrustedStart,  // written in the settings; where it redirects is checked
    PublicOnly,    // it and every redirect must resolve to public addresses
};

struct FetchLimits {
    FetchLimits(DWORD budget, const std::atomic<int>& runningFlag, Reach reachable = Reach::PublicOnly)
        : budgetMs(budget), running(&runningFlag), reach(reachable) {}
    DWORD budgetMs;
    // A cleared flag skips every step not begun yet.
    const std::atomic<int>* running;
    Reach reach;
    size_t maxBytes = kMaxPageBytes;
};

// Owner of one WinINet handle.
class InternetHandle {
public:
    InternetHandle() = default;
    ~InternetHandle() { reset(); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void reset(HINTERNET handle = nullptr) {
        if (m_handle) ::InternetCloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HINTERNET m_handle = nullptr;
};

// One exchange: a root handle, then one request at a time on it.
class CeHttp {
public:
    CeHttp() = default;
    virtual ~CeHttp() = default;  // the handle owners close what Close left
    CeHttp(const CeHttp&) = delete;
    CeHttp& operator=(const CeHttp&) = delete;

    // The root handle, with the connect, receive and send time-outs, sending
    // the given User-Agent ("CeHttp" when none).
    BOOL Open(DWORD timeoutMs, const char* agent = nullptr);
    // Lowers the time-outs of the handles made from now on (and of the
    // request already open) to what is left of the budget.
    void LimitTimeouts(DWORD timeoutMs);
    // Sends the request and returns the answer's status; 0 when the URL
    // cannot be opened or no answer came. Bytes a URL may not hold (spaces,
    // controls, non-ASCII) are percent-encoded first; the fragment is not
    // sent. Redirects are answers like any other.
    int OpenUrl(const std::string& url);
    // A header of the answer; empty when it has none.
    std::string Header(DWORD query) const;
    // The whole body, zero bytes included; false on time-out, on a read
    // that failed, on fewer bytes than the Content-Length and on more than
    // maxBytes.
    bool ReadBody(std::string& body, size_t maxBytes, int timeoutMs);
    void Close();

private:
    // One read of at most 1023 bytes; false when the read failed.
    bool ReadChunk(char* chunk, DWORD& n, int timeoutMs, DWORD t0);

    InternetHandle m_hInternet;
    InternetHandle m_hConnect;
    InternetHandle m_hRequest;
    DWORD m_timeoutMs = 0;
};

struct HttpBody {
    int status = 0;  // of the last answer; 0 when none came or an address was refused
    std::string bytes;  // a whole 2xx body, else empty
    std::string contentType;
    std::string retryAfter;  // the Retry-After header of the last answer
};

// Whole responses with a budget counted from the call; an empty result (or
// 0) means nothing usable came back.
HttpBody FetchBody(const std::string& url, const FetchLimits& limits, const char* agent = nullptr);
// A page as UTF-8, decoded by the charset of its Content-Type, its <meta>
// declaration or else its bytes (ReadPage), with the code page it was read in.
DecodedPage FetchDecodedPage(const std::string& url, const FetchLimits& limits);
std::string FetchPage(const std::string& url, const FetchLimits& limits);
// The body into buffer, when it fits in capacity bytes; its size, else 0.
int FetchFile(const std::string& url, unsigned char* buffer, int capacity, const FetchLimits& limits);

// Whether the rule lets a fetch go to this address: its host resolved to
// public addresses only (search/AddressRule.h).
bool MayFetchAddress(const std::string& url);
// Whether the address's host resolves to loopback only.
bool IsLoopbackHost(const std::string& url);

// Milliseconds of budget left since t0 (may be negative); the tick counter
// wraps harmlessly.
long long RemainingMs(long long budgetMs, DWORD t0);
