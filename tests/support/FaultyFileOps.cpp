#include "tests/support/FaultyFileOps.h"

#include <algorithm>

const char* OpName(OpKind kind) {
    switch (kind) {
    case OpKind::Open: return "open";
    case OpKind::Write: return "write";
    case OpKind::Flush: return "flush";
    case OpKind::SetEnd: return "cut";
    case OpKind::Close: return "close";
    case OpKind::Move: return "move";
    case OpKind::Delete: return "delete";
    case OpKind::SetAttributes: return "attributes";
    }
    return "?";
}

FaultyFileOps::FaultyFileOps() : m_previous(SwapFileOps(this)) {}

FaultyFileOps::~FaultyFileOps() { SwapFileOps(m_previous); }

void FaultyFileOps::FailAt(int n, DWORD error) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_failAt = n;
    m_error = error;
}

void FaultyFileOps::FailFirst(OpKind kind, const std::string& pathEnd, DWORD error) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_failKind = kind;
    m_failPathEnd = pathEnd;
    m_error = error;
}

void FaultyFileOps::RefuseWritesIn(const std::string& folder, DWORD error) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_refused = folder;
    m_refusal = error;
}

void FaultyFileOps::Before(int n, std::function<void()> action) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_beforeAt = n;
    m_before = std::move(action);
}

void FaultyFileOps::StopAt(int n, std::function<void(const FileOp&)> stop) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_stopAt = n;
    m_stop = std::move(stop);
}

std::vector<FileOp> FaultyFileOps::Ops() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_ops;
}

int FaultyFileOps::Count() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return static_cast<int>(m_ops.size());
}

std::string FaultyFileOps::PathOf(HANDLE file) const {
    for (const auto& entry : m_handles)
        if (entry.first == file) return entry.second;
    return std::string();
}

bool FaultyFileOps::Next(const FileOp& op, bool writes, const void* data, DWORD size, HANDLE file) {
    std::function<void()> before;
    std::function<void(const FileOp&)> stop;
    DWORD error = 0;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_ops.push_back(op);
        const int n = static_cast<int>(m_ops.size());
        if (n == m_beforeAt) before = m_before;
        if (n == m_stopAt) stop = m_stop;
        if (n == m_failAt) error = m_error;
        const std::string& end = m_failPathEnd;
        if (!end.empty() && op.kind == m_failKind && op.path.size() >= end.size() &&
            op.path.compare(op.path.size() - end.size(), end.size(), end) == 0) {
            error = m_error;
            m_failPathEnd.clear();  // the first one only
        }
        const std::string& changed = op.kind == OpKind::Move ? op.to : op.path;
        if (!error && writes && !m_refused.empty() && changed.rfind(m_refused, 0) == 0) error = m_refusal;
    }
    if (before) before();
    if (stop) {
        if (op.kind == OpKind::Write && size > 1) {
            DWORD written = 0;
            ::WriteFile(file, data, size / 2, &written, nullptr);
        }
        stop(op);
    }
    if (!error) return true;
    ::SetLastError(error);
    return false;
}

HANDLE FaultyFileOps::Open(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD attributes) {
    if (!Next(FileOp{OpKind::Open, path, ""}, (access & GENERIC_WRITE) != 0)) return INVALID_HANDLE_VALUE;
    const HANDLE file = files::RealFiles().Open(path, access, share, disposition, attributes);
    if (file != INVALID_HANDLE_VALUE) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_handles.emplace_back(file, path);
    }
    return file;
}

bool FaultyFileOps::Write(HANDLE file, const void* data, DWORD size, DWORD& written) {
    written = 0;
    if (!Next(FileOp{OpKind::Write, PathOf(file), ""}, false, data, size, file)) return false;
    return files::RealFiles().Write(file, data, size, written);
}

bool FaultyFileOps::Flush(HANDLE file) {
    return Next(FileOp{OpKind::Flush, PathOf(file), ""}, false) && files::RealFiles().Flush(file);
}

bool FaultyFileOps::SetEnd(HANDLE file) {
    return Next(FileOp{OpKind::SetEnd, PathOf(file), ""}, false) && files::RealFiles().SetEnd(file);
}

// A close that fails still closes: what it reports is that the data may not
// have reached the disk.
bool FaultyFileOps::Close(HANDLE file) {
    const bool ok = Next(FileOp{OpKind::Close, PathOf(file), ""}, false);
    const DWORD error = ::GetLastError();
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_handles.erase(std::remove_if(m_handles.begin(), m_handles.end(),
                                       [&](const auto& entry) { return entry.first == file; }),
                        m_handles.end());
    }
    const bool closed = files::RealFiles().Close(file);
    if (!ok) ::SetLastError(error);
    return ok && closed;
}

bool FaultyFileOps::Move(const std::string& from, const std::string& to, files::MoveMode mode) {
    return Next(FileOp{OpKind::Move, from, to}, true) && files::RealFiles().Move(from, to, mode);
}

bool FaultyFileOps::Delete(const std::string& path) {
    return Next(FileOp{OpKind::Delete, path, ""}, true) && files::RealFiles().Delete(path);
}

bool FaultyFileOps::SetAttributes(const std::string& path, DWORD attributes) {
    return Next(FileOp{OpKind::SetAttributes, path, ""}, true) && files::RealFiles().SetAttributes(path, attributes);
}
