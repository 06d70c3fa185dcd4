// Trace lines for a debugger (OutputDebugString); nothing is written when
// none listens.
#pragma once

namespace fw {

void DebugTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace fw
