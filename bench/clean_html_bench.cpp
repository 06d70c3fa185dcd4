// Measures the HTML clean-up of lyrics pages: the shipped CleanLyricsHtml
// against the literal step-by-step version, on fragments of 10 KB, 100 KB,
// 256 KB and 1 MB of these kinds:
//  - page: lyrics lines with break tags, some formatting and links that
//    repeat, entities, empty lines;
//  - hostile: thousands of different tags and links, unclosed tags, a stray
//    '<' now and then, entities;
//  - strays: thousands of different "a <3 b <b>" runs, then as many runs
//    whose tag in front of "<b>" is removed earlier, leaving the stray '<'
//    to run on: removals that make new matches, many times over;
//  - crafted: spans of five openings ("<7<c<d<e<u><b>"), thousands of them
//    different, each compared with thousands of groups that end the same
//    way once the "<u>" are removed: quadratic for the span removal, which
//    stops within its allowance and gives nothing (marked "stopped").
// Ours is the clean-up as the search runs it, within the allowance of the
// fragment's size. The search cleans no fragment over 256 KB (it is taken
// for no lyrics), so the 1 MB lines show what the clean-up alone costs.
// The literal version is measured at the larger sizes too while its last run
// took less than 200 ms; otherwise its time is the last measured one times
// the square of the size ratio (it is quadratic in the number of different
// tags). Run it on an idle machine:
// the figures are the best of a few runs. Built, optimised and without
// sanitizers, by the native build (scripts/test): build/native/clean_html_bench
#include "search/LyricsExtraction.h"
#include "tests/support/LiteralCleanHtml.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>

namespace {

std::string PageFragment(size_t size) {
    static const char* const kWords[] = {"love", "night", "city", "lights", "we", "run", "again", "heart",
                                         "&amp;", "sky", "caf&eacute;", "&quot;home&quot;"};
    std::string text;
    unsigned seed = 7;
    for (int line = 0; text.size() < size; ++line) {
        if (line % 9 == 0) text += "<p class=\"verse\">\r\n";
        if (line % 17 == 0) text += "<a href=\"/artist/songs.html\">More songs</a><br>\r\n";
        if (line % 5 == 0) text += "<i>";
        for (int w = 0; w < 7; ++w) {
            seed = seed * 1103515245u + 12345u;
            text += kWords[(seed >> 16) % 12];
            text += ' ';
        }
        if (line % 5 == 0) text += "</i>";
        text += line % 9 == 8 ? "</p>\r\n\r\n" : "<br>\r\n";
    }
    return text.substr(0, size);
}

std::string HostileFragment(size_t size) {
    std::string text;
    for (int i = 0; text.size() < size; ++i) {
        const std::string n = std::to_string(i);
        if (i % 97 == 0) text += "a &lt;3 b ";  // a stray '<' now and then
        switch (i % 6) {
        case 0: text += "<span class=\"c" + n + "\">word " + n + "</span> "; break;
        case 1: text += "<a href=\"/song" + n + ".html\" title=\"t" + n + "\">link " + n + "</a>\n"; break;
        case 2: text += "<div id=d" + n + "><b>" + n + "</b></div><br />"; break;
        case 3: text += "a &amp; b &#" + n + "; c <u" + n + " "; break;
        case 4: text += "<a name=\"n" + n + "\"><td width=" + n + ">x</td>\r\n"; break;
        default: text += "<!-- " + n + " --><img src=\"/i/" + n + ".gif\" alt=\"&gt;\">\r\n"; break;
        }
    }
    return text.substr(0, size);
}

std::string CraftedFragment(size_t size) {
    std::string text = "x <u>";  // after text: leading tags alone would be skipped
    for (int i = 0; text.size() < size; ++i) text += "<" + std::to_string(i) + "<c<d<e<u><b>";
    return text.substr(0, size);
}

std::string StrayFragment(size_t size) {
    std::string first = "<u>";
    std::string second;
    for (int i = 0; first.size() + second.size() < size; ++i) {
        first += "a &lt;" + std::to_string(i) + " b <b>";
        second += "c &lt;x" + std::to_string(i) + " d <u><b>";
    }
    return (first + second).substr(0, size);
}

struct Timing {
    double wall;  // ms, best run
    double cpu;   // ms of this process's processor time, best run
    bool stopped = false;
};

// On a busy machine the wall time includes waiting for a processor; the
// processor time does not.
Timing Measure(const std::function<std::optional<std::string>()>& run, int repeats) {
    Timing best{1e300, 1e300};
    for (int i = 0; i < repeats; ++i) {
        const std::clock_t cpuStart = std::clock();
        const auto start = std::chrono::steady_clock::now();
        const std::optional<std::string> out = run();
        const auto end = std::chrono::steady_clock::now();
        const std::clock_t cpuEnd = std::clock();
        best.stopped = !out;
        if (out && out->empty()) std::printf("(empty result)\n");
        best.wall = std::min(best.wall, std::chrono::duration<double, std::milli>(end - start).count());
        best.cpu = std::min(best.cpu, 1000.0 * static_cast<double>(cpuEnd - cpuStart) / CLOCKS_PER_SEC);
    }
    return best;
}

void MeasureKind(const char* kind, std::string (*make)(size_t)) {
    double literalPrevious = 0;
    size_t previousSize = 1;
    for (const size_t size : {size_t(10) << 10, size_t(100) << 10, size_t(256) << 10, size_t(1) << 20}) {
        const std::string fragment = make(size);
        const int repeats = size < (size_t(1) << 20) ? 5 : 3;
        const std::atomic<int> running{1};
        const Timing ours = Measure(
            [&] {
                TextWork work(&running);
                return CleanLyricsHtml(fragment, work);
            },
            repeats);
        double literal = 0;
        const char* how = "measured";
        if (size <= (size_t(100) << 10) || literalPrevious < 200.0) {
            TextWork work(&running);
            const std::optional<std::string> cleaned = CleanLyricsHtml(fragment, work);
            if (cleaned && *cleaned != LiteralCleanLyricsHtml(fragment)) std::printf("RESULTS DIFFER\n");
            literal = Measure([&] { return std::optional<std::string>(LiteralCleanLyricsHtml(fragment)); },
                              size < (size_t(100) << 10) ? 3 : 1)
                          .wall;
            literalPrevious = literal;
            previousSize = size;
        } else {
            const double factor = static_cast<double>(size) / static_cast<double>(previousSize);
            literal = literalPrevious * factor * factor;
            how = "extrapolated";
        }
        std::printf("%-8s %5zu KB  ours %8.2f ms (cpu %8.2f ms)%s   literal %10.1f ms (%s)   ratio %6.0fx\n", kind,
                    size >> 10, ours.wall, ours.cpu, ours.stopped ? " stopped" : "        ", literal, how,
                    literal / ours.wall);
    }
}

}  // namespace

int main() {
    MeasureKind("page", PageFragment);
    MeasureKind("hostile", HostileFragment);
    MeasureKind("strays", StrayFragment);
    MeasureKind("crafted", CraftedFragment);
    return 0;
}
