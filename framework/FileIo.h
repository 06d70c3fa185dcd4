// Whole reads of byte ranges of open files.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace fw {

bool FileSize(HANDLE file, uint64_t& size);
// Reads exactly `size` bytes at `offset`; false on any shortfall.
bool ReadExactly(HANDLE file, uint64_t offset, void* buffer, std::size_t size);

}  // namespace fw
