// The emulated host's play state and play position.
#pragma once

#include <chrono>
#include <mutex>

namespace host {

// Thread-safe. While playing with the clock running the position advances
// with real time; otherwise it stays where it was set.
class PlayClock {
public:
    void SetPlaying(bool playing);
    bool IsPlaying() const;
    void SetRunning(bool running);
    void SetPositionMs(int ms);
    int PositionMs() const;

private:
    using Clock = std::chrono::steady_clock;
    int PositionLocked(Clock::time_point now) const;
    // Folds the elapsed time into the base so a state change starts afresh.
    void RebaseLocked();

    mutable std::mutex mutex_;
    bool playing_ = false;
    bool running_ = false;
    int baseMs_ = 0;
    Clock::time_point anchor_ = Clock::now();
};

}  // namespace host
