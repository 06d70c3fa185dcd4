#include "tools/host/PlayClock.h"

#include <climits>

namespace host {

int PlayClock::PositionLocked(Clock::time_point now) const {
    if (!playing_ || !running_) return baseMs_;
    const long long elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(now - anchor_).count();
    const long long position = baseMs_ + elapsed;
    return position > INT_MAX ? INT_MAX : static_cast<int>(position);
}

void PlayClock::RebaseLocked() {
    const Clock::time_point now = Clock::now();
    baseMs_ = PositionLocked(now);
    anchor_ = now;
}

void PlayClock::SetPlaying(bool playing) {
    std::lock_guard<std::mutex> lock(mutex_);
    RebaseLocked();
    playing_ = playing;
}

bool PlayClock::IsPlaying() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return playing_;
}

void PlayClock::SetRunning(bool running) {
    std::lock_guard<std::mutex> lock(mutex_);
    RebaseLocked();
    running_ = running;
}

void PlayClock::SetPositionMs(int ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    baseMs_ = ms;
    anchor_ = Clock::now();
}

int PlayClock::PositionMs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return PositionLocked(Clock::now());
}

}  // namespace host
