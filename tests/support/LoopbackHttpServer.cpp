#include "tests/support/LoopbackHttpServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

struct WinsockUser {
    WinsockUser() {
        WSADATA data;
        ::WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockUser() { ::WSACleanup(); }
};

const char* Reason(int status) {
    switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 429: return "Too Many Requests";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

bool SendAll(SOCKET s, const char* data, size_t size) {
    while (size > 0) {
        const int n = ::send(s, data, static_cast<int>(std::min<size_t>(size, 65536)), 0);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool SendAll(SOCKET s, const std::string& text) { return SendAll(s, text.data(), text.size()); }

std::string HeaderValue(const std::string& head, const std::string& name) {
    std::string lower = head;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
    std::string key = "\r\n" + name + ":";
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return static_cast<char>(tolower(c)); });
    const size_t at = lower.find(key);
    if (at == std::string::npos) return std::string();
    size_t begin = at + key.size();
    while (begin < head.size() && head[begin] == ' ') ++begin;
    const size_t end = head.find("\r\n", begin);
    return head.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer() {
    static WinsockUser winsock;
    m_listen = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_listen == INVALID_SOCKET) return;
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    int size = sizeof(addr);
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || ::listen(m_listen, 64) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &size) != 0) {
        ::closesocket(m_listen);
        m_listen = INVALID_SOCKET;
        return;
    }
    m_port = ntohs(addr.sin_port);
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() { Stop(); }

void LoopbackHttpServer::Stop() {
    if (m_stopping.exchange(true)) return;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stopped.notify_all();
        if (m_listen != INVALID_SOCKET) ::closesocket(m_listen);
        for (SOCKET client : m_clients) {
            ::shutdown(client, SD_BOTH);
            ::closesocket(client);
        }
        m_clients.clear();
    }
    if (m_acceptThread.joinable()) m_acceptThread.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        threads.swap(m_threads);
    }
    for (std::thread& t : threads) t.join();
    m_listen = INVALID_SOCKET;
}

std::string LoopbackHttpServer::Url(const std::string& target) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + target;
}

void LoopbackHttpServer::Serve(const std::string& target, HttpReply reply) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_exact[target] = std::move(reply);
}

void LoopbackHttpServer::ServePrefix(const std::string& prefix, HttpReply reply) {
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto& served : m_prefixes) {
        if (served.first == prefix) {
            served.second = std::move(reply);
            return;
        }
    }
    m_prefixes.emplace_back(prefix, std::move(reply));
}

std::vector<SeenRequest> LoopbackHttpServer::Requests() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_requests;
}

int LoopbackHttpServer::CountRequests(const std::string& target) const {
    std::lock_guard<std::mutex> guard(m_lock);
    return static_cast<int>(std::count_if(m_requests.begin(), m_requests.end(),
                                          [&](const SeenRequest& r) { return r.target == target; }));
}

int LoopbackHttpServer::CountRequestsStartingWith(const std::string& prefix) const {
    std::lock_guard<std::mutex> guard(m_lock);
    return static_cast<int>(std::count_if(m_requests.begin(), m_requests.end(), [&](const SeenRequest& r) {
        return r.target.compare(0, prefix.size(), prefix) == 0;
    }));
}

bool LoopbackHttpServer::Pause(int ms) {
    if (ms <= 0) return !m_stopping;
    std::unique_lock<std::mutex> lock(m_lock);
    return !m_stopped.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping.load(); });
}

void LoopbackHttpServer::AcceptLoop() {
    for (;;) {
        SOCKET client = ::accept(m_listen, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;  // closed by Stop
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_stopping) {
            ::closesocket(client);
            return;
        }
        m_clients.push_back(client);
        if (++m_open > m_mostOpen) m_mostOpen = m_open.load();
        m_threads.emplace_back([this, client] { Handle(client); });
    }
}

bool LoopbackHttpServer::FindReply(const std::string& target, HttpReply& reply) const {
    std::lock_guard<std::mutex> guard(m_lock);
    const auto exact = m_exact.find(target);
    if (exact != m_exact.end()) {
        reply = exact->second;
        return true;
    }
    for (const auto& prefix : m_prefixes) {
        if (target.compare(0, prefix.first.size(), prefix.first) == 0) {
            reply = prefix.second;
            return true;
        }
    }
    return false;
}

void LoopbackHttpServer::Handle(SOCKET client) {
    std::string head;
    char buf[2048];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        const int n = ::recv(client, buf, sizeof(buf), 0);
        if (n <= 0) break;
        head.append(buf, static_cast<size_t>(n));
    }
    const size_t space = head.find(' ');
    const size_t space2 = space == std::string::npos ? space : head.find(' ', space + 1);
    if (space2 != std::string::npos) {
        SeenRequest seen{head.substr(space + 1, space2 - space - 1), HeaderValue(head, "User-Agent"), ::GetTickCount(),
                         HeaderValue(head, "Cookie"), HeaderValue(head, "Authorization")};
        HttpReply reply;
        if (!FindReply(seen.target, reply)) reply = HttpReply{404, "<html>not here</html>"};
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_requests.push_back(seen);
        }
        SendReply(client, reply);
    }
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = std::find(m_clients.begin(), m_clients.end(), client);
    if (it != m_clients.end()) {  // else Stop has closed it
        m_clients.erase(it);
        ::shutdown(client, SD_SEND);
        ::closesocket(client);
    }
    --m_open;
}

void LoopbackHttpServer::SendReply(SOCKET client, const HttpReply& reply) {
    if (reply.neverAnswer) {
        Pause(24 * 3600 * 1000);
        return;
    }
    if (!Pause(m_delayMs + reply.delayBeforeHeadersMs)) return;
    const int status = reply.redirectTo.empty() ? reply.status : 302;
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) + "\r\n";
    for (const auto& header : reply.headers) head += header.first + ": " + header.second + "\r\n";
    if (!reply.redirectTo.empty()) head += "Location: " + reply.redirectTo + "\r\n";
    const std::string body = reply.redirectTo.empty() ? reply.body : std::string();
    if (reply.chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else
        head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    if (!SendAll(client, head)) return;

    // The body goes out in pieces: chunks of the chunked encoding, or the
    // drip, or both; a cut ends it early, inside a chunk.
    const size_t piece = reply.dripBytes ? reply.dripBytes : (reply.chunked ? reply.chunkSize : body.size());
    const size_t cut = reply.cutAfterBytes ? reply.cutAfterBytes : std::string::npos;
    for (size_t at = 0; at < body.size(); at += piece) {
        if (reply.dripBytes && !Pause(reply.dripIntervalMs)) return;
        const std::string part = body.substr(at, piece);
        const std::string sent = at >= cut ? std::string() : part.substr(0, cut - at);
        if (reply.chunked) {
            char size[32];
            snprintf(size, sizeof(size), "%zx\r\n", part.size());
            if (!SendAll(client, size + sent + (sent.size() == part.size() ? "\r\n" : ""))) return;
        } else if (!SendAll(client, sent)) {
            return;
        }
        if (at + part.size() > cut) {
            ::Sleep(50);  // what was sent arrives before the connection goes
            return;
        }
    }
    if (!Pause(reply.finalDelayMs)) return;
    if (reply.chunked) SendAll(client, "0\r\n\r\n");
}
