// The file operations of saving, behind one small interface: every create,
// write, flush, cut, close, move, delete and attribute change a save makes
// goes through Files(), so that a test can make any one of them fail or stop
// the process right there. Files() is defined where the code is linked: the
// plugin's library gives the real operations (plugin/DllMain.cpp), and only
// the test programs link a switch that can put others in their place
// (tests/support/FileOpsSwitch).
#pragma once

#include "framework/Handles.h"

#include <windows.h>

#include <string>

namespace files {

enum class MoveMode {
    Replace,       // the target is replaced when it exists
    OverExisting,  // the target must still exist (a song deleted or renamed meanwhile is not made again)
};

class FileOps {
public:
    virtual ~FileOps() = default;
    // Paths are UTF-8. Each call answers as its Win32 function does (an
    // invalid handle or false, with the error in GetLastError).
    virtual HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD attributes) = 0;
    virtual bool Write(HANDLE file, const void* data, DWORD size, DWORD& written) = 0;
    virtual bool Flush(HANDLE file) = 0;
    // Cuts the file at its file pointer.
    virtual bool SetEnd(HANDLE file) = 0;
    virtual bool Close(HANDLE file) = 0;
    virtual bool Move(const std::string& from, const std::string& to, MoveMode mode) = 0;
    virtual bool Delete(const std::string& path) = 0;
    virtual bool SetAttributes(const std::string& path, DWORD attributes) = 0;
};

// The operations saving uses.
FileOps& Files();
// The operations of Windows itself.
FileOps& RealFiles();

// A file opened through Files(), closed through it.
struct SeamFileTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { Files().Close(h); }
};
using SeamFile = fw::UniqueHandle<HANDLE, SeamFileTraits>;

// --- Steps every save shares -------------------------------------------------

SeamFile Open(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD attributes = 0);
// The last error, or `fallback` when Windows set none.
DWORD LastErrorOr(DWORD fallback);
bool WriteAll(HANDLE file, const char* data, size_t size);
// Closes a file that was written: its close can report that the data did not
// reach the disk. 0 or the error.
DWORD CloseWritten(SeamFile& file);
// Creates `path` with exactly these bytes, on disk before it returns. 0 or
// the error; a failed write deletes what it made.
DWORD WriteNewFile(const std::string& path, const std::string& bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
// The one way a finished file takes the place of another. 0 or the error.
DWORD MoveOver(const std::string& from, const std::string& target, MoveMode mode = MoveMode::Replace);
// True when the file is gone (or never was) afterwards; the error stays in
// GetLastError. A file that is not there costs no operation.
bool Delete(const std::string& path);
bool Exists(const std::string& path);
DWORD Attributes(const std::string& path);

}  // namespace files
