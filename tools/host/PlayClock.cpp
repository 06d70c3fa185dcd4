#include "tools/host/PlayClock.h"

#include <climits>

namespace host {

int PlayClock::PositionLocked(Clock::time_point now) const {
    if (state_ != PlayState::Playing || !running_) return baseMs_;
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

void PlayClock::SetStateLocked(PlayState state) {
    RebaseLocked();
    if (state == PlayState::Stopped && state_ != PlayState::Stopped) ++stops_;
    state_ = state;
}

void PlayClock::SetPlaying(bool playing) {
    std::lock_guard<std::mutex> lock(mutex_);
    SetStateLocked(playing ? PlayState::Playing : PlayState::Stopped);
}

void PlayClock::SetPaused(bool paused) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (paused && state_ == PlayState::Playing) SetStateLocked(PlayState::Paused);
    if (!paused && state_ == PlayState::Paused) SetStateLocked(PlayState::Playing);
}

PlayState PlayClock::State() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

unsigned PlayClock::StopCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stops_;
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
