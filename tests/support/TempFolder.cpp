#include "tests/support/TempFolder.h"

#include "framework/Unicode.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <vector>

namespace {

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + L"\\");
            } else {
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(folder.c_str());
}

}  // namespace

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    wchar_t base[MAX_PATH] = L"";
    ::GetTempPathW(MAX_PATH, base);
    char name[64];
    std::snprintf(name, sizeof(name), "velmor-test-%lu-%lu-%d\\", ::GetCurrentProcessId(), ::GetTickCount(),
                  counter++);
    m_path = fw::Narrow(base) + name;
    ::CreateDirectoryW(fw::Widen(m_path).c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(fw::Widen(m_path)); }

std::string TempFolder::MakeFolder(const std::string& name) const {
    std::string path = m_path + name + "\\";
    ::CreateDirectoryW(fw::Widen(path).c_str(), nullptr);
    return path;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE h = ::CreateFileW(fw::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(h);
    return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE h = ::CreateFileW(fw::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char buf[4096];
    DWORD read = 0;
    while (::ReadFile(h, buf, sizeof(buf), &read, nullptr) && read > 0) bytes.append(buf, read);
    ::CloseHandle(h);
    return bytes;
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesW(fw::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ProgramFolder() {
    wchar_t path[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string folder = fw::Narrow(path);
    return folder.substr(0, folder.rfind('\\') + 1);
}

std::string CopyFromProgramFolder(const std::string& name, const std::string& folder) {
    const std::string target = folder + name;
    ::CopyFileW(fw::Widen(ProgramFolder() + name).c_str(), fw::Widen(target).c_str(), FALSE);
    return target;
}
