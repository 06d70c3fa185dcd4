#include "search/SpanRemoval.h"

#include "search/TextFinder.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <numeric>
#include <optional>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Span keys: two polynomial hashes modulo the prime 2^31 - 1 (reduced with
// shifts, no division), folded with the length. Matches are always
// confirmed by comparing the text, so a collision costs time only; the bases
// are chosen per process so that no fixed page can be made of colliding
// spans.

constexpr uint64_t kPrime = 0x7FFFFFFFu;

// Congruent to x modulo the prime and below 2^32, so that the product of
// such a value and a base (below 2^31) still fits in 64 bits.
uint64_t Fold(uint64_t x) {
    x = (x & kPrime) + (x >> 31);
    return (x & kPrime) + (x >> 31);
}

uint64_t Reduce(uint64_t x) {
    x = Fold(x);
    return x >= kPrime ? x - kPrime : x;
}

uint64_t MulMod(uint64_t a, uint64_t b) {  // both below the prime
    return Reduce(a * b);
}

uint64_t PowMod(uint64_t base, uint64_t exponent) {
    uint64_t result = 1;
    for (; exponent > 0; exponent >>= 1) {
        if (exponent & 1) result = MulMod(result, base);
        base = MulMod(base, base);
    }
    return result;
}

struct HashBases {
    uint64_t a;
    uint64_t b;
    uint64_t inverseA;  // a * inverseA = 1 modulo the prime
    uint64_t inverseB;
};

const HashBases& Bases() {
    static const HashBases bases = [] {
        uint64_t seed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        seed = (seed ^ (seed >> 31)) * 0xBF58476D1CE4E5B9ull;
        seed ^= seed >> 29;
        const uint64_t a = 257 + seed % (kPrime - 600);
        const uint64_t b = 257 + (seed >> 32) % (kPrime - 600);
        return HashBases{a, b, PowMod(a, kPrime - 2), PowMod(b, kPrime - 2)};
    }();
    return bases;
}

// The hash of a text: both polynomials, reduced, and the length.
struct HashParts {
    uint32_t a = 0;
    uint32_t b = 0;
    uint32_t len = 0;
};

uint64_t KeyOf(const HashParts& parts) {
    return ((uint64_t{parts.a} << 32) | parts.b) ^ (parts.len * 0x9E3779B97F4A7C15ull);
}

// The hash of u from those of u + v and v.
HashParts Before(const HashParts& whole, const HashParts& tail) {
    HashParts head;
    head.a = static_cast<uint32_t>(MulMod((whole.a + kPrime - tail.a) % kPrime, PowMod(Bases().inverseA, tail.len)));
    head.b = static_cast<uint32_t>(MulMod((whole.b + kPrime - tail.b) % kPrime, PowMod(Bases().inverseB, tail.len)));
    head.len = whole.len - tail.len;
    return head;
}

// The hash of u from that of u + c.
HashParts WithoutLast(const HashParts& whole, unsigned char c) {
    HashParts head;
    head.a = static_cast<uint32_t>(MulMod((whole.a + kPrime - (c + 1u)) % kPrime, Bases().inverseA));
    head.b = static_cast<uint32_t>(MulMod((whole.b + kPrime - (c + 1u)) % kPrime, Bases().inverseB));
    head.len = whole.len - 1;
    return head;
}

class SpanKey {
public:
    SpanKey() : m_baseA(Bases().a), m_baseB(Bases().b) {}
    // Goes on from a text already hashed: appending then hashes that text
    // followed by the appended characters.
    explicit SpanKey(const HashParts& start) : SpanKey() {
        m_a = start.a;
        m_b = start.b;
        m_len = start.len;
    }
    void Append(unsigned char c) {
        m_a = Fold(m_a * m_baseA + c + 1);
        m_b = Fold(m_b * m_baseB + c + 1);
        ++m_len;
    }
    void Prepend(unsigned char c) {
        m_a = Fold(m_a + (c + 1) * m_powA);
        m_b = Fold(m_b + (c + 1) * m_powB);
        m_powA = Fold(m_powA * m_baseA);
        m_powB = Fold(m_powB * m_baseB);
        ++m_len;
    }
    HashParts Parts() const {
        HashParts parts;
        parts.a = static_cast<uint32_t>(Reduce(m_a));
        parts.b = static_cast<uint32_t>(Reduce(m_b));
        parts.len = static_cast<uint32_t>(m_len);
        return parts;
    }
    uint64_t Value() const { return KeyOf(Parts()); }

private:
    uint64_t m_baseA;
    uint64_t m_baseB;
    uint64_t m_a = 0;
    uint64_t m_b = 0;
    uint64_t m_powA = 1;
    uint64_t m_powB = 1;
    uint64_t m_len = 0;
};

HashParts HashOf(const std::string& text, size_t from = 0, size_t to = std::string::npos) {
    SpanKey key;
    for (size_t i = from; i < text.size() && i < to; ++i) key.Append(static_cast<unsigned char>(text[i]));
    return key.Parts();
}

// How often the set-up looks at the work's running flag: every this many
// plus one characters or tokens.
constexpr size_t kLookEveryChars = (size_t(1) << 14) - 1;

// Groups are compared backwards under a key made of their last opening's
// span and the pieces of text between their last few openings.
constexpr int kKeyedOpenings = 4;
// What working out a group's key costs, in steps of one character.
constexpr size_t kGroupKeySteps = 64;

uint64_t AddPiece(uint64_t key, const HashParts& piece) {
    key ^= KeyOf(piece) + 0x165667B19E3779F9ull + (key << 6) + (key >> 2);
    return key * 0xC2B2AE3D27D4EB4Full;
}

// ---------------------------------------------------------------------------

// Token lists by key: an open-addressing table of list heads over one pool
// of list nodes, reused once taken, so that adding an entry allocates
// nothing in the common case.
class TokenIndex {
public:
    // Returns the token listed under the key before, or -1 when the list
    // was empty.
    int Add(uint64_t key, int token) {
        if ((m_used + 1) * 2 > m_slots.size()) Grow();
        Slot& slot = m_slots[Locate(key)];
        if (slot.head == kUnused) {
            slot.key = key;
            slot.head = kNone;
            ++m_used;
        }
        int node;
        if (!m_free.empty()) {
            node = m_free.back();
            m_free.pop_back();
            m_nodes[static_cast<size_t>(node)] = {token, slot.head};
        } else {
            node = static_cast<int>(m_nodes.size());
            m_nodes.push_back({token, slot.head});
        }
        const int previous = slot.head == kNone ? -1 : m_nodes[static_cast<size_t>(slot.head)].token;
        slot.head = node;
        return previous;
    }

    // Moves the tokens listed under `key` into `out` and empties the list.
    void Take(uint64_t key, std::vector<int>& out) {
        out.clear();
        if (m_slots.empty()) return;
        Slot& slot = m_slots[Locate(key)];
        if (slot.head == kUnused) return;
        for (int node = slot.head; node != kNone; node = m_nodes[node].next) {
            out.push_back(m_nodes[node].token);
            m_free.push_back(node);
        }
        slot.head = kNone;
    }

private:
    static constexpr int kUnused = -2;
    static constexpr int kNone = -1;
    struct Slot {
        uint64_t key = 0;
        int head = kUnused;
    };
    struct Node {
        int token;
        int next;
    };

    size_t Locate(uint64_t key) const {
        const size_t mask = m_slots.size() - 1;
        uint64_t mixed = (key ^ (key >> 33)) * 0xFF51AFD7ED558CCDull;
        mixed ^= mixed >> 33;
        size_t i = static_cast<size_t>(mixed) & mask;
        while (m_slots[i].head != kUnused && m_slots[i].key != key) i = (i + 1) & mask;
        return i;
    }
    void Grow() { Rehash(m_slots.empty() ? 16 : m_slots.size() * 2); }
    void Rehash(size_t size) {
        std::vector<Slot> old;
        old.swap(m_slots);
        m_slots.resize(size);
        for (const Slot& slot : old)
            if (slot.head != kUnused) m_slots[Locate(slot.key)] = slot;
    }

    std::vector<Slot> m_slots;
    std::vector<Node> m_nodes;
    std::vector<int> m_free;  // nodes of lists that were taken
    size_t m_used = 0;
};

// The links between live characters. A removal joins the text at one place,
// so nearly every character's neighbours stay the characters beside it: only
// the joins are kept, in a bit per character and a table, instead of two
// whole arrays of positions the size of the text.
class CharLinks {
public:
    // Characters 0 .. count-1; count and count + 1 are the ends before the
    // first and after the last character.
    explicit CharLinks(int count) : m_nextJoined(Words(count)), m_prevJoined(Words(count)) {}

    int Next(int pos) const { return Has(m_nextJoined, pos) ? m_next.Get(pos) : pos + 1; }
    int Prev(int pos) const { return Has(m_prevJoined, pos) ? m_prev.Get(pos) : pos - 1; }
    // True when the next live character is not simply the one beside it.
    bool JoinedAfter(int pos) const { return Has(m_nextJoined, pos); }
    void Link(int a, int b) {
        Set(m_nextJoined, a);
        m_next.Put(a, b);
        Set(m_prevJoined, b);
        m_prev.Put(b, a);
    }

private:
    // Positions to positions, open addressing.
    class Table {
    public:
        void Put(int key, int value) {
            if ((m_used + 1) * 2 > m_slots.size()) Rehash(m_slots.empty() ? 64 : m_slots.size() * 2);
            Slot& slot = m_slots[Locate(key)];
            if (slot.key < 0) ++m_used;
            slot = {key, value};
        }
        int Get(int key) const { return m_slots[Locate(key)].value; }  // the key is known to be there

    private:
        struct Slot {
            int key = -1;
            int value = 0;
        };
        size_t Locate(int key) const {
            const size_t mask = m_slots.size() - 1;
            // The top bits of the product: every bit of the position counts,
            // so joins at any regular distance spread over the table.
            size_t i = static_cast<size_t>((static_cast<uint64_t>(key) * 0x9E3779B97F4A7C15ull) >> m_shift);
            while (m_slots[i].key >= 0 && m_slots[i].key != key) i = (i + 1) & mask;
            return i;
        }
        void Rehash(size_t size) {
            std::vector<Slot> old(size);
            old.swap(m_slots);
            m_shift = 64;
            for (size_t bits = size; bits > 1; bits >>= 1) --m_shift;
            for (const Slot& slot : old)
                if (slot.key >= 0) m_slots[Locate(slot.key)] = slot;
        }
        std::vector<Slot> m_slots;
        size_t m_used = 0;
        int m_shift = 64;  // 64 - log2 of the table's size
    };

    static size_t Words(int count) { return static_cast<size_t>(count) / 64 + 1; }
    static bool Has(const std::vector<uint64_t>& bits, int pos) {
        return (bits[static_cast<size_t>(pos) >> 6] >> (pos & 63)) & 1u;
    }
    static void Set(std::vector<uint64_t>& bits, int pos) { bits[static_cast<size_t>(pos) >> 6] |= uint64_t{1} << (pos & 63); }

    std::vector<uint64_t> m_nextJoined;
    std::vector<uint64_t> m_prevJoined;
    Table m_next;
    Table m_prev;
};

class SpanRemover {
public:
    SpanRemover(const std::string& text, const std::string& open, const std::string& close, TextWork& work)
        : m_text(text), m_open(open), m_close(close), m_n(static_cast<int>(text.size())),
          m_links(m_n + 2), m_work(work) {}

    // Nothing when the work ended first.
    std::optional<std::string> Run();

private:
    // An opening or a closing. Openings between two closings form the group
    // of the second one: each opening's span ends with its group's closing.
    // A 1 MB page can hold half a million tokens: the layout is kept small,
    // since fresh memory is much of what the set-up costs.
    struct Token {
        int pos = 0;          // first character
        int lastPos = 0;      // last character (not pos + length - 1 once made at a join)
        int prev = -1;        // token list, in text order
        int next = -1;
        int parent = 0;       // group sets (union-find)
        int round = -1;       // the round that last picked this token
        // Opening: while fresh, the hash of its span; otherwise the hash of
        // its text up to the group's next opening.
        HashParts hash;
        bool isOpen : 1;
        bool alive : 1;
        bool fresh : 1;   // opening: indexed under its current span
        bool dirty : 1;   // closing: its group may hold openings that are not fresh
        bool shared : 1;  // opening: was listed beside another with the same key
        uint64_t Key() const { return KeyOf(hash); }
    };
    struct Copy {
        int open;
        int close;
    };

    int Head() const { return m_n; }
    int Tail() const { return m_n + 1; }
    void LinkChars(int a, int b) { m_links.Link(a, b); }
    void LinkTokens(int a, int b);
    int AddToken(int pos, int lastPos, bool isOpen);

    // Both false when the work ended first: the set-up of a large page takes
    // long enough on a slow machine that a stop must not wait for it.
    bool FindTokens();
    bool IndexGroups();
    int FirstOpening();
    std::string LiveText(int from, int last) const;

    int Find(int token);
    int GroupClose(int token) { return m_groupClose[Find(token)]; }
    void JoinGroups(int from, int into);

    void FindFreshCopies(const std::string& span, std::vector<Copy>& copies);
    void FindStaleCopies(const std::string& span, std::vector<Copy>& copies);
    bool SameForward(int pos, const std::string& span) const;
    uint64_t GroupKeyOf(int close, int openings) const;
    HashParts PieceOf(int open) const;
    HashParts Extend(const HashParts& start, int from, int stop) const;
    const HashParts& SpanParts();
    int SameBackward(int close, const std::string& span) const;

    void Remove(const Copy& copy);
    int MakeTokenAtJoin(int before, int after, int prevTok, int nextTok);
    int MatchAcross(const std::string& token, const std::vector<int>& left, const std::vector<int>& right,
                    int& lastPos) const;
    void Normalize(int close, bool joined);
    void AddFresh(int open);
    void Refresh(int open, int close);

    const std::string& m_text;
    const std::string& m_open;
    const std::string& m_close;
    const int m_n;
    CharLinks m_links;  // live characters; Head() and Tail() are the ends
    std::vector<Token> m_tokens;
    std::vector<int> m_groupClose;  // per set root: the group's closing, -1 for none
    int m_first = -1;
    TokenIndex m_fresh;  // span key -> fresh openings
    TokenIndex m_dirty;  // key of the last opening's span -> dirty closings
    std::vector<int> m_listed;  // scratch list taken from an index
    int m_round = 0;
    const std::string* m_span = nullptr;  // this round's span, and its hash once needed
    HashParts m_spanParts;
    bool m_haveSpanParts = false;
    TextWork& m_work;
};

void SpanRemover::LinkTokens(int a, int b) {
    if (a >= 0) m_tokens[a].next = b;
    else m_first = b;
    if (b >= 0) m_tokens[b].prev = a;
}

int SpanRemover::AddToken(int pos, int lastPos, bool isOpen) {
    Token token;
    token.pos = pos;
    token.lastPos = lastPos;
    token.isOpen = isOpen;
    token.alive = true;
    token.fresh = false;
    token.dirty = false;
    token.shared = false;
    token.parent = static_cast<int>(m_tokens.size());
    m_tokens.push_back(token);
    m_groupClose.push_back(isOpen ? -1 : token.parent);
    return token.parent;
}

// Openings after the last closing are left out: no span can start there,
// and when one of them is the first opening the removal stops anyway.
bool SpanRemover::FindTokens() {
    const size_t openLen = m_open.size();
    const size_t closeLen = m_close.size();
    const char* text = m_text.data();
    const size_t size = m_text.size();
    const auto startsWith = [&](size_t i, const std::string& what) {  // what[0] is known to match
        if (size - i < what.size()) return false;
        for (size_t k = 1; k < what.size(); ++k)
            if (text[i + k] != what[k]) return false;
        return true;
    };
    const char openFirst = m_open[0];
    const char closeFirst = m_close[0];
    size_t candidates = static_cast<size_t>(std::count(m_text.begin(), m_text.end(), openFirst));
    if (closeFirst != openFirst) candidates += static_cast<size_t>(std::count(m_text.begin(), m_text.end(), closeFirst));
    m_tokens.reserve(candidates);
    m_groupClose.reserve(candidates);
    int last = -1;
    for (size_t i = 0; i < size; ++i) {
        if ((i & kLookEveryChars) == kLookEveryChars && !m_work.Continue()) return false;
        const char c = text[i];
        if (c != closeFirst && c != openFirst) continue;
        int id = -1;
        if (c == closeFirst && startsWith(i, m_close))
            id = AddToken(static_cast<int>(i), static_cast<int>(i + closeLen - 1), false);
        else if (c == openFirst && startsWith(i, m_open))
            id = AddToken(static_cast<int>(i), static_cast<int>(i + openLen - 1), true);
        if (id < 0) continue;
        LinkTokens(last, id);
        last = id;
    }
    while (!m_tokens.empty() && m_tokens.back().isOpen) {
        m_tokens.pop_back();
        m_groupClose.pop_back();
    }
    if (m_tokens.empty()) m_first = -1;
    else m_tokens.back().next = -1;
    return true;
}

// Every opening followed by a closing gets the key of its span; the spans of
// one group are suffixes of each other, so one backward walk per group does.
bool SpanRemover::IndexGroups() {
    std::vector<int> members;
    int seen = 0;
    for (int id = m_first; id >= 0; id = m_tokens[id].next) {
        if ((++seen & kLookEveryChars) == 0 && !m_work.Continue()) return false;
        Token& token = m_tokens[id];
        if (token.isOpen) {
            members.push_back(id);
            continue;
        }
        SpanKey key;
        int pos = token.lastPos;
        for (auto it = members.rbegin(); it != members.rend(); ++it) {
            Token& member = m_tokens[*it];
            for (; pos >= member.pos; --pos) key.Prepend(static_cast<unsigned char>(m_text[pos]));
            member.hash = key.Parts();
            member.fresh = true;
            AddFresh(*it);
            JoinGroups(*it, id);
        }
        members.clear();
    }
    return true;
}

int SpanRemover::Find(int token) {
    int root = token;
    while (m_tokens[root].parent != root) root = m_tokens[root].parent;
    while (m_tokens[token].parent != root) {
        const int up = m_tokens[token].parent;
        m_tokens[token].parent = root;
        token = up;
    }
    return root;
}

// Puts the set of `from` into the set of `into`; the joined set keeps the
// closing of `into`'s set. The smaller index becomes the root: no sizes are
// kept, and with path compression the finds stay cheap (amortized
// logarithmic at worst).
void SpanRemover::JoinGroups(int from, int into) {
    int a = Find(from);
    int b = Find(into);
    if (a == b) return;
    const int close = m_groupClose[b];
    if (a < b) std::swap(a, b);
    m_tokens[a].parent = b;
    m_groupClose[b] = close;
}

// Closings in front of the first opening end no span; they are dropped.
int SpanRemover::FirstOpening() {
    while (m_first >= 0 && !m_tokens[m_first].isOpen) {
        m_tokens[m_first].alive = false;
        LinkTokens(-1, m_tokens[m_first].next);
    }
    return m_first;
}

// The live characters from `from` to `last` (or to the end when last is -1),
// copied a run of untouched characters at a time.
std::string SpanRemover::LiveText(int from, int last) const {
    std::string out;
    if (last < 0) out.reserve(m_text.size());
    int pos = from;
    while (pos != Tail()) {
        const int runStart = pos;
        while (pos != last && !m_links.JoinedAfter(pos)) ++pos;
        out.append(m_text, static_cast<size_t>(runStart), static_cast<size_t>(pos - runStart + 1));
        if (pos == last) break;
        pos = m_links.Next(pos);
    }
    return out;
}

bool SpanRemover::SameForward(int pos, const std::string& span) const {
    for (char c : span) {
        if (pos == Tail() || m_text[pos] != c) return false;
        pos = m_links.Next(pos);
    }
    return true;
}

// The opening of `close`'s group whose span is `span`, or -1.
int SpanRemover::SameBackward(int close, const std::string& span) const {
    int pos = m_tokens[close].lastPos;
    for (size_t i = span.size(); i-- > 0;) {
        if (pos == Head() || m_text[pos] != span[i]) return -1;
        if (i > 0) pos = m_links.Prev(pos);
    }
    int member = m_tokens[close].prev;
    while (member >= 0 && m_tokens[member].isOpen && m_tokens[member].pos > pos) member = m_tokens[member].prev;
    return member >= 0 && m_tokens[member].isOpen && m_tokens[member].pos == pos ? member : -1;
}

// Copies whose opening is indexed under the span's key.
void SpanRemover::FindFreshCopies(const std::string& span, std::vector<Copy>& copies) {
    // The first opening's key is the span's when it is fresh.
    const Token& first = m_tokens[copies.front().open];
    if (first.fresh && !first.shared) return;
    const uint64_t key = first.fresh ? first.Key() : KeyOf(SpanParts());
    m_fresh.Take(key, m_listed);
    for (const int id : m_listed) {
        m_work.Spend(span.size());
        Token& token = m_tokens[id];
        if (!token.alive || !token.fresh || token.Key() != key || token.hash.len != span.size() ||
            token.round == m_round)
            continue;
        if (!SameForward(token.pos, span)) {
            m_fresh.Add(key, id);  // a collision: still valid, listed again
            continue;
        }
        token.round = m_round;
        copies.push_back({id, GroupClose(id)});
    }
}

// Copies that start at an opening whose span grew after joins. Such a copy
// holds two or more openings; it is compared backwards against each group
// whose last two openings carry the same text as the span's last two.
void SpanRemover::FindStaleCopies(const std::string& span, std::vector<Copy>& copies) {
    // The span's last openings, nearest the end first.
    std::vector<size_t> openings;
    for (size_t at = span.rfind(m_open); at != std::string::npos && at > 0 &&
                                         static_cast<int>(openings.size()) < kKeyedOpenings;
         at = span.rfind(m_open, at - 1))
        openings.push_back(at);
    if (openings.empty()) return;  // a single opening: its copies are all fresh
    if (static_cast<int>(openings.size()) < kKeyedOpenings) openings.push_back(0);
    uint64_t key = KeyOf(HashOf(span, openings[0]));
    for (size_t i = 1; i < openings.size(); ++i) key = AddPiece(key, HashOf(span, openings[i], openings[i - 1]));
    const int keyed = static_cast<int>(openings.size());

    m_dirty.Take(key, m_listed);
    for (const int close : m_listed) {
        // The comparison that can grow with the product of spans and groups:
        // the allowance bounds it. A group's key costs some modular powers.
        m_work.Spend(span.size() + kGroupKeySteps);
        Token& group = m_tokens[close];
        if (!group.alive || !group.dirty || group.round == m_round || GroupKeyOf(close, keyed) != key) continue;
        group.round = m_round;
        const int open = SameBackward(close, span);
        if (open < 0) {
            m_dirty.Add(key, close);  // still valid, listed again
            continue;
        }
        if (m_tokens[open].round == m_round) continue;  // found through the index already
        m_tokens[open].round = m_round;
        copies.push_back({open, close});
    }
}

// The key a group is listed under for backward comparison with spans of
// `openings` openings (2 to kKeyedOpenings), or 0 when the group has fewer
// or its last opening is not fresh.
uint64_t SpanRemover::GroupKeyOf(int close, int openings) const {
    int open = m_tokens[close].prev;
    if (open < 0 || !m_tokens[open].isOpen || !m_tokens[open].fresh) return 0;
    uint64_t key = m_tokens[open].Key();
    for (int i = 1; i < openings; ++i) {
        open = m_tokens[open].prev;
        if (open < 0 || !m_tokens[open].isOpen) return 0;
        key = AddPiece(key, PieceOf(open));
    }
    return key;
}

// The hash of an opening's text up to the next opening of its group.
HashParts SpanRemover::PieceOf(int open) const {
    const Token& token = m_tokens[open];
    if (!token.fresh) return token.hash;
    return Before(token.hash, m_tokens[token.next].hash);  // fresh openings end a group: the next is fresh too
}

HashParts SpanRemover::Extend(const HashParts& start, int from, int stop) const {
    SpanKey key(start);
    for (int pos = from; pos != stop; pos = m_links.Next(pos)) key.Append(static_cast<unsigned char>(m_text[pos]));
    return key.Parts();
}

const HashParts& SpanRemover::SpanParts() {
    if (!m_haveSpanParts) {
        m_spanParts = HashOf(*m_span);
        m_haveSpanParts = true;
    }
    return m_spanParts;
}

void SpanRemover::Remove(const Copy& copy) {
    const int prevTok = m_tokens[copy.open].prev;
    const int nextTok = m_tokens[copy.close].next;
    const int before = m_links.Prev(m_tokens[copy.open].pos);
    const int after = m_links.Next(m_tokens[copy.close].lastPos);

    // Openings left in front of the copy now run on to a later closing: their
    // spans are no longer known, the text up to their next opening is.
    const bool stranded = prevTok >= 0 && m_tokens[prevTok].isOpen;
    HashParts nextSpan = SpanParts();  // the span of the opening after, before it went stale
    for (int id = prevTok; id >= 0 && m_tokens[id].isOpen && m_tokens[id].fresh; id = m_tokens[id].prev) {
        Token& token = m_tokens[id];
        const HashParts span = token.hash;
        token.hash = Before(span, nextSpan);
        token.fresh = false;
        nextSpan = span;
    }

    for (int id = copy.open;; id = m_tokens[id].next) {
        m_tokens[id].alive = false;
        if (id == copy.close) break;
    }
    LinkTokens(prevTok, nextTok);
    LinkChars(before, after);

    const int made = MakeTokenAtJoin(before, after, prevTok, nextTok);
    int close = -1;
    if (made >= 0 && !m_tokens[made].isOpen) {
        close = made;
    } else if (nextTok >= 0) {
        close = m_tokens[nextTok].isOpen ? GroupClose(nextTok) : nextTok;
    }
    const bool madeOpen = made >= 0 && m_tokens[made].isOpen;
    const bool openingFollows = nextTok >= 0 && m_tokens[nextTok].isOpen;
    if (madeOpen) {
        // The new opening takes the last character of the stranded text.
        if (stranded) m_tokens[prevTok].hash = WithoutLast(m_tokens[prevTok].hash, static_cast<unsigned char>(m_text[before]));
        if (openingFollows) m_tokens[made].hash = Extend(HashParts(), m_tokens[made].pos, m_tokens[nextTok].pos);
    } else if (stranded && openingFollows && made < 0) {
        m_tokens[prevTok].hash = Extend(m_tokens[prevTok].hash, after, m_tokens[nextTok].pos);
    }
    if (stranded || madeOpen) {
        // The stranded openings and a new opening join the group that
        // follows, or the openings without a closing when none follows.
        const int into = close >= 0 ? close : (nextTok >= 0 ? nextTok : -1);
        if (into >= 0) {
            if (stranded) JoinGroups(prevTok, into);
            if (madeOpen) JoinGroups(made, into);
            m_groupClose[Find(into)] = close;
        } else if (stranded) {
            m_groupClose[Find(prevTok)] = -1;
        }
    }
    Normalize(close, stranded || madeOpen);
}

// Looks for an opening or a closing that the join has put together from
// characters on both sides; adds it to the token list and returns it.
int SpanRemover::MakeTokenAtJoin(int before, int after, int prevTok, int nextTok) {
    const size_t reach = std::max(m_open.size(), m_close.size()) - 1;
    if (reach == 0) return -1;
    std::vector<int> left;  // nearest first
    std::vector<int> right;
    for (int pos = before; pos != Head() && left.size() < reach; pos = m_links.Prev(pos)) left.push_back(pos);
    for (int pos = after; pos != Tail() && right.size() < reach; pos = m_links.Next(pos)) right.push_back(pos);
    int lastPos = -1;
    int first = MatchAcross(m_close, left, right, lastPos);
    bool isOpen = false;
    if (first < 0) {
        first = MatchAcross(m_open, left, right, lastPos);
        isOpen = true;
    }
    if (first < 0) return -1;
    const int id = AddToken(first, lastPos, isOpen);
    LinkTokens(prevTok, id);
    LinkTokens(id, nextTok);
    return id;
}

// The first character of `token` spelled across the join, or -1.
int SpanRemover::MatchAcross(const std::string& token, const std::vector<int>& left,
                             const std::vector<int>& right, int& lastPos) const {
    for (size_t onLeft = 1; onLeft < token.size(); ++onLeft) {
        const size_t onRight = token.size() - onLeft;
        if (onLeft > left.size() || onRight > right.size()) continue;
        bool same = true;
        for (size_t i = 0; i < token.size() && same; ++i) {
            const int pos = i < onLeft ? left[onLeft - 1 - i] : right[i - onLeft];
            same = m_text[pos] == token[i];
        }
        if (!same) continue;
        lastPos = right[onRight - 1];
        return left[onLeft - 1];
    }
    return -1;
}

// After a join: the group's last opening must be fresh, and a group with
// stale openings is registered for backward comparison under that opening.
void SpanRemover::Normalize(int close, bool joined) {
    if (close < 0) return;
    Token& group = m_tokens[close];
    const int last = group.prev;
    if (last < 0 || !m_tokens[last].isOpen) return;
    if (!m_tokens[last].fresh) Refresh(last, close);
    if (joined) group.dirty = true;
    if (!group.dirty) return;
    for (int openings = 2; openings <= kKeyedOpenings; ++openings) {
        const uint64_t key = GroupKeyOf(close, openings);
        if (key == 0) break;
        m_dirty.Add(key, close);
    }
}

// Lists a fresh opening under its key. An opening that never shared its
// list needs no look-up when it comes first: no copy of its span is listed.
void SpanRemover::AddFresh(int open) {
    const int previous = m_fresh.Add(m_tokens[open].Key(), open);
    if (previous < 0) return;
    m_tokens[open].shared = true;
    m_tokens[previous].shared = true;
}

void SpanRemover::Refresh(int open, int close) {
    SpanKey key;
    for (int pos = m_tokens[open].pos;; pos = m_links.Next(pos)) {
        m_work.Spend(1);
        key.Append(static_cast<unsigned char>(m_text[pos]));
        if (pos == m_tokens[close].lastPos) break;
    }
    Token& token = m_tokens[open];
    token.hash = key.Parts();
    token.fresh = true;
    AddFresh(open);
}

std::optional<std::string> SpanRemover::Run() {
    if (m_n > 0) {
        LinkChars(Head(), 0);
        LinkChars(m_n - 1, Tail());
    } else {
        LinkChars(Head(), Tail());
    }
    if (!FindTokens() || !IndexGroups()) return std::nullopt;

    for (;;) {
        ++m_round;
        const int first = FirstOpening();
        if (first < 0) break;
        const int close = GroupClose(first);
        if (close < 0) break;
        const std::string span = LiveText(m_tokens[first].pos, m_tokens[close].lastPos);
        if (!m_work.Spend(span.size())) return std::nullopt;
        m_span = &span;
        m_haveSpanParts = false;
        m_tokens[first].round = m_round;
        std::vector<Copy> copies{{first, close}};
        FindFreshCopies(span, copies);
        FindStaleCopies(span, copies);
        // From right to left: every join then sees its final right side.
        std::sort(copies.begin(), copies.end(),
                  [this](const Copy& a, const Copy& b) { return m_tokens[a.open].pos > m_tokens[b.open].pos; });
        for (const Copy& copy : copies) Remove(copy);
        if (m_work.Ended()) return std::nullopt;
    }
    if (!m_work.Continue()) return std::nullopt;
    return LiveText(m_links.Next(Head()), -1);
}

}  // namespace

std::optional<std::string> RemoveRepeatedSpans(const std::string& text, const std::string& open,
                                               const std::string& close, TextWork& work) {
    // Positions are ints; a page this size never reaches a 32-bit plugin.
    if (text.size() > static_cast<size_t>(std::numeric_limits<int>::max()) - 2) return text;
    if (TextFinder(open).Find(text) == std::string::npos || TextFinder(close).Find(text) == std::string::npos)
        return text;
    return SpanRemover(text, open, close, work).Run();
}

std::string RemoveRepeatedSpans(const std::string& text, const std::string& open, const std::string& close) {
    TextWork unbounded;
    return *RemoveRepeatedSpans(text, open, close, unbounded);
}
