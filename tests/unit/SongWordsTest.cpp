// Search terms from title and artist, and the matching of archive link
// names against them.
#include "search/SongWords.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(IsWordChar, PunctuationRangesAndThreeLatinSigns) {
    for (char32_t c = 0; c < 0x800; ++c) {
        const bool punctuation = (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) ||
                                 (c >= 123 && c <= 126) || c == 0xA1 || c == 0xB4 || c == 0xBF;
        EXPECT_EQ(IsWordChar(c), !punctuation) << c;
    }
}

TEST(CleanTitle, PunctuationRunsBecomeOneSpaceAndEndsAreTrimmed) {
    const struct {
        const char* title;
        const char* terms;
    } rows[] = {
        {"Hello!!", "Hello"},
        {"AC/DC", "AC DC"},
        {"What's up?!?", "What s up"},
        {"  \xC2\xBFQu\xC3\xA9 pasa?  ", "Qu\xC3\xA9 pasa"},  // inverted question mark goes; e acute stays
        {"Rock & Roll", "Rock   Roll"},                         // the spaces around were there already
        {"...---...", ""},
        {"", ""},
        // Letters whose UTF-8 holds the bytes of the Latin-1 signs: a acute
        // (C3 A1), i acute (C3 AD), Cyrillic (D0 BF), Japanese (E3 81 BF).
        {"\xC3\xA1rbol", "\xC3\xA1rbol"},
        {"\xD0\xBF\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F!", "\xD0\xBF\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F"},
        {"\xE3\x81\xBF\xE3\x81\xAA\xC2\xA1", "\xE3\x81\xBF\xE3\x81\xAA"},
        {"\xC2\xB4quote\xC2\xB4", "quote"},
        {"bad \xFF byte", "bad \xFF byte"},  // no character: kept, not taken for punctuation
    };
    for (const auto& row : rows) EXPECT_EQ(CleanTitle(row.title), row.terms) << row.title;
}

TEST(CleanArtist, UnavailableArtistIsEmpty) {
    EXPECT_EQ(CleanArtist("(Artist unavailable)"), "");
    EXPECT_EQ(CleanArtist("(Artist unavailable) "), "Artist unavailable");  // only the exact text
    EXPECT_EQ(CleanArtist("Guns N' Roses"), "Guns N  Roses");
}

TEST(CleanTitle, LongTitlesAreCutAfterTheLastWholeWordThatFits) {
    std::string title;
    for (int i = 0; i < 20; ++i) title += "word" + std::to_string(i) + " ";  // 130 characters
    const std::string cleaned = CleanTitle(title);
    EXPECT_LE(cleaned.size(), kSearchWordsChars);
    EXPECT_EQ(title.compare(0, cleaned.size() + 1, cleaned + " "), 0);
    EXPECT_EQ(cleaned.substr(cleaned.size() - 6), "word14");  // word15 would end at 101

    const std::string oneWord(150, 'x');
    EXPECT_EQ(CleanTitle(oneWord), oneWord.substr(0, kSearchWordsChars));
    // A word longer than the field is cut before the character the limit
    // falls in: 49 three-byte characters are 147 bytes, 33 of them fit.
    std::string kana;
    for (int i = 0; i < 49; ++i) kana += "\xE3\x81\x82";
    EXPECT_EQ(CleanTitle(kana), kana.substr(0, 99));
    EXPECT_EQ(CleanTitle("x" + kana), ("x" + kana).substr(0, 97));
    // Exactly 99 characters ending a word are kept whole.
    const std::string fits = std::string(49, 'a') + " " + std::string(49, 'b') + " tail";
    EXPECT_EQ(CleanArtist(fits), fits.substr(0, 99));
}

TEST(ContainsWord, OnlyWholeWordsBetweenNonLetters) {
    EXPECT_TRUE(ContainsWord("the rain song", "rain"));
    EXPECT_FALSE(ContainsWord("raining", "rain"));
    EXPECT_FALSE(ContainsWord("brain", "rain"));
    EXPECT_TRUE(ContainsWord("raining, rain", "rain"));  // a later occurrence counts
    EXPECT_TRUE(ContainsWord("rain2", "rain"));          // digits are not letters
    EXPECT_TRUE(ContainsWord("rain\xC3\xA9", "rain"));   // nor are accented letters
    EXPECT_TRUE(ContainsWord("(rain)", "rain"));
    EXPECT_FALSE(ContainsWord("Rain", "rain"));          // case-sensitive
    EXPECT_FALSE(ContainsWord("", "rain"));
}

TEST(MatchWords, AllWordsOrEnoughOfThem) {
    EXPECT_TRUE(MatchWords("anything", "", 2));
    EXPECT_TRUE(MatchWords("one two three", "three  one", 5));  // doubled spaces pass over empty words
    EXPECT_TRUE(MatchWords("something", "the in los", 2));    // only stop words
    // Three words, none a stop word: two of them are enough for a minimum of 2.
    EXPECT_TRUE(MatchWords("sweet home", "sweet home alabama", 2));
    EXPECT_FALSE(MatchWords("sweet", "sweet home alabama", 2));
    EXPECT_TRUE(MatchWords("sweet", "sweet the", 5));  // the stop word is not needed
    // Minimum 0: at least one and at least half.
    EXPECT_TRUE(MatchWords("sweet home", "sweet home alabama road", 0));
    EXPECT_FALSE(MatchWords("sweet", "sweet home alabama road", 0));
    EXPECT_FALSE(MatchWords("nothing", "sweet", 0));
    // A negative minimum needs every word.
    EXPECT_FALSE(MatchWords("sweet home", "sweet home alabama", -1));
    EXPECT_TRUE(MatchWords("sweet home alabama", "sweet home alabama", -1));
}

TEST(MatchLinkName, ArtistPartBeforeTheDashTitlePartAfterIt) {
    // The artist part needs one of the artist's words, stop words passed over.
    EXPECT_TRUE(MatchLinkName("The Beatles - Let It Be", "let it be", "the beatles"));
    EXPECT_TRUE(MatchLinkName("Los Lobos - La Bamba", "la bamba", "lobos"));
    EXPECT_FALSE(MatchLinkName("Los Tigres - La Bamba", "la bamba", "lobos"));
    // Title of three words: two of them are enough, one is not.
    EXPECT_TRUE(MatchLinkName("Artist - Hotel California (live)", "hotel california eagles", "artist"));
    EXPECT_FALSE(MatchLinkName("Artist - Hotel Transylvania", "hotel california eagles", "artist"));
    // Without a dash the title alone is compared, whatever the artist.
    EXPECT_TRUE(MatchLinkName("Let It Be.zip", "let it be", "someone else"));
    // Without an artist part the artist is not compared either.
    EXPECT_TRUE(MatchLinkName(" - Let It Be", "let it be", "nobody"));
    // Link texts are folded; title and artist come folded already.
    EXPECT_FALSE(MatchLinkName("Artist - Song", "Song", "artist"));
}

TEST(MatchLinkName, LinkNamesOfEveryScriptAreFolded) {
    const struct {
        const char* link;
        const char* title;
        const char* artist;
    } rows[] = {
        {"\xC3\x89LAN - CAF\xC3\x89", "caf\xC3\xA9", "\xC3\xA9lan"},                   // ÉLAN - CAFÉ
        {"\xC5\x81ZY - \xC5\x9AWIT", "\xC5\x9Bwit", "\xC5\x82zy"},                     // ŁZY - ŚWIT
        {"\xCE\x91\xCE\xA3\xCE\xA4\xCE\x95\xCE\xA1\xCE\x99 - \xCE\x9D\xCE\xAD\xCE\xBF",  // ΑΣΤΕΡΙ - Νέο
         "\xCE\xBD\xCE\xAD\xCE\xBF", "\xCE\xB1\xCF\x83\xCF\x84\xCE\xB5\xCF\x81\xCE\xB9"},
        {"\xD0\x9A\xD0\x98\xD0\x9D\xD0\x9E - \xD0\x93\xD1\x80\xD1\x83\xD0\xBF\xD0\xBF\xD0\xB0 \xD0\x9A\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB8",
         "\xD0\xB3\xD1\x80\xD1\x83\xD0\xBF\xD0\xBF\xD0\xB0 \xD0\xBA\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB8",
         "\xD0\xBA\xD0\xB8\xD0\xBD\xD0\xBE"},                                        // КИНО - Группа Крови
        {"\xE3\x82\xA2\xE3\x83\xBC\xE3\x83\x86\xE3\x82\xA3\xE3\x82\xB9\xE3\x83\x88 - \xE6\x9C\x9D",
         "\xE6\x9C\x9D", "\xE3\x82\xA2\xE3\x83\xBC\xE3\x83\x86\xE3\x82\xA3\xE3\x82\xB9\xE3\x83\x88"},  // no case: as it is
    };
    for (const auto& row : rows) EXPECT_TRUE(MatchLinkName(row.link, row.title, row.artist)) << row.link;
    // Another Cyrillic word is no match.
    EXPECT_FALSE(MatchLinkName("\xD0\x9A\xD0\x98\xD0\x9D\xD0\x9E - \xD0\x97\xD0\xB2\xD0\xB5\xD0\xB7\xD0\xB4\xD0\xB0",
                               "\xD0\xB3\xD1\x80\xD1\x83\xD0\xBF\xD0\xBF\xD0\xB0", "\xD0\xBA\xD0\xB8\xD0\xBD\xD0\xBE"));
}

TEST(MatchLinkName, LoweringCanBeSupplied) {
    const auto upper = [](const std::string& text) {
        std::string out = text;
        for (char& c : out)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        return out;
    };
    EXPECT_TRUE(MatchLinkName("artist - song", "SONG", "ARTIST", +upper));
    EXPECT_FALSE(MatchLinkName("artist - song", "song", "artist", +upper));
}

TEST(IsStopWord, SevenExactWords) {
    for (const char* word : {"the", "in", "on", "do", "el", "los", "las"}) EXPECT_TRUE(IsStopWord(word)) << word;
    for (const char* word : {"The", "la", "", "them", "an"}) EXPECT_FALSE(IsStopWord(word)) << word;
}

}  // namespace
