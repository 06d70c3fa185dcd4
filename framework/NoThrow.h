// The boundary between our code and the code that calls it back (the host,
// user32's window and dialog procedures). No C++ exception may cross it: on
// i686 the unwinder cannot pass through the caller's frames and an escaping
// exception ends the player. Whatever escapes is dropped here.
#pragma once

namespace fw {

template <class Result, class Body>
Result NoThrow(Result fallback, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

template <class Body>
void NoThrow(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

}  // namespace fw
