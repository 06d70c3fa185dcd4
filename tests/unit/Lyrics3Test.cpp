#include "lyrics/Lyrics3.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::string kId3v1 = "TAG" + std::string(125, '\0');
const std::string kAudio = std::string(300, '\xff') + "audio";

std::string Digits(size_t value, int width) {
    char text[16];
    std::snprintf(text, sizeof(text), "%0*zu", width, value);
    return text;
}

std::string Field(const std::string& id, const std::string& data) {
    return id + Digits(data.size(), 5) + data;
}

std::string TagV2(const std::string& fields,
                  const std::string& begin = "LYRICSBEGIN",
                  const std::string& mark = "LYRICS200") {
    const std::string body = begin + fields;
    return body + Digits(body.size(), 6) + mark;
}

// What the plugin does with a file: read the tail, locate, read the tag,
// each through an exactly sized buffer so that overreads are caught.
bool ReadFromFile(const std::string& file, std::string& lyrics) {
    const size_t tailLen = std::min(file.size(), kLyrics3TailSize);
    const std::vector<unsigned char> tail(file.end() - tailLen, file.end());
    const Lyrics3Location loc =
        LocateLyrics3(tail.data(), tail.size(), file.size());
    if (!loc.Found()) return false;
    EXPECT_LE(loc.start + loc.length, file.size() - 128);
    const std::vector<char> tag(file.begin() + loc.start,
                                file.begin() + loc.start + loc.length);
    return ExtractLyrics3(tag.data(), tag.size(), loc.version, lyrics);
}

bool ReadV2(const std::string& fields, std::string& lyrics) {
    return ReadFromFile(kAudio + TagV2(fields) + kId3v1, lyrics);
}

}  // namespace

TEST(Lyrics3V2, TakesOnlyTheLyrField) {
    const std::string lyr = "[00:10]first\r\nsecond\r\n";
    std::string lyrics;
    ASSERT_TRUE(ReadV2(Field("IND", "11") + Field("LYR", lyr) +
                           Field("INF", "x"), lyrics));
    EXPECT_EQ(lyr, lyrics);
    // LYR last, its data ending right at the trailer.
    ASSERT_TRUE(ReadV2(Field("IND", "10") + Field("LYR", "end"), lyrics));
    EXPECT_EQ("end", lyrics);
    EXPECT_FALSE(ReadV2(Field("IND", "10") + Field("INF", "info"), lyrics));
    EXPECT_FALSE(ReadV2("", lyrics));
}

TEST(Lyrics3V2, MarkersAndFieldIdIgnoreCase) {
    std::string lyrics;
    ASSERT_TRUE(ReadFromFile(
        kAudio + TagV2(Field("lYr", "words"), "LyricsBegin", "lyrics200") +
            kId3v1,
        lyrics));
    EXPECT_EQ("words", lyrics);
}

TEST(Lyrics3V2, MalformedFieldsAreRejected) {
    std::string lyrics;
    EXPECT_FALSE(ReadV2("IND0x002ab" + Field("LYR", "w"), lyrics));
    EXPECT_FALSE(ReadV2("LYR000-5words", lyrics));
    EXPECT_FALSE(ReadV2("LYR00006words", lyrics));  // one byte too many
    EXPECT_FALSE(ReadV2("LYR99999words", lyrics));
    EXPECT_FALSE(ReadV2("IND99999" + Field("LYR", "w"), lyrics));
    EXPECT_FALSE(ReadV2("IND00000LYR0", lyrics));  // header cut short
}

TEST(Lyrics3V2, BadTrailerSizeIsNotATag) {
    const std::string tag = TagV2(Field("LYR", "words"));
    // One short is located, but the start is then off by one.
    const std::string oneShort = Digits(tag.size() - 16, 6);
    for (const std::string& size :
         {std::string("00002x"), std::string("999999"), oneShort}) {
        const std::string file = kAudio + tag.substr(0, tag.size() - 15) +
                                 size + "LYRICS200" + kId3v1;
        const std::vector<unsigned char> tail(file.end() - 143, file.end());
        EXPECT_EQ(size == oneShort,
                  LocateLyrics3(tail.data(), 143, file.size()).Found());
        std::string lyrics;
        EXPECT_FALSE(ReadFromFile(file, lyrics)) << size;
    }
}

TEST(Lyrics3V2, TruncatedTagNeverReadsPastItsBuffer) {
    const std::string tag = TagV2(Field("IND", "10") + Field("LYR", "words"));
    std::string lyrics;
    for (size_t len = 0; len < tag.size(); ++len) {
        const std::vector<char> head(tag.begin(), tag.begin() + len);
        const std::vector<char> tail(tag.end() - len, tag.end());
        EXPECT_FALSE(ExtractLyrics3(head.data(), len, 2, lyrics)) << len;
        EXPECT_FALSE(ExtractLyrics3(tail.data(), len, 2, lyrics)) << len;
    }
}

TEST(Lyrics3Locate, NeedsRoomForTrailerAndId3v1) {
    std::string lyrics;
    EXPECT_FALSE(ReadFromFile("000000LYRICS200" + std::string(100, ' '),
                              lyrics));
    // Exactly trailer + ID3v1: a tag at offset 0 that holds no lyrics.
    const std::string minimal = "000000LYRICS200" + kId3v1;
    const std::vector<unsigned char> t(minimal.begin(), minimal.end());
    const Lyrics3Location loc = LocateLyrics3(t.data(), t.size(), t.size());
    EXPECT_TRUE(loc.Found() && loc.start == 0 && loc.length == 15);
    EXPECT_FALSE(ReadFromFile(minimal, lyrics));
    // No ID3v1 tag after the Lyrics3 tag.
    EXPECT_FALSE(ReadFromFile(kAudio + TagV2(Field("LYR", "w")), lyrics));
}

TEST(Lyrics3V1, TakesTextAfterTheLastBeginMarker) {
    const std::string text = "line one\r\nline two";
    const std::string tag = "LYRICSBEGIN" + text + "LYRICSEND";
    // The 5100-byte window starts in audio that holds a stray marker.
    const std::string window =
        "LYRICSBEGIN" + std::string(5100 - 11 - tag.size(), 'U') + tag;
    std::string lyrics;
    ASSERT_TRUE(ReadFromFile(kAudio + window + kId3v1, lyrics));
    EXPECT_EQ(text, lyrics);

    std::string lower = window;
    lower.replace(lower.size() - tag.size(), 11, "lyricsbegin");
    lower.replace(lower.size() - 9, 9, "LyricsEnd");
    ASSERT_TRUE(ReadFromFile(kAudio + lower + kId3v1, lyrics));
    EXPECT_EQ(text, lyrics);

    const std::string empty = std::string(5080, 'a') + "LYRICSBEGINLYRICSEND";
    ASSERT_TRUE(ExtractLyrics3(empty.data(), empty.size(), 1, lyrics));
    EXPECT_EQ("", lyrics);
}

TEST(Lyrics3V1, RejectsBadWindows) {
    std::string lyrics;
    // Too small a file for the window.
    EXPECT_FALSE(
        ReadFromFile(kAudio + "LYRICSBEGINtextLYRICSEND" + kId3v1, lyrics));
    // The begin marker lies just before the window.
    EXPECT_FALSE(ReadFromFile("LYRICSBEGIN" + std::string(5087, 'a') +
                                  "textLYRICSEND" + kId3v1,
                              lyrics));
    // The window must end with the trailer itself.
    const std::string window = std::string(5076, 'a') + "LYRICSBEGINLYRICSEND ";
    EXPECT_FALSE(ExtractLyrics3(window.data(), window.size(), 1, lyrics));
}
