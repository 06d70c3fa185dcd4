// The HTML clean-up of lyrics fragments, and the span removal behind its
// anchor and tag steps, checked on chosen cases and against the literal
// step-by-step version on generated fragments.
#include "search/LyricsExtraction.h"
#include "search/SpanRemoval.h"
#include "tests/support/LiteralCleanHtml.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

TEST(CleanLyricsHtml, BreakTagsBesideLineBreaksGiveOneBreak) {
    EXPECT_EQ(CleanLyricsHtml("first line<br>\r\nsecond line<BR>third line</p>"),
              "first line\r\nsecond line\r\nthird line\r\n");
    EXPECT_EQ(CleanLyricsHtml("a\n<br />b<BR/>\rc</p>\n\rd<br> \r\ne"), "a\r\nb\r\nc\r\nd\r\ne\r\n");
    // "</P>" has no form with its line break: it adds one.
    EXPECT_EQ(CleanLyricsHtml("line</P>\nnext\r\nmore"), "line\r\n\r\nnext\r\nmore\r\n");
    EXPECT_EQ(CleanLyricsHtml("<p>no</p><div>breaks</div>here"), "no\r\nbreakshere\r\n");
}

TEST(CleanLyricsHtml, EmptyLines) {
    // Double-spaced lines are made single-spaced...
    EXPECT_EQ(CleanLyricsHtml("ab\r\n\r\ncd\r\n\r\nef\r\n\r\ngh"), "ab\r\ncd\r\nef\r\ngh\r\n");
    // ...but the second look starts past the next break, so with one-letter
    // lines the positions differ and the empty lines stay.
    EXPECT_EQ(CleanLyricsHtml("a\r\n\r\nb\r\n\r\nc\r\n\r\nd"), "a\r\n\r\nb\r\n\r\nc\r\n\r\nd\r\n");
    // Runs of empty lines shrink to one.
    EXPECT_EQ(CleanLyricsHtml("verse one\r\nline\r\n\r\n\r\n\r\n\r\nverse two\r\nline"),
              "verse one\r\nline\r\n\r\nverse two\r\nline\r\n");
    EXPECT_EQ(CleanLyricsHtml("x<br><br><br><br>y\r\nz"), "x\r\n\r\ny\r\nz\r\n");
}

TEST(CleanLyricsHtml, SearchesThatFindNothingStartTheNextFromMinusOne) {
    // Only one empty-line break: the third look searches from 5 and 3, which
    // finds the break again unless the first line is 3 or 4 characters long.
    EXPECT_EQ(CleanLyricsHtml("abc\r\n\r\nxyz"), "abc\r\n\r\nxyz\r\n");
    EXPECT_EQ(CleanLyricsHtml("a\r\n\r\nxyz"), "a\r\nxyz\r\n");
    EXPECT_EQ(CleanLyricsHtml("abcdef\r\n\r\nxyz"), "abcdef\r\nxyz\r\n");
}

TEST(CleanLyricsHtml, OnlyASingleLongLineIsWrapped) {
    std::string words;
    for (int i = 0; i < 20; ++i) words += "abcdefghi ";
    const std::string six = "abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi abcdefghi";
    EXPECT_EQ(CleanLyricsHtml(words), six + "\r\n" + six + "\r\n" + six + "\r\nabcdefghi abcdefghi\r\n");
    const std::string noSpaces(200, 'x');
    EXPECT_EQ(CleanLyricsHtml(noSpaces), noSpaces + "\r\n");
    EXPECT_EQ(CleanLyricsHtml(words + "<br>end"), words.substr(0, words.size() - 1) + "\r\nend\r\n");
}

TEST(CleanLyricsHtml, EntitiesTagsAndAnchors) {
    EXPECT_EQ(CleanLyricsHtml("&lt;b&gt;word&lt;/b&gt;"), "word\r\n");
    EXPECT_EQ(CleanLyricsHtml("caf&eacute;&nbsp;au&#0;lait"), u8"caf\u00E9 aulait\r\n");
    // An anchor goes with its text; "<a" also starts other tag names.
    EXPECT_EQ(CleanLyricsHtml("Verse <a href=x>click here</a> one<br>Verse two <abbr>x</abbr>"),
              "Verse  one\r\nVerse two x\r\n");
    // Every copy of a removed anchor or tag goes, wherever it is.
    EXPECT_EQ(CleanLyricsHtml("<a href=/>Home</a>la<br>la <a href=/>Home</a>la<i>!</i>"), "la\r\nla la!\r\n");
    // Text between tags stays.
    EXPECT_EQ(CleanLyricsHtml("<script>var a = 1;</script>Line"), "var a = 1;Line\r\n");
    // Without a closing, the step ends and the rest stays.
    EXPECT_EQ(CleanLyricsHtml("one <b>two</b> three < four"), "one two three < four\r\n");
}

// "<abbr>", "<area>" and other tags whose name begins with an 'a' are no
// anchors: they go as tags, and the text up to the next "</a>" stays.
TEST(CleanLyricsHtml, OnlyAnchorsAreRemovedWithTheirText) {
    const struct {
        const char* fragment;
        const char* cleaned;
    } rows[] = {
        {"<abbr title=\"World Health\">WHO</abbr> says<br>more <a href=x>link</a>", "WHO says\r\nmore\r\n"},
        {"<area shape=rect>the map</area> stays<br><a href=x>x</a>line", "the map stays\r\nline\r\n"},
        {"<aside>aside</aside> and<br><a href=y>y</a>two", "aside and\r\ntwo\r\n"},
        {"one <a>bare</a> <a\nhref=x>split</a> <a/>two</a>three", "one   three\r\n"},
        {"<abbr>x</abbr> <abbr>x</abbr> end", "x x end\r\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CleanLyricsHtml(row.fragment), row.cleaned) << row.fragment;
        EXPECT_EQ(LiteralCleanLyricsHtml(row.fragment), row.cleaned) << row.fragment;
    }
}

TEST(CleanLyricsHtml, LeadingTagsAndSpaceGo) {
    EXPECT_EQ(CleanLyricsHtml("  <div class=x>\r\n<p>  \t text"), "text\r\n");
    EXPECT_EQ(CleanLyricsHtml("<div unclosed text"), "<div unclosed text\r\n");
    EXPECT_EQ(CleanLyricsHtml(""), "\r\n");
    EXPECT_EQ(CleanLyricsHtml(" \r\n <br> "), "\r\n");
}

TEST(RemoveRepeatedSpans, JoinsThatMakeNewMatches) {
    struct Case {
        const char* text;
        const char* open;
        const char* close;
        const char* expected;
    };
    const Case cases[] = {
        // The rest of a span whose closing went runs on to the next closing.
        {"<ab</a><a<ab</a>c</a>", "<a", "</a>", ""},
        {"<z><x<y><x<z><y>", "<", ">", ""},
        {"<z><x<c<y><x<c<z><y>", "<", ">", ""},
        {"<z><a<b<c<d<e<y><a<b<c<d<e<z><y>", "<", ">", ""},
        // Removals join '<' and 'a' into a new opening...
        {"<ax</a>z<<ax</a>ay</a>", "<a", "</a>", "z"},
        // ...or "</" and "a>" into a new closing.
        {"<ax</a>q<aw</<ax</a>a>", "<a", "</a>", "q"},
        // No closing at all, or none after the first opening.
        {"<a<a<a", "<a", "</a>", "<a<a<a"},
        {"</a><a", "<a", "</a>", "</a><a"},
        {"<<<x>", "<", ">", ""},
        {"a<b>c<b>d<b", "<", ">", "acd<b"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RemoveRepeatedSpans(c.text, c.open, c.close), c.expected) << c.text;
        EXPECT_EQ(LiteralRemoveRepeatedSpans(c.text, c.open, c.close), c.expected) << c.text;
    }
}

// Random fragments built from pieces of a kind.
class FragmentMaker {
public:
    explicit FragmentMaker(unsigned seed) : m_random(seed) {}

    std::string Make(const std::vector<std::string>& pieces, size_t count) {
        std::string text;
        for (size_t i = 0; i < count; ++i) text += pieces[Below(pieces.size())];
        return text;
    }
    size_t Below(size_t n) { return static_cast<size_t>(m_random() % n); }
    std::string Number() { return std::to_string(Below(50)); }

private:
    std::mt19937 m_random;
};

void ExpectSameAsLiteral(const std::string& fragment) {
    ASSERT_EQ(CleanLyricsHtml(fragment), LiteralCleanLyricsHtml(fragment)) << "fragment: " << fragment;
}

const std::vector<std::string> kBreaks = {
    "\r\n", "\n", "\r", "\n\r", "<br>", "<br> ", "<BR>", "<BR> ", "<br />", "<BR />", "<br/>", "<BR/>",
    "</p>", "</P>", "<p>", "\r\n\r\n", "\r\n\r\n\r\n", "<br>\r\n", "\r\n<br>"};
const std::vector<std::string> kWords = {"love", "la", "a", "x", "night ", " ", "  ", "\t", "oh-oh", "word word "};
const std::vector<std::string> kEntities = {"&amp;", "&lt;", "&gt;", "&nbsp;", "&#233;", "&#0;", "&eacute;",
                                            "&bogus;", "&", ";", "&lt;br&gt;", "&#60;a&#62;"};
const std::vector<std::string> kTags = {"<b>", "</b>", "<i>", "</i>", "<div class=a>", "</div>", "<span>",
                                        "<", ">", "<!-- c -->", "<script>v=1;</script>", "<img src=x>", "<<b>"};
const std::vector<std::string> kAnchors = {"<a href=\"/home\">Home</a>", "<a name=top>", "<a href=x>", "</a>",
                                           "<abbr>la</abbr>", "<a", "a", "<", "</", "a>", "<a href=y>y</a>"};

TEST(CleanLyricsHtml, SameAsTheLiteralStepsOnGeneratedFragments) {
    FragmentMaker maker(20240611);
    std::vector<std::string> all;
    for (const auto* list : {&kBreaks, &kWords, &kEntities, &kTags, &kAnchors}) all.insert(all.end(), list->begin(), list->end());
    for (int i = 0; i < 1500; ++i) ExpectSameAsLiteral(maker.Make(all, maker.Below(60)));

    // Anchors, many alike and some distinct, with words and breaks.
    std::vector<std::string> anchors = kAnchors;
    anchors.insert(anchors.end(), kWords.begin(), kWords.end());
    anchors.insert(anchors.end(), kBreaks.begin(), kBreaks.begin() + 5);
    for (int i = 0; i < 600; ++i) {
        std::string text = maker.Make(anchors, maker.Below(40));
        text += "<a href=\"/s" + maker.Number() + "\">song " + maker.Number() + "</a>" + maker.Make(anchors, 10);
        ExpectSameAsLiteral(text);
    }

    // Nested and unclosed tags.
    std::vector<std::string> tags = kTags;
    tags.insert(tags.end(), {"<b", "<i", "<u ", "text", " ", "<br>", "<t" + maker.Number() + ">"});
    for (int i = 0; i < 600; ++i) ExpectSameAsLiteral(maker.Make(tags, maker.Below(50)));

    // Lyrics lines, single- or double-spaced, with break forms and tags.
    for (int i = 0; i < 600; ++i) {
        const std::string gap = maker.Make(kBreaks, 1 + maker.Below(2));
        std::string text;
        const size_t lines = 1 + maker.Below(8);
        for (size_t l = 0; l < lines; ++l)
            text += maker.Make(kWords, 1 + maker.Below(4)) + maker.Make(kTags, maker.Below(2)) + gap;
        ExpectSameAsLiteral(text);
    }

    // Long single lines, with and without spaces and entities.
    for (int i = 0; i < 300; ++i) {
        std::vector<std::string> pieces = kWords;
        pieces.insert(pieces.end(), {"&nbsp;", "&amp;", "<b>", "</b>", "averyveryverylongwordwithoutspaces"});
        ExpectSameAsLiteral(maker.Make(pieces, 20 + maker.Below(120)));
    }
}

TEST(RemoveRepeatedSpans, SameAsTheLiteralStepsOnTokenSoup) {
    // Few kinds of pieces make many repeats and joins: copies behind stray
    // openings, new openings and closings made by removals.
    const std::vector<std::string> anchorSoup = {"<", "a", "/", ">", "x", "<a", "</a>", "<a x>", "y</a>", "<b>"};
    const std::vector<std::string> tagSoup = {"<", ">", "x", "y", "<x>", "<y>", "<<", "z>"};
    FragmentMaker maker(7);
    for (int i = 0; i < 4000; ++i) {
        const std::string a = maker.Make(anchorSoup, maker.Below(40));
        ASSERT_EQ(RemoveRepeatedSpans(a, "<a", "</a>"), LiteralRemoveRepeatedSpans(a, "<a", "</a>")) << a;
        const std::string t = maker.Make(tagSoup, maker.Below(40));
        ASSERT_EQ(RemoveRepeatedSpans(t, "<", ">"), LiteralRemoveRepeatedSpans(t, "<", ">")) << t;
    }
}

}  // namespace
