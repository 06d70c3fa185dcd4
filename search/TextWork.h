// A bound on one piece of work over page text: it ends when the search's
// running flag clears or when it has taken more steps than its allowance.
// Whatever is cut short that way gives nothing, as if the page had held no
// lyrics. Pure C++ (no windows.h).
#pragma once

#include <atomic>
#include <cstddef>
#include <limits>

class TextWork {
public:
    // Steps allowed per byte of the text worked on, and steps any text may
    // take. Real pages take one or two steps a byte; a step is a few
    // nanoseconds, so 1 MB of crafted text ends within some 100 ms.
    static constexpr size_t kStepsPerByte = 32;
    static constexpr size_t kBaseSteps = size_t(1) << 22;

    // No flag and no allowance: the work always runs to its end.
    TextWork() = default;
    explicit TextWork(const std::atomic<int>* running, bool bounded = true) : m_running(running), m_bounded(bounded) {}

    // The allowance for a text of `bytes` bytes, from now on.
    void AllowFor(size_t bytes) {
        m_left = m_bounded ? kBaseSteps + bytes * kStepsPerByte : std::numeric_limits<size_t>::max();
    }
    // False once the work must end; the flag is looked at every few
    // thousand steps.
    bool Spend(size_t steps) {
        if (m_ended) return false;
        m_left = steps > m_left ? 0 : m_left - steps;
        m_sinceLook += steps;
        if (m_sinceLook >= kLookEvery) {
            m_sinceLook = 0;
            if (m_running && !*m_running) m_ended = true;
        }
        if (m_left == 0) m_ended = true;
        return !m_ended;
    }
    // Looks at the flag now.
    bool Continue() {
        if (m_running && !*m_running) m_ended = true;
        return !m_ended;
    }
    bool Ended() const { return m_ended; }

private:
    static constexpr size_t kLookEvery = 4096;
    const std::atomic<int>* m_running = nullptr;
    bool m_bounded = false;
    size_t m_left = std::numeric_limits<size_t>::max();
    size_t m_sinceLook = 0;
    bool m_ended = false;
};
