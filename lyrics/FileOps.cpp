#include "lyrics/FileOps.h"

#include "framework/FilePath.h"

#include <algorithm>

namespace files {

namespace {

class WindowsFiles : public FileOps {
public:
    HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD attributes) override {
        return ::CreateFileW(fw::Win32Path(path).c_str(), access, share, nullptr, disposition, attributes, nullptr);
    }
    bool Write(HANDLE file, const void* data, DWORD size, DWORD& written) override {
        return ::WriteFile(file, data, size, &written, nullptr) != FALSE;
    }
    bool Flush(HANDLE file) override { return ::FlushFileBuffers(file) != FALSE; }
    bool SetEnd(HANDLE file) override { return ::SetEndOfFile(file) != FALSE; }
    bool Close(HANDLE file) override { return ::CloseHandle(file) != FALSE; }
    bool Move(const std::string& from, const std::string& to, MoveMode mode) override {
        const std::wstring target = fw::Win32Path(to);
        // Windows has no move that replaces only an existing file: this
        // check leaves a moment in which the target may still go.
        if (mode == MoveMode::OverExisting && ::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
            ::SetLastError(ERROR_FILE_NOT_FOUND);
            return false;
        }
        return ::MoveFileExW(fw::Win32Path(from).c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    bool Delete(const std::string& path) override { return ::DeleteFileW(fw::Win32Path(path).c_str()) != FALSE; }
    bool SetAttributes(const std::string& path, DWORD attributes) override {
        return ::SetFileAttributesW(fw::Win32Path(path).c_str(), attributes) != FALSE;
    }
};

}  // namespace

FileOps& RealFiles() {
    static WindowsFiles real;
    return real;
}

SeamFile Open(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD attributes) {
    return SeamFile(Files().Open(path, access, share, disposition, attributes));
}

DWORD LastErrorOr(DWORD fallback) {
    const DWORD error = ::GetLastError();
    return error ? error : fallback;
}

bool WriteAll(HANDLE file, const char* data, size_t size) {
    while (size > 0) {
        const DWORD n = static_cast<DWORD>(std::min<size_t>(size, 1u << 20));
        DWORD written = 0;
        if (!Files().Write(file, data, n, written)) return false;
        if (written != n) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

DWORD CloseWritten(SeamFile& file) {
    if (!file) return 0;
    return Files().Close(file.release()) ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
}

DWORD WriteNewFile(const std::string& path, const std::string& bytes, DWORD attributes) {
    DWORD error = 0;
    {
        SeamFile file = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS, attributes);
        if (!file) return LastErrorOr(ERROR_CANNOT_MAKE);
        if (!WriteAll(file.get(), bytes.data(), bytes.size()) || !Files().Flush(file.get()))
            error = LastErrorOr(ERROR_WRITE_FAULT);
        const DWORD closeError = CloseWritten(file);
        if (!error) error = closeError;
    }
    if (error) Delete(path);
    return error;
}

DWORD MoveOver(const std::string& from, const std::string& target, MoveMode mode) {
    if (Files().Move(from, target, mode)) return 0;
    return LastErrorOr(ERROR_ACCESS_DENIED);
}

bool Delete(const std::string& path) {
    if (!Exists(path) || Files().Delete(path)) return true;
    const DWORD error = ::GetLastError();
    const bool gone = !Exists(path);
    ::SetLastError(error);
    return gone;
}

DWORD Attributes(const std::string& path) { return ::GetFileAttributesW(fw::Win32Path(path).c_str()); }

bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace files
