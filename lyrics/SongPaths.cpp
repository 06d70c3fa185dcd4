#include "lyrics/SongPaths.h"

#include "framework/TextUtil.h"
#include "framework/Utf8.h"

#include <utility>

namespace {

// Index where the file name starts (after the last '\').
size_t FileNameStart(const std::string& path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? 0 : slash + 1;
}

// Index of the dot inside the file name, or npos.
size_t NameDot(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < FileNameStart(path))
        return std::string::npos;
    return dot;
}

bool FitsSystemLimit(const std::string& s) {
    // UTF-16 never takes more units than UTF-8 takes bytes.
    return s.size() <= kMaxPathUnits || fw::Utf8ToUtf16(s).size() <= kMaxPathUnits;
}

}  // namespace

std::string SongExtension(const std::string& path) {
    const size_t dot = NameDot(path);
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

bool IsMp3Path(const std::string& path) {
    const std::string ext = SongExtension(path);
    if (ext.size() != 3) return false;
    const char* mp3 = "mp3";
    for (size_t i = 0; i < 3; ++i) {
        if (fw::LowerAscii(ext[i]) != mp3[i]) return false;
    }
    return true;
}

std::string SongFolder(const std::string& path) {
    return path.substr(0, FileNameStart(path));
}

std::string SongBaseName(const std::string& path) {
    const size_t dot = NameDot(path);
    if (dot == std::string::npos) return std::string();
    const size_t start = FileNameStart(path);
    return path.substr(start, dot + 1 - start);
}

std::string SongStem(const std::string& path) {
    const size_t dot = NameDot(path);
    return dot == std::string::npos ? std::string() : path.substr(0, dot + 1);
}

std::string SongFileTitle(const std::string& path) {
    const size_t start = FileNameStart(path);
    const size_t dot = NameDot(path);
    const size_t end = dot == std::string::npos ? path.size() : dot;
    return path.substr(start, end - start);
}

bool FileInFolder(const std::string& folder, const std::string& path,
                  const std::string& ext, std::string& out) {
    out.clear();
    const std::string base = SongBaseName(path);
    if (base.empty()) return false;
    std::string candidate = folder;
    if (candidate.empty() || candidate.back() != '\\') candidate += '\\';
    candidate += base;
    candidate += ext;
    if (!FitsSystemLimit(candidate)) return false;
    out = std::move(candidate);
    return true;
}

bool FileBesideSong(const std::string& path, const std::string& ext,
                    std::string& out) {
    out.clear();
    const std::string stem = SongStem(path);
    if (stem.empty()) return false;
    std::string candidate = stem + ext;
    if (!FitsSystemLimit(candidate)) return false;
    out = std::move(candidate);
    return true;
}
