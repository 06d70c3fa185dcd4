#include "tools/host/WholeFile.h"

#include <windows.h>

#include "framework/Unicode.h"
#include "tools/host/HostHandles.h"

namespace host {

bool ReadWholeFile(const std::string& path, std::string* bytes) {
    UniqueFile file(CreateFileW(fw::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
    std::string text(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() && !ReadFile(file.get(), &text[0], static_cast<DWORD>(text.size()), &read, nullptr)) return false;
    text.resize(read);
    *bytes = std::move(text);
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    UniqueFile file(CreateFileW(fw::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (bytes.empty()) return true;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace host
