// A small HTTP/1.1 server on 127.0.0.1 and an ephemeral port, run by a
// thread of the test program. It serves fixture pages and files with a
// chosen status, headers, delay, chunking and drip rate, redirects, and
// connections that never answer; it records every request it gets.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct HttpReply {
    int status = 200;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    int delayBeforeHeadersMs = 0;  // added to the server's delay for every reply
    bool chunked = false;          // Transfer-Encoding: chunked, chunkSize bytes a chunk
    size_t chunkSize = 512;
    size_t dripBytes = 0;  // when set: the body goes out this many bytes at a time,
    int dripIntervalMs = 0;  // with this pause before each piece
    int finalDelayMs = 0;   // pause before the body's end (the last chunk, or the close)
    std::string redirectTo;   // a 302 to this address (body ignored)
    bool neverAnswer = false;  // reads the request and then stays silent until the server stops
    // When set: the connection closes after this many bytes of the body
    // (chunked: inside the chunk that holds them, no last chunk).
    size_t cutAfterBytes = 0;
};

struct SeenRequest {
    std::string target;  // path and query as sent
    std::string userAgent;
    DWORD tick;  // GetTickCount when the request was read
    std::string cookie;  // the Cookie and Authorization headers, when sent
    std::string authorization;
};

class LoopbackHttpServer {
public:
    LoopbackHttpServer();
    // Closes every connection (silent ones too) and joins every thread.
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool IsListening() const { return m_listen != INVALID_SOCKET; }
    int Port() const { return m_port; }
    // "http://127.0.0.1:<port>" followed by target.
    std::string Url(const std::string& target) const;

    // The reply to one exact target (path and query).
    void Serve(const std::string& target, HttpReply reply);
    void Serve(const std::string& target, const std::string& body) { Serve(target, HttpReply{200, body}); }
    // The reply to every target that begins with prefix and has no exact
    // reply (the first prefix served that matches); serving a prefix again
    // replaces its reply.
    void ServePrefix(const std::string& prefix, HttpReply reply);
    void ServePrefix(const std::string& prefix, const std::string& body) { ServePrefix(prefix, HttpReply{200, body}); }
    // Added before the headers of every reply.
    void SetDelayMs(int ms) { m_delayMs = ms; }

    std::vector<SeenRequest> Requests() const;
    int CountRequests(const std::string& target) const;
    // Requests whose target begins with prefix.
    int CountRequestsStartingWith(const std::string& prefix) const;
    // Connections accepted and not yet finished.
    int OpenConnections() const { return m_open; }
    int MostOpenAtOnce() const { return m_mostOpen; }
    void Stop();

private:
    void AcceptLoop();
    void Handle(SOCKET client);
    bool FindReply(const std::string& target, HttpReply& reply) const;
    void SendReply(SOCKET client, const HttpReply& reply);
    // Sleeps unless the server stops first; false when it stopped.
    bool Pause(int ms);

    SOCKET m_listen = INVALID_SOCKET;
    int m_port = 0;
    std::atomic<int> m_delayMs{0};
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_open{0};
    std::atomic<int> m_mostOpen{0};
    std::thread m_acceptThread;

    mutable std::mutex m_lock;  // guards the members below
    std::condition_variable m_stopped;
    std::map<std::string, HttpReply> m_exact;
    std::vector<std::pair<std::string, HttpReply>> m_prefixes;
    std::vector<SeenRequest> m_requests;
    std::vector<SOCKET> m_clients;
    std::vector<std::thread> m_threads;
};
