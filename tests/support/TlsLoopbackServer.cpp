#include "tests/support/TlsLoopbackServer.h"

#include "tests/support/TempFolder.h"

#include <windows.h>
#include <wincrypt.h>

#include <string>
#include <vector>

namespace {

// Drive Z: is the Unix root under Wine.
std::string UnixPath(const std::string& windowsPath) {
    std::string path = windowsPath.substr(2);
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace

TlsLoopbackServer::TlsLoopbackServer() {
    m_folder = WindowsPath(VELMOR_BINARY_DIR "/tls-run-" + std::to_string(::GetCurrentProcessId()) + "-" +
                           std::to_string(::GetTickCount()));
    if (!::CreateDirectoryA(m_folder.c_str(), nullptr)) return;
    std::string command = "Z:\\usr\\bin\\python3 " VELMOR_SOURCE_DIR "/tests/support/tls_server.py " + UnixPath(m_folder);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return;
    // A Unix program gives no handle to wait on: the port file says it is ready.
    if (process.hProcess) ::CloseHandle(process.hProcess);
    if (process.hThread) ::CloseHandle(process.hThread);
    for (int i = 0; i < 300 && m_port == 0; ++i) {
        const std::string port = ReadFileBytes(File("port"));
        if (!port.empty()) m_port = std::atoi(port.c_str());
        else ::Sleep(100);
    }
}

TlsLoopbackServer::~TlsLoopbackServer() {
    if (!m_folder.empty()) WriteFileBytes(File("stop"), "");
}

std::string TlsLoopbackServer::File(const std::string& name) const { return m_folder + "\\" + name; }

std::string TlsLoopbackServer::Url(const std::string& target) const {
    return "https://localhost:" + std::to_string(m_port) + target;
}

bool TlsLoopbackServer::Trust() const {
    const std::string der = ReadFileBytes(File("ca.der"));
    if (der.empty()) return false;
    HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    if (!store) return false;
    const BOOL added = ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                                          reinterpret_cast<const BYTE*>(der.data()),
                                                          static_cast<DWORD>(der.size()),
                                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    ::CertCloseStore(store, 0);
    return added != FALSE;
}

std::string TlsLoopbackServer::RequestLog() const { return ReadFileBytes(File("requests.log")); }
