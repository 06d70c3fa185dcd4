#include "framework/FileIo.h"

#include <algorithm>

namespace fw {

bool FileSize(HANDLE file, uint64_t& size) {
    LARGE_INTEGER value;
    if (!::GetFileSizeEx(file, &value) || value.QuadPart < 0) return false;
    size = static_cast<uint64_t>(value.QuadPart);
    return true;
}

bool ReadExactly(HANDLE file, uint64_t offset, void* buffer, std::size_t size) {
    LARGE_INTEGER pos;
    pos.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(file, pos, nullptr, FILE_BEGIN)) return false;
    char* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 20));
        DWORD read = 0;
        if (!::ReadFile(file, out + done, chunk, &read, nullptr) || read == 0) return false;
        done += read;
    }
    return true;
}

}  // namespace fw
