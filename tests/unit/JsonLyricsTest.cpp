// Answers of the JSON lyrics service and the requests sent to it.
#include "search/JsonLyrics.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(JsonLyrics, RecordFieldsAndTheLyricsOffered) {
    JsonLyricsRecord r;
    ASSERT_TRUE(ParseJsonLyricsRecord(
        R"({"id":3,"trackName":"Song","artistName":"Band","albumName":"A","duration":201.5,)"
        R"("instrumental":false,"plainLyrics":"one\ntwo","syncedLyrics":"[00:01.20] one\n[00:02.40] two"})",
        r));
    EXPECT_EQ("Song", r.trackName);
    EXPECT_EQ("Band", r.artistName);
    EXPECT_EQ("[00:01.20] one\n[00:02.40] two", LyricsOfRecord(r));
    r.syncedLyrics.clear();
    EXPECT_EQ("one\ntwo", LyricsOfRecord(r));  // plain when there is nothing synchronised

    ASSERT_TRUE(ParseJsonLyricsRecord(R"({"instrumental":true,"plainLyrics":"x","syncedLyrics":null})", r));
    EXPECT_EQ("", LyricsOfRecord(r));  // an instrumental track has none
    // Unicode escapes come out as UTF-8.
    ASSERT_TRUE(ParseJsonLyricsRecord(R"({"plainLyrics":"caf\u00e9 \u2665"})", r));
    EXPECT_EQ("caf\xC3\xA9 \xE2\x99\xA5", LyricsOfRecord(r));
}

TEST(JsonLyrics, HostileAnswersGiveNothing) {
    JsonLyricsRecord r;
    for (const std::string& bad : std::vector<std::string>{"", "{", R"({"plainLyrics":"x")", "[]", "null", "42", "\"text\"", "<html>",
                                  R"({"plainLyrics":"a\u")", std::string("{\"plainLyrics\":\"a\0b\"}", 20)})
        EXPECT_FALSE(ParseJsonLyricsRecord(bad, r) && !LyricsOfRecord(r).empty()) << bad;
    // Wrong types are no lyrics.
    ASSERT_TRUE(ParseJsonLyricsRecord(R"({"plainLyrics":5,"syncedLyrics":["x"],"instrumental":"yes"})", r));
    EXPECT_EQ("", LyricsOfRecord(r));
    EXPECT_FALSE(r.instrumental);
    // Too deep or too large: refused before parsing.
    EXPECT_FALSE(ParseJsonLyricsRecord(std::string(100000, '[') + std::string(100000, ']'), r));
    EXPECT_FALSE(ParseJsonLyricsRecord("{\"plainLyrics\":\"" + std::string(kMaxJsonAnswerBytes, 'x') + "\"}", r));
    // Brackets inside strings do not count as depth.
    ASSERT_TRUE(ParseJsonLyricsRecord("{\"plainLyrics\":\"" + std::string(100, '[') + "\"}", r));
    EXPECT_EQ(std::string(100, '['), r.plainLyrics);
}

TEST(JsonLyrics, SearchAnswersKeepTheirOrderAndSkipOddEntries) {
    const auto records = ParseJsonLyricsSearch(
        R"([{"trackName":"A","artistName":"X"}, 7, null, {"trackName":"B","syncedLyrics":"[00:01]b"}])");
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ("A", records[0].trackName);
    EXPECT_EQ("[00:01]b", LyricsOfRecord(records[1]));
    EXPECT_TRUE(ParseJsonLyricsSearch(R"({"trackName":"A"})").empty());
    EXPECT_TRUE(ParseJsonLyricsSearch("[{").empty());
}

TEST(JsonLyrics, RequestUrls) {
    EXPECT_EQ("A-z_0.9~%20%26%3D%3F%2F%C3%A9", PercentEncode("A-z_0.9~ &=?/\xC3\xA9"));
    const std::string tmpl =
        "https://lyrics.example/api/get?artist_name=<artistName>&track_name=<songName>&duration=<duration>";
    EXPECT_EQ("https://lyrics.example/api/get?artist_name=AC%2FDC&track_name=T.N.T.&duration=215",
              FillJsonUrlTemplate(tmpl, "AC/DC", "T.N.T.", 215));
    EXPECT_EQ("https://lyrics.example/api/get?artist_name=A&track_name=B", FillJsonUrlTemplate(tmpl, "A", "B", 0));
    EXPECT_EQ("https://x.example/api/get?track_name=B",
              FillJsonUrlTemplate("https://x.example/api/get?duration=<duration>&track_name=<songName>", "", "B", -1));
    EXPECT_EQ("https://x.example/api/get", FillJsonUrlTemplate("https://x.example/api/get?d=<duration>", "", "", 0));

    const std::string get = FillJsonUrlTemplate(tmpl, "A b", "C", 200);
    EXPECT_EQ("https://lyrics.example/api/search?artist_name=A%20b&track_name=C", JsonSearchUrl(get, true));
    EXPECT_EQ("https://lyrics.example/api/search?track_name=C", JsonSearchUrl(get, false));
    EXPECT_EQ("", JsonSearchUrl("https://lyrics.example/other?x=1", true));
}

}  // namespace
