// Windows-1252 from a table, for the native build's tests and fuzzers where
// the system's conversions are not there. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) are the C1 controls of the same
// number, as Windows converts them.
#pragma once

#include "framework/CodePage.h"

const text::CodePage& Windows1252();
