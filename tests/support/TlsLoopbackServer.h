// A loopback HTTPS lyrics service for the tests: tls_server.py run natively
// (Wine starts Unix programs), with a certificate authority made for the run.
// Trust() adds that authority to the root store of the test's own Wine
// prefix, never to this machine's.
#pragma once

#include <string>

class TlsLoopbackServer {
public:
    TlsLoopbackServer();
    ~TlsLoopbackServer();  // asks the server to end
    TlsLoopbackServer(const TlsLoopbackServer&) = delete;
    TlsLoopbackServer& operator=(const TlsLoopbackServer&) = delete;

    bool IsListening() const { return m_port != 0; }
    // "https://localhost:<port>" followed by target (the certificate names localhost).
    std::string Url(const std::string& target) const;
    bool Trust() const;
    // "path user-agent" per request, in order.
    std::string RequestLog() const;

private:
    std::string File(const std::string& name) const;

    std::string m_folder;  // Windows path of the run's folder
    int m_port = 0;
};
