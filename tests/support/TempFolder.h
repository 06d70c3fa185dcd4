// A temporary folder with a Windows path, removed with everything in it
// when the object goes away.
#pragma once

#include <string>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, ending with a backslash.
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + name; }
    // Creates a sub folder and returns its path with a trailing backslash.
    std::string MakeFolder(const std::string& name) const;

private:
    std::string m_path;
};

// Whole-file helpers for fixtures; paths are UTF-8.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);
// Copies a file that sits beside the running test program into a folder.
std::string CopyFromProgramFolder(const std::string& name, const std::string& folder);
std::string ProgramFolder();
