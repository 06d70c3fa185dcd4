// The span removal behind the HTML clean-up's anchor and tag steps:
//
//   repeat: take the first `open` in the text and the first `close` at or
//   after it; stop when there is none; otherwise remove every copy of the
//   span from that `open` to the end of that `close` from the whole text
//   (one pass from left to right), and start again from the beginning.
//
// Done literally each round scans the whole text, so a page with thousands
// of different tags costs thousands of scans. This gives the same text while
// visiting each character a bounded number of times: the copies of a span
// are found through an index of every opening's current span, kept up to
// date as removals join the text around them.
//
// Removals can make new matches: the openings left in front of a removed
// copy run on to the next closing, and the two sides of a removal can join
// into a new `open` or `close`. Openings whose span grew that way leave the
// index (re-indexing them at every join would be quadratic); a span with two
// or more openings is compared instead, from its closing backwards, with the
// groups of such openings that end in the same text from their last few
// (up to four) openings on. That comparison is the one part that can stay
// super-linear: spans with five or more openings, thousands of them all
// different, each compared with thousands of groups that end the same way
// (a page built of runs like "<x <c <d <e <b>"), cost their product, about
// what the literal steps cost on such a page. The bounded form stops such a
// page after a number of steps in proportion to its size.
//
// Supported pairs are "<a"/"</a>" and "<"/">": `open` starts with '<' and
// holds no other '<' and no '>'; `close` ends with '>', holds no other '>',
// and a '<' in it can only be its first character. Those properties keep
// copies of a span from overlapping one another or the openings and
// closings around them.
#pragma once

#include "search/TextWork.h"

#include <optional>
#include <string>

// Texts longer than 2^31 - 3 bytes come back unchanged.
std::string RemoveRepeatedSpans(const std::string& text, const std::string& open,
                                const std::string& close);
// The same within what is left of the work's allowance; nothing when the
// work ended first.
std::optional<std::string> RemoveRepeatedSpans(const std::string& text, const std::string& open,
                                               const std::string& close, TextWork& work);
