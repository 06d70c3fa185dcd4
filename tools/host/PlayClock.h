// The emulated host's play state and play position.
#pragma once

#include <chrono>
#include <mutex>

namespace host {

enum class PlayState { Stopped, Playing, Paused };

// Thread-safe. While playing (not paused) with the clock running the
// position advances with real time; otherwise it stays where it was set.
class PlayClock {
public:
    // Playing from stopped or paused keeps the position; stopping keeps it too.
    void SetPlaying(bool playing);
    // Pausing only takes while playing; unpausing only while paused.
    void SetPaused(bool paused);
    PlayState State() const;
    // How many times play has gone from playing or paused to stopped.
    unsigned StopCount() const;
    void SetRunning(bool running);
    void SetPositionMs(int ms);
    int PositionMs() const;

private:
    using Clock = std::chrono::steady_clock;
    int PositionLocked(Clock::time_point now) const;
    // Folds the elapsed time into the base so a state change starts afresh.
    void RebaseLocked();
    void SetStateLocked(PlayState state);

    mutable std::mutex mutex_;
    PlayState state_ = PlayState::Stopped;
    unsigned stops_ = 0;
    bool running_ = false;
    int baseMs_ = 0;
    Clock::time_point anchor_ = Clock::now();
};

}  // namespace host
