// Temporary: operations whose real implementation is being written.
#include "plugin/LyricsPluginApp.h"
BOOL CLyricsPluginApp::ReadTagLyrics(const char*, int&) { return FALSE; }
BOOL CLyricsPluginApp::SaveLyrics(int) { return FALSE; }
BOOL CLyricsPluginApp::SaveDownloadedLyrics(int, const std::string&) { return FALSE; }
void CLyricsPluginApp::AskRemoveLyricsFile(const std::string&) {}
void CLyricsPluginApp::ShowFileError(HWND, DWORD, const char*, const char*, const char*) {}
void CLyricsPluginApp::ToggleTagEditMode() {}
int CLyricsPluginApp::InsertTimeTag(int) { return 0; }
void CLyricsPluginApp::DeleteTimeTag() {}
void CLyricsPluginApp::AutoCompleteTags() {}
