// The results of one search: up to 100 texts in arrival order with the
// name of the site that gave each, the bytes each was decoded from and their
// character set, and the presentation helpers for the counter and
// character-set lines.
#pragma once

#include <mutex>
#include <string>
#include <vector>

constexpr int kMaxResults = 100;

// Code pages of results: 0 the system's, 65001 UTF-8, 65000 UTF-7, and
// 30000 / 30001 for UTF-8 / UTF-7 decoded twice.
constexpr int kCodePageAnsi = 0;
constexpr int kCodePageUtf8 = 65001;
constexpr int kCodePageUtf7 = 65000;
constexpr int kCodePageUtf8Twice = 30000;
constexpr int kCodePageUtf7Twice = 30001;

struct SearchResult {
    std::string text;   // UTF-8 as decoded where it came in; never re-decoded in place
    std::string bytes;  // what the character-set menu reads again
    std::string siteName;
    // What bytes were decoded from (a code page other than the system's
    // keeps its own number), then the menu's choice.
    int codePage = kCodePageUtf8;
    bool reread = false;  // the menu chose codePage: the text shown is bytes read in it

    // The text to show: text, or bytes read in the chosen character set.
    std::string Shown() const;
};

// Bytes decoded in a character set of the list above (or any other Windows
// code page), as UTF-8.
std::string ConvertCodePage(const std::string& bytes, int codePage);
std::string CodePageLine(int codePage);
std::string CounterLine(int current, int count, const std::string& siteName);

// Shared by the threads of a search and the window thread, under its lock.
class ResultList {
public:
    std::mutex& Lock() { return m_lock; }
    // The members below expect the lock to be held.
    int Count() const { return static_cast<int>(m_results.size()); }
    int Current() const { return m_current; }
    void SetCurrent(int index) { m_current = index; }
    SearchResult& At(int index) { return m_results[static_cast<size_t>(index)]; }
    bool IsFull() const { return Count() >= kMaxResults; }
    void Append(SearchResult result) { m_results.push_back(std::move(result)); }

private:
    std::mutex m_lock;
    std::vector<SearchResult> m_results;
    int m_current = 0;
};
