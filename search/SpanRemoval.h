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
// Removals can make new matches: the rest of a span whose closing was
// removed runs on to the next closing, and the two sides of a removal can
// join into a new `open` or `close`. Openings whose span grew that way are
// not in the index (an index entry per opening per join would be
// quadratic); a span that holds two or more openings is compared against
// such groups from their closing backwards instead. That search is the one
// super-linear part: its cost grows with the number of such groups times the
// spans with several openings that share their last opening's span, which
// takes stray openings before repeated tags in large numbers.
//
// Supported pairs are "<a"/"</a>" and "<"/">": both strings start with '<'
// and hold no other '<', `close` ends with '>' and holds no other '>', and
// `open` holds no '>'. Those properties keep copies of a span from
// overlapping one another or the openings and closings around them.
#pragma once

#include <string>

std::string RemoveRepeatedSpans(const std::string& text, const std::string& open,
                                const std::string& close);
