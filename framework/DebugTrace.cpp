#include "framework/DebugTrace.h"

#include "framework/Unicode.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace fw {

void DebugTrace(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length >= 0) {
        std::vector<char> line(static_cast<size_t>(length) + 1);
        std::vsnprintf(line.data(), line.size(), format, args);
        ::OutputDebugStringW(Widen(line.data()).c_str());
    }
    va_end(args);
}

}  // namespace fw
