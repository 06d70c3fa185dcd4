// The player's ANSI messages: its Unicode names as text of the system code
// page (CP_ACP), and the way back from what a plugin passes to them.
#pragma once

#include <string>
#include <string_view>

namespace host {

// Every character converted, none replaced by '?' and none by a look-alike
// (a best-fit "L" for "Ł" would name another file).
bool ConvertsToCodePage(std::wstring_view wide);
// Characters without an exact counterpart become '?'.
std::string ToCodePage(std::wstring_view wide);
std::wstring FromCodePage(std::string_view ansi);

// A path as IPC_GETPLAYLISTFILE gives it: the code-page text when every
// character converts; else the 8.3 short name of the file when it has one
// that converts; else the code-page text with '?'.
std::string CodePagePath(const std::wstring& path);

// GetLongPathNameW of the path; empty when there is no such file (or the
// name holds wildcards).
std::wstring LongPath(const std::wstring& path);

// File and field names compare as the file system does: without case.
bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b);

// Copies text into a buffer of `size` characters, cut to size - 1 and always
// terminated; nothing when size is 0.
void CopyTerminated(char* buffer, std::size_t size, std::string_view text);
void CopyTerminated(wchar_t* buffer, std::size_t size, std::wstring_view text);

}  // namespace host
