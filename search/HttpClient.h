// HTTP GET of absolute URLs over WinINet (http:// and https:// alike), with a
// time budget per fetch. One client object serves exactly one fetch. URLs
// and agents are UTF-8; bodies come back as the bytes sent, with their
// Content-Type, or as UTF-8 decoded by their charset.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "search/PageCharset.h"

#include <atomic>
#include <string>

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
    // FALSE when the URL cannot be opened, the status is unknown or 404.
    // Bytes a URL may not hold (spaces, controls, non-ASCII) are
    // percent-encoded first.
    BOOL OpenUrl(const std::string& url);
    // The response's Content-Type header; empty when it has none.
    std::string ContentType() const;
    // The whole body, zero bytes included; empty on time-out.
    std::string ReadBody(int timeoutMs);
    // The whole body into buffer; 0 on time-out or when it does not fit.
    int ReadBytes(unsigned char* buffer, int capacity, int timeoutMs);
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
    std::string bytes;
    std::string contentType;
};

// Whole responses with a budget in milliseconds counted from the call. A
// cleared running flag skips every step not begun yet; an empty result (or
// 0) means nothing usable came back.
HttpBody FetchBody(const std::string& url, DWORD budgetMs, const std::atomic<int>& running,
                   const char* agent = nullptr);
// A page as UTF-8, decoded by the charset of its Content-Type, its <meta>
// declaration or else its bytes (ReadPage), with the code page it was read in.
DecodedPage FetchDecodedPage(const std::string& url, DWORD budgetMs, const std::atomic<int>& running);
std::string FetchPage(const std::string& url, DWORD budgetMs, const std::atomic<int>& running);
int FetchFile(const std::string& url, unsigned char* buffer, int capacity, DWORD budgetMs,
              const std::atomic<int>& running);

// Milliseconds of budget left since t0 (may be negative); the tick counter
// wraps harmlessly.
long long RemainingMs(long long budgetMs, DWORD t0);
