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

// The service answers 400 to a duration outside 1 to 3600 s: it is left out.
TEST(JsonLyrics, ADurationTheServiceRefusesIsLeftOut) {
    const std::string tmpl = "https://x.example/api/get?track_name=<songName>&duration=<duration>";
    const struct {
        int seconds;
        const char* url;
    } rows[] = {
        {1, "https://x.example/api/get?track_name=T&duration=1"},
        {3600, "https://x.example/api/get?track_name=T&duration=3600"},
        {3601, "https://x.example/api/get?track_name=T"},
        {86400, "https://x.example/api/get?track_name=T"},
        {0, "https://x.example/api/get?track_name=T"},
        {-5, "https://x.example/api/get?track_name=T"},
    };
    for (const auto& row : rows) EXPECT_EQ(FillJsonUrlTemplate(tmpl, "", "T", row.seconds), row.url) << row.seconds;
}

// Synchronised lyrics running on past the song's end belong to another
// recording (a live or extended one): the plain text is offered instead.
TEST(JsonLyrics, SyncedLyricsOfAnotherRecordingAreSkipped) {
    JsonLyricsRecord r;
    r.plainLyrics = "words";
    r.syncedLyrics = "[00:01.00]a\n[03:20.50]b\n[03:05]c";
    EXPECT_EQ(LastTimeTagMs(r.syncedLyrics), 200500);
    const struct {
        int seconds;
        const char* lyrics;
    } rows[] = {
        {0, "synced"},    // length unknown
        {191, "synced"},  // 200.5 s is within 10 s of 191
        {190, "plain"},   // 10.5 s past its end
        {60, "plain"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(LyricsOfRecord(r, row.seconds), std::string(row.lyrics) == "synced" ? r.syncedLyrics : r.plainLyrics)
            << row.seconds;
    EXPECT_EQ(LastTimeTagMs("[ar:x]\n[1:02.5]y\n[00:07:25]z\n[xx:10]"), 62500);
    EXPECT_EQ(LastTimeTagMs("no tags [00:60] [0:5]"), -1);
}

TEST(JsonLyrics, RetryAfterInSecondsOrAsADate) {
    const long long now = 784111777;  // Sun, 06 Nov 1994 08:49:37 GMT
    const struct {
        const char* value;
        int seconds;
    } rows[] = {
        {"120", 120},
        {" 7 ", 7},
        {"0", 0},
        {"999999", kMaxRetryAfterSeconds},
        {"99999999999999999999", kMaxRetryAfterSeconds},
        {"Sun, 06 Nov 1994 08:50:07 GMT", 30},
        {"Sunday, 06-Nov-94 08:51:37 GMT", 120},
        {"Sun Nov  6 08:49:47 1994", 10},
        {"Sat, 05 Nov 1994 08:49:37 GMT", 0},  // passed already
        {"Mon, 07 Nov 1994 08:49:37 GMT", kMaxRetryAfterSeconds},
        {"", kDefaultRetryAfterSeconds},
        {"soon", kDefaultRetryAfterSeconds},
        {"-5", kDefaultRetryAfterSeconds},
        {"1.5", kDefaultRetryAfterSeconds},
        {"Sun, 32 Nov 1994 08:49:37 GMT", kDefaultRetryAfterSeconds},
        {"Sun, 06 Nov 1994 25:49:37 GMT", kDefaultRetryAfterSeconds},
    };
    for (const auto& row : rows) EXPECT_EQ(RetryAfterSeconds(row.value, now), row.seconds) << row.value;
}

}  // namespace
