// Saving a window's picture as a 24-bit BMP file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace host {

// Repaints the window with its children and copies it, frame included, into
// a 24-bit BMP file (path in UTF-8). Call it on the window's thread so the
// repaint runs at once.
bool SaveWindowBitmap(HWND window, const std::string& bmpPath);

// The bytes of a 24-bit BMP file for bottom-up BGR rows, each padded to a
// multiple of 4 bytes.
std::vector<unsigned char> EncodeBmp24(int width, int height, const unsigned char* rows);

}  // namespace host
