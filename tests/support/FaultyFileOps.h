// File operations for tests: each one is passed to Windows, recorded, and
// the chosen one fails with a chosen error, runs an action first (a song
// renamed meanwhile), or stops the process there.
#pragma once

#include "tests/support/FileOpsSwitch.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

enum class OpKind { Open, Write, Flush, SetEnd, Close, Move, Delete, SetAttributes };
const char* OpName(OpKind kind);

struct FileOp {
    OpKind kind;
    std::string path;  // the file (for Move: the source), for handles the path they were opened with
    std::string to;    // Move only
};

// Installs itself while it lives.
class FaultyFileOps : public files::FileOps {
public:
    FaultyFileOps();
    ~FaultyFileOps() override;
    FaultyFileOps(const FaultyFileOps&) = delete;
    FaultyFileOps& operator=(const FaultyFileOps&) = delete;

    // The n-th operation (from 1) fails with `error` and does nothing.
    void FailAt(int n, DWORD error);
    // The first operation of this kind on a path ending with `pathEnd` fails.
    void FailFirst(OpKind kind, const std::string& pathEnd, DWORD error);
    // A folder that refuses writing: opening for writing, moving into it,
    // deleting and changing attributes there fail with `error`.
    void RefuseWritesIn(const std::string& folder, DWORD error);
    // `action` runs just before the n-th operation.
    void Before(int n, std::function<void()> action);
    // At the n-th operation `stop` is called and expected never to return;
    // a write writes half its bytes first, as a write cut short does.
    void StopAt(int n, std::function<void(const FileOp&)> stop);

    std::vector<FileOp> Ops() const;
    int Count() const;

    HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD attributes) override;
    bool Write(HANDLE file, const void* data, DWORD size, DWORD& written) override;
    bool Flush(HANDLE file) override;
    bool SetEnd(HANDLE file) override;
    bool Close(HANDLE file) override;
    bool Move(const std::string& from, const std::string& to, files::MoveMode mode) override;
    bool Delete(const std::string& path) override;
    bool SetAttributes(const std::string& path, DWORD attributes) override;

private:
    // Records the operation; false (with the error set) when it must fail.
    bool Next(const FileOp& op, bool writes, const void* data = nullptr, DWORD size = 0,
              HANDLE file = INVALID_HANDLE_VALUE);
    std::string PathOf(HANDLE file) const;

    files::FileOps* m_previous;
    mutable std::mutex m_lock;
    std::vector<FileOp> m_ops;
    std::vector<std::pair<HANDLE, std::string>> m_handles;
    int m_failAt = 0;
    DWORD m_error = 0;
    OpKind m_failKind = OpKind::Open;
    std::string m_failPathEnd;  // "" when no such rule
    std::string m_refused;  // a folder
    DWORD m_refusal = 0;
    int m_beforeAt = 0;
    std::function<void()> m_before;
    int m_stopAt = 0;
    std::function<void(const FileOp&)> m_stop;
};
