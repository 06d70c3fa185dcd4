// Search terms from title and artist, and the matching of archive link
// names against them.
#include "search/SongWords.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(IsWordChar, PunctuationRangesAndThreeLatinSigns) {
    for (int c = 0; c < 256; ++c) {
        const bool punctuation = (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) ||
                                 (c >= 123 && c <= 126) || c == 161 || c == 180 || c == 191;
        EXPECT_EQ(IsWordChar(static_cast<unsigned char>(c)), !punctuation) << c;
    }
}

TEST(CleanTitle, PunctuationRunsBecomeOneSpaceAndEndsAreTrimmed) {
    EXPECT_EQ(CleanTitle("Hello!!"), "Hello");
    EXPECT_EQ(CleanTitle("AC/DC"), "AC DC");
    EXPECT_EQ(CleanTitle("What's up?!?"), "What s up");
    EXPECT_EQ(CleanTitle("  \xBFQu\xE9 pasa?  "), "Qu\xE9 pasa");  // inverted question mark; e acute stays
    EXPECT_EQ(CleanTitle("Rock & Roll"), "Rock   Roll");          // the spaces around were there already
    EXPECT_EQ(CleanTitle("...---..."), "");
    EXPECT_EQ(CleanTitle(""), "");
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
    // Exactly 99 characters ending a word are kept whole.
    const std::string fits = std::string(49, 'a') + " " + std::string(49, 'b') + " tail";
    EXPECT_EQ(CleanArtist(fits), fits.substr(0, 99));
}

TEST(LowerAnsi, LettersOfCodePage1252) {
    EXPECT_EQ(LowerAnsi("ABC xyz 09"), "abc xyz 09");
    EXPECT_EQ(LowerAnsi("\xC0\xC9\xD1\xDE \x8A\x8C\x8E\x9F"), "\xE0\xE9\xF1\xFE \x9A\x9C\x9E\xFF");
    EXPECT_EQ(LowerAnsi("\xD7\xDF\xE9"), "\xD7\xDF\xE9");  // times sign, sharp s and small letters stay
}

TEST(ContainsWord, OnlyWholeWordsBetweenNonLetters) {
    EXPECT_TRUE(ContainsWord("the rain song", "rain"));
    EXPECT_FALSE(ContainsWord("raining", "rain"));
    EXPECT_FALSE(ContainsWord("brain", "rain"));
    EXPECT_TRUE(ContainsWord("raining, rain", "rain"));  // a later occurrence counts
    EXPECT_TRUE(ContainsWord("rain2", "rain"));          // digits are not letters
    EXPECT_TRUE(ContainsWord("rain\xE9", "rain"));       // nor are accented letters
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
    // Link texts are lowered; title and artist come lowered already.
    EXPECT_TRUE(MatchLinkName("\xC9LAN - CAF\xC9", "caf\xE9", "\xE9lan"));
    EXPECT_FALSE(MatchLinkName("Artist - Song", "Song", "artist"));
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
