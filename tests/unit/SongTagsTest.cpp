// Lyrics inside songs, read and written by wide path: the encodings of lyrics
// frames in tags of versions 2.2 to 2.4, Lyrics3 tags in the code page, the
// encoding a written frame takes, and what a write keeps byte for byte.
#include "framework/Utf8.h"
#include "lyrics/Id3Lyrics.h"
#include "lyrics/LyricFiles.h"
#include "tests/support/Mp3Fixture.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestCodePage.h"

#include <id3/readers.h>
#include <id3/tag.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using mp3::Id3Frame;
using mp3::Id3Tag;
using mp3::Lyrics3Field;
using mp3::UsltData;
using mp3::Utf16BE;
using mp3::Utf16LE;

const TestCodePage kWestern(1252);
const TestCodePage kCyrillic(1251);

const std::string kBom = "\xFF\xFE";
const std::string kBomBE = "\xFE\xFF";

// Unsynchronisation as a tag writer applies it.
std::string Unsync(const std::string& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        const unsigned next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && (next >= 0xE0 || next == 0)) out += '\0';
    }
    return out;
}

std::string Compressed(const std::string& bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(bytes.data()),
             static_cast<uLong>(bytes.size()));
    out.resize(size);
    return out;
}

std::string BigEndian32(size_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

std::string Syncsafe32(size_t value) {
    return {static_cast<char>((value >> 21) & 0x7F), static_cast<char>((value >> 14) & 0x7F),
            static_cast<char>((value >> 7) & 0x7F), static_cast<char>(value & 0x7F)};
}

std::string With(std::string bytes, size_t at, char value) {
    bytes[at] = value;
    return bytes;
}

std::string Repeated(const std::string& part, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += part;
    return out;
}

// The ID3v2 tag at the start of these bytes, as id3lib parses it.
struct ParsedTag {
    explicit ParsedTag(const std::string& bytes) {
        ID3_MemoryReader reader(bytes.data(), static_cast<ID3_Reader::size_type>(bytes.size()));
        tag.Link(reader, ID3TT_ID3V2);
    }
    ID3_Tag tag;
};

// Big-endian UTF-16 as id3lib holds it, back to UTF-16.
std::u16string Id3libUnicode(const ID3_Field& field) {
    const unicode_t* raw = field.GetRawUnicodeText();
    std::u16string units;
    if (!raw) return units;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(raw);
    for (size_t i = 0; i + 1 < field.Size(); i += 2) units += static_cast<char16_t>((bytes[i] << 8) | bytes[i + 1]);
    return units;
}

class SongTags : public ::testing::Test {
protected:
    bool Read(const std::string& bytes, TagText& out, const text::CodePage& codePage = kWestern) {
        EXPECT_TRUE(WriteFileBytes(song, bytes));
        out = TagText();
        return ReadSongTagLyrics(song, codePage, out);
    }

    TempFolder folder;
    const std::string song = folder.File("song.mp3");
    const std::string audio = mp3::Audio();
};

// --- Reading ------------------------------------------------------------------

struct FrameCase {
    const char* name;
    std::string tag;  // before the audio, or the whole file when it ends in an ID3v1 tag
    const text::CodePage* codePage;
    std::string utf8;
    bool eightBit;
};

// Each encoding to UTF-8; 8-bit text keeps its bytes, to be read again in
// another character set.
TEST_F(SongTags, LyricsAreReadInTheirOwnEncoding) {
    const std::string cp1252 = "caf\xE9\r\nna\xEFve";
    const std::string cyrillic1251 = "\xCF\xE5\xF1\xED\xFF";  // "Песня"
    const std::string longUtf8 = Repeated(u8"Кино и 歌 ", 12);   // a frame beyond 127 bytes
    const std::string ff = Utf16LE(u"\u00FF\u00FFes");             // bytes a sync could be taken from
    const std::string plainUtf16 = "\x01XXX\0\0"s + kBom + ff;
    const FrameCase cases[] = {
        {"ASCII in ISO-8859-1", Id3Tag(3, Id3Frame(3, "USLT", UsltData(0, "\0"s, "plain\r\n[00:01]words"))),
         &kWestern, "plain\r\n[00:01]words", true},
        {"ISO-8859-1 frame holding 1251 bytes", Id3Tag(3, Id3Frame(3, "USLT", UsltData(0, "\0"s, cyrillic1251))),
         &kCyrillic, u8"Песня", true},
        {"the same bytes in 1252", Id3Tag(3, Id3Frame(3, "USLT", UsltData(0, "\0"s, cyrillic1251))), &kWestern,
         u8"Ïåñíÿ", true},
        {"UTF-16 little-endian",
         Id3Tag(3, Id3Frame(3, "USLT", UsltData(1, "\0\0"s, kBom + Utf16LE(u"桜の花\r\nКино")))), &kWestern,
         u8"桜の花\r\nКино", false},
        {"UTF-16 big-endian mark",
         Id3Tag(3, Id3Frame(3, "USLT", UsltData(1, "\0\0"s, kBomBE + Utf16BE(u"Кино 星")))), &kWestern,
         u8"Кино 星", false},
        {"UTF-16BE", Id3Tag(3, Id3Frame(3, "USLT", UsltData(2, "\0\0"s, Utf16BE(u"星の歌")))), &kWestern,
         u8"星の歌", false},
        {"surrogate pair", Id3Tag(3, Id3Frame(3, "USLT", UsltData(1, "\0\0"s, kBom + Utf16LE(u"🎵 la")))),
         &kWestern, u8"🎵 la", false},
        {"UTF-16 after a description",
         Id3Tag(3, Id3Frame(3, "USLT", UsltData(1, kBom + Utf16LE(u"desc") + "\0\0"s, kBom + Utf16LE(u"текст")))),
         &kWestern, u8"текст", false},
        {"UTF-8 in a 2.3 tag", Id3Tag(3, Id3Frame(3, "USLT", UsltData(3, "\0"s, u8"日本語 и русский"))), &kWestern,
         u8"日本語 и русский", false},
        {"2.3 tag unsynchronised whole", Id3Tag(3, Unsync(Id3Frame(3, "USLT", plainUtf16)), 0, 0x80), &kWestern,
         u8"ÿÿes", false},
        {"2.3 compressed frame",
         Id3Tag(3, Id3Frame(3, "USLT", BigEndian32(plainUtf16.size()) + Compressed(plainUtf16), 0x0080)), &kWestern,
         u8"ÿÿes", false},
        {"2.2 tag", Id3Tag(2, Id3Frame(2, "ULT", UsltData(0, "\0"s, "old tag"))), &kWestern, "old tag", true},
        {"2.4 UTF-8 beyond 127 bytes",
         Id3Tag(4, Id3Frame(4, "TIT2", "\x03title"s) + Id3Frame(4, "USLT", UsltData(3, "\0"s, longUtf8)), 100),
         &kWestern, longUtf8, false},
        {"2.4 UTF-16", Id3Tag(4, Id3Frame(4, "USLT", UsltData(1, "\0\0"s, kBom + Utf16LE(u"歌詞")))), &kWestern,
         u8"歌詞", false},
        {"2.4 ISO-8859-1 in 1251", Id3Tag(4, Id3Frame(4, "USLT", UsltData(0, "\0"s, cyrillic1251))), &kCyrillic,
         u8"Песня", true},
        {"2.4 unsynchronised frame", Id3Tag(4, Id3Frame(4, "USLT", Unsync(plainUtf16), 0x0002)), &kWestern,
         u8"ÿÿes", false},
        {"2.4 tag marked unsynchronised", Id3Tag(4, Id3Frame(4, "USLT", Unsync(plainUtf16)), 0, 0x80), &kWestern,
         u8"ÿÿes", false},
        {"2.4 compressed frame with its length",
         Id3Tag(4, Id3Frame(4, "USLT", Syncsafe32(plainUtf16.size()) + Compressed(plainUtf16), 0x0009)),
         &kWestern, u8"ÿÿes", false},
        {"2.4 grouped frame", Id3Tag(4, Id3Frame(4, "USLT", "\x07"s + UsltData(3, "\0"s, u8"группа"), 0x0040)),
         &kWestern, u8"группа", false},
        {"2.4 extended header",
         Id3Tag(4, Syncsafe32(6) + "\x01\x00"s + Id3Frame(4, "USLT", UsltData(3, "\0"s, u8"ext")), 0, 0x40),
         &kWestern, u8"ext", false},
        {"Lyrics3 v2 in 1252", audio + mp3::Lyrics3V2(Lyrics3Field("LYR", cp1252)) + mp3::Id3v1(), &kWestern,
         u8"café\r\nnaïve", true},
        {"Lyrics3 v1 in 1251", audio + mp3::Lyrics3V1(cyrillic1251) + mp3::Id3v1(), &kCyrillic, u8"Песня", true},
    };
    for (const FrameCase& c : cases) {
        TagText text;
        const bool whole = mp3::Contains(c.tag, mp3::Id3v1());
        ASSERT_TRUE(Read(whole ? c.tag : c.tag + audio + mp3::Id3v1(), text, *c.codePage)) << c.name;
        EXPECT_EQ(c.utf8, text.utf8) << c.name;
        EXPECT_EQ(c.eightBit, text.eightBit) << c.name;
        if (c.eightBit) EXPECT_EQ(c.utf8, c.codePage->ToUtf8(text.bytes)) << c.name;
        else EXPECT_EQ("", text.bytes) << c.name;
    }
}

struct SourceCase {
    const char* name;
    std::string file;
    bool found;
    std::string utf8;
};

TEST_F(SongTags, LyricsFrameWinsOverLyrics3EvenWhenEmpty) {
    const std::string lyrics3 = mp3::Lyrics3V2(Lyrics3Field("LYR", "from lyrics3")) + mp3::Id3v1();
    const SourceCase cases[] = {
        {"frame and Lyrics3", Id3Tag(3, Id3Frame(3, "USLT", UsltData(0, "\0"s, "frame"))) + audio + lyrics3, true,
         "frame"},
        {"empty frame", Id3Tag(3, Id3Frame(3, "USLT", UsltData(0, "\0"s, ""))) + audio + lyrics3, true, ""},
        {"empty 2.4 frame", Id3Tag(4, Id3Frame(4, "USLT", UsltData(3, "\0"s, ""))) + audio + lyrics3, true, ""},
        {"tag without lyrics", Id3Tag(3, Id3Frame(3, "TIT2", "\0title"s)) + audio + lyrics3, true, "from lyrics3"},
        {"no tag", audio + lyrics3, true, "from lyrics3"},
        {"nothing", Id3Tag(4, Id3Frame(4, "TIT2", "\0title"s)) + audio + mp3::Id3v1(), false, ""},
    };
    for (const SourceCase& c : cases) {
        TagText text;
        EXPECT_EQ(c.found, Read(c.file, text)) << c.name;
        EXPECT_EQ(c.utf8, text.utf8) << c.name;
    }
}

// Tags whose sizes and bytes come from elsewhere: never read outside them,
// never taken for lyrics; the Lyrics3 tag is still found.
TEST_F(SongTags, DamagedTagsGiveWayToLyrics3) {
    const std::string lyrics3 = mp3::Lyrics3V2(Lyrics3Field("LYR", "fallback")) + mp3::Id3v1();
    const std::string frame = Id3Frame(3, "USLT", UsltData(0, "\0"s, "x"));
    const std::string past = Id3Tag(4, Id3Frame(4, "USLT", UsltData(3, "\0"s, "past the tag")));
    const std::pair<const char*, std::string> cases[] = {
        {"size beyond the file", "ID3\x03\x00\x00\x00\x7F\x7F\x7F"s + frame},
        {"size beyond the cap", "ID3\x03\x00\x00\x7F\x7F\x7F\x7F"s + std::string(20000, '\0')},
        {"size byte with its high bit", "ID3\x03\x00\x00\x00\x00\x80\x10"s + frame},
        {"version 2.5", "ID3\x05\x00\x00\x00\x00\x00\x10"s + frame},
        {"2.4 frame running past its tag", With(past, 16, '\x7F')},
        {"2.4 frame size not syncsafe", With(past, 17, '\x80')},
        {"2.4 unknown text encoding", Id3Tag(4, Id3Frame(4, "USLT", UsltData(7, "\0"s, "what")))},
        {"2.4 lyrics frame of 3 bytes", Id3Tag(4, Id3Frame(4, "USLT", "\x03" "en"s))},
        {"2.4 encrypted frame", Id3Tag(4, Id3Frame(4, "USLT", "\x01" + UsltData(3, "\0"s, "secret"), 0x0004))},
        {"2.4 compressed without its length", Id3Tag(4, Id3Frame(4, "USLT", Compressed("\x03xxx\0abc"s), 0x0008))},
        {"2.4 frame of garbage", Id3Tag(4, "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C"s)},
    };
    for (const auto& c : cases) {
        TagText text;
        EXPECT_TRUE(Read(c.second + audio + lyrics3, text)) << c.first;
        EXPECT_EQ("fallback", text.utf8) << c.first;
    }
}

// What id3lib 3.8.3 itself makes of these tags, which is why it is not asked
// to read or rewrite them.
TEST(Id3libAlone, LosesVersion24FramesAndUtf8Text) {
    // Version 2.4 is past its latest version: the tag is seen, its frames are
    // not (rewritten through id3lib, the title would be gone).
    const std::string utf8 = u8"Кино";
    for (const std::string& frames :
         {Id3Frame(4, "USLT", UsltData(3, "\0"s, utf8)), Id3Frame(4, "TIT2", "\0title"s),
          Id3Frame(4, "USLT", UsltData(0, "\0"s, "ascii"))}) {
        const std::string tag = Id3Tag(4, frames, 16);
        ParsedTag parsed(tag);
        EXPECT_TRUE(parsed.tag.HasTagType(ID3TT_ID3V2));
        EXPECT_EQ(tag.size(), parsed.tag.GetPrependedBytes());
        EXPECT_EQ(ID3V2_UNKNOWN, parsed.tag.GetSpec());
        EXPECT_EQ(0u, parsed.tag.NumFrames());
    }

    // UTF-8 text (here in a 2.3 tag) is taken for UTF-16: the description
    // swallows the text in byte pairs and the text field stays empty.
    ParsedTag parsed(Id3Tag(3, Id3Frame(3, "USLT", UsltData(3, "\0"s, utf8))));
    const ID3_Frame* frame = parsed.tag.Find(ID3FID_UNSYNCEDLYRICS);
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(3u, frame->GetField(ID3FN_TEXTENC)->Get());
    EXPECT_EQ(0u, frame->GetField(ID3FN_TEXT)->Size());
    EXPECT_EQ(utf8.size(), frame->GetField(ID3FN_DESCRIPTION)->Size());
    TagText text;
    EXPECT_EQ(FrameRead::Unreadable, ReadLyricsFrame(parsed.tag, kWestern, text));
}

// --- Frames in an id3lib tag ------------------------------------------------

TEST(LyricsFrame, WriteReplacesEveryLyricsFrameOrNothing) {
    ID3_Tag tag;
    for (const char* text : {"one", "two"}) {
        auto frame = std::make_unique<ID3_Frame>(ID3FID_UNSYNCEDLYRICS);
        frame->GetField(ID3FN_TEXT)->Set(text);
        tag.AttachFrame(frame.release());
    }
    EXPECT_EQ(nullptr, WriteLyricsFrame(tag, ""));
    EXPECT_EQ(2u, tag.NumFrames());

    ASSERT_NE(nullptr, WriteLyricsFrame(tag, u8"новый\r\ntext"));
    EXPECT_EQ(1u, tag.NumFrames());
    TagText text;
    ASSERT_EQ(FrameRead::Read, ReadLyricsFrame(tag, kWestern, text));
    EXPECT_EQ(u8"новый\r\ntext", text.utf8);

    EXPECT_EQ(1, RemoveLyricsFrames(tag));
    EXPECT_EQ(FrameRead::None, ReadLyricsFrame(tag, kWestern, text));
}

// --- Writing ------------------------------------------------------------------

struct EncodingCase {
    std::string utf8;
    ID3_TextEnc encoding;
    std::string frameData;
};

TEST_F(SongTags, WrittenFrameIsIsoForAsciiAndUtf16Otherwise) {
    const EncodingCase cases[] = {
        {"[00:01]plain\r\nwords", ID3TE_ISO8859_1, "\0XXX\0[00:01]plain\r\nwords"s},
        {u8"桜の花が散る", ID3TE_UTF16, "\x01XXX\0\0"s + kBom + Utf16LE(u"桜の花が散る")},
        {u8"Кино\r\nпесня", ID3TE_UTF16, "\x01XXX\0\0"s + kBom + Utf16LE(u"Кино\r\nпесня")},
        {u8"🎵🎶 emoji", ID3TE_UTF16, "\x01XXX\0\0"s + kBom + Utf16LE(u"🎵🎶 emoji")},
        {u8"café", ID3TE_UTF16, "\x01XXX\0\0"s + kBom + Utf16LE(u"café")},  // never narrowed to a code page
    };
    for (const EncodingCase& c : cases) {
        ASSERT_TRUE(WriteFileBytes(song, audio + mp3::Id3v1()));
        ASSERT_EQ(Mp3Outcome::Saved, WriteLyricsIntoSong(song, c.utf8, kWestern).outcome) << c.utf8;
        const std::string bytes = ReadFileBytes(song);
        EXPECT_EQ(c.frameData, mp3::RawFrameData(song, "USLT")) << c.utf8;
        EXPECT_EQ(c.frameData, id3v2::EncodeLyricsFrame(c.utf8)) << c.utf8;  // what a 2.4 tag gets

        // id3lib reads what it wrote: one encoding for the frame and its fields.
        ParsedTag parsed(bytes);
        const ID3_Frame* frame = parsed.tag.Find(ID3FID_UNSYNCEDLYRICS);
        ASSERT_NE(nullptr, frame) << c.utf8;
        EXPECT_EQ(static_cast<uint32>(c.encoding), frame->GetField(ID3FN_TEXTENC)->Get());
        const ID3_Field& text = *frame->GetField(ID3FN_TEXT);
        EXPECT_EQ(c.encoding, text.GetEncoding());
        EXPECT_EQ(c.encoding, frame->GetField(ID3FN_DESCRIPTION)->GetEncoding());
        if (c.encoding == ID3TE_UTF16)
            EXPECT_EQ(fw::Utf8ToUtf16(c.utf8), Id3libUnicode(text)) << c.utf8;
        else
            EXPECT_STREQ(c.utf8.c_str(), text.GetRawText());

        TagText back;
        ASSERT_TRUE(ReadSongTagLyrics(song, kCyrillic, back));
        EXPECT_EQ(c.utf8, back.utf8);
    }
}

struct KeepCase {
    const char* name;
    std::string tag;  // "" for a song without one
    std::vector<std::string> keptFrames;  // raw frames that must come through unchanged
};

TEST_F(SongTags, WriteKeepsTheRestOfTheSongByteForByte) {
    const std::string tail = audio + mp3::Lyrics3V2(Lyrics3Field("IND", "10") + Lyrics3Field("LYR", "old\xE9")) +
                             mp3::Id3v1("Title \xE9");
    const std::string title3 = Id3Frame(3, "TIT2", "\0Old title"s);
    const std::string picture4 = Id3Frame(4, "APIC", "\0image/png\0\x03\0"s + std::string(300, '\x89'));
    const std::string title4 = Id3Frame(4, "TIT2", "\x03" + std::string(u8"Заголовок"));
    const std::string oldLyrics = Id3Frame(3, "USLT", UsltData(0, "\0"s, "old lyrics"));
    const KeepCase cases[] = {
        {"no ID3v2 tag", "", {}},
        {"2.3 tag", Id3Tag(3, title3 + oldLyrics, 500), {title3}},
        {"2.3 tag without padding", Id3Tag(3, oldLyrics + title3), {title3}},
        {"2.2 tag", Id3Tag(2, Id3Frame(2, "TT2", "\0Old title"s)), {title3}},
        {"2.4 tag", Id3Tag(4, title4 + Id3Frame(4, "USLT", UsltData(3, "\0"s, "old")) + picture4, 64),
         {title4, picture4}},
        {"2.4 tag with footer", Id3Tag(4, title4, 0, 0x10) + "3DI\x04\x00\x10"s + Syncsafe32(title4.size()),
         {title4}},
    };
    const std::string lyrics = u8"[00:01]новые\r\n[00:02]слова";
    for (const KeepCase& c : cases) {
        ASSERT_TRUE(WriteFileBytes(song, c.tag + tail));
        for (int save = 0; save < 2; ++save) {  // into the old tag, then into our own
            ASSERT_EQ(Mp3Outcome::Saved, WriteLyricsIntoSong(song, lyrics, kWestern).outcome) << c.name;
            const std::string bytes = ReadFileBytes(song);
            id3v2::TagHeader header;
            ASSERT_TRUE(id3v2::ParseTagHeader(bytes, header)) << c.name;
            ASSERT_LE(header.TotalSize(), bytes.size());
            EXPECT_TRUE(bytes.substr(header.TotalSize()) == tail) << c.name;
            const std::string tag = bytes.substr(0, header.TotalSize());
            for (const std::string& frame : c.keptFrames) EXPECT_TRUE(mp3::Contains(tag, frame)) << c.name;
            EXPECT_FALSE(mp3::Contains(tag, "old lyrics")) << c.name;
            TagText back;
            ASSERT_TRUE(ReadSongTagLyrics(song, kWestern, back));
            EXPECT_EQ(lyrics, back.utf8) << c.name;
        }
    }
}

TEST(Version24Rewrite, KeepsTheVersionAndFramesAndDropsWhatNoLongerHolds) {
    const std::string title = Id3Frame(4, "TIT2", "\x03title"s);
    const std::string data = id3v2::EncodeLyricsFrame(u8"ÿ歌");
    std::string out;

    // Extended header (its CRC would be wrong) and footer go; the frames stay.
    const std::string extended = Syncsafe32(6) + "\x01\x00"s;
    ASSERT_TRUE(id3v2::ReplaceLyricsFramesV24(Id3Tag(4, extended + title, 0, 0x50), data, out));
    EXPECT_EQ("ID3\x04\x00\x00"s, out.substr(0, 6));
    EXPECT_EQ(title + Id3Frame(4, "USLT", data), out.substr(10, title.size() + 10 + data.size()));
    EXPECT_EQ(0u, out.size() % 2048);

    // A tag marked unsynchronised gets an unsynchronised lyrics frame.
    ASSERT_TRUE(id3v2::ReplaceLyricsFramesV24(Id3Tag(4, title, 2000, 0x80), data, out));
    EXPECT_EQ('\x80', out[5]);
    EXPECT_TRUE(mp3::Contains(out, Id3Frame(4, "USLT", Unsync(data), 0x0002)));
    EXPECT_EQ(2026u, out.size());  // the old size, since the frames still fit it

    // Frames that cannot be walked are not dropped: nothing is written.
    EXPECT_FALSE(id3v2::ReplaceLyricsFramesV24(Id3Tag(4, title.substr(0, 12)), data, out));
    EXPECT_FALSE(id3v2::ReplaceLyricsFramesV24(Id3Tag(3, title), data, out));
}

// --- Wide paths ---------------------------------------------------------------

TEST_F(SongTags, SongsAreReachedByTheirWidePaths) {
    const std::string place = folder.MakeFolder(u8"Песни и 歌");
    const std::string wide = place + u8"Кино — 星の歌.mp3";
    ASSERT_TRUE(WriteFileBytes(wide, audio + mp3::Lyrics3V2(Lyrics3Field("LYR", "\xCF\xE5\xF1\xED\xFF")) +
                                         mp3::Id3v1()));
    TagText text;
    ASSERT_TRUE(ReadSongTagLyrics(wide, kCyrillic, text));
    EXPECT_EQ(u8"Песня", text.utf8);

    ASSERT_EQ(Mp3Outcome::Saved, WriteLyricsIntoSong(wide, u8"歌詞 и слова", kWestern).outcome);
    ASSERT_TRUE(ReadSongTagLyrics(wide, kWestern, text));
    EXPECT_EQ(u8"歌詞 и слова", text.utf8);
    EXPECT_FALSE(text.eightBit);
    EXPECT_FALSE(FileExists(wide + ".XXXXXX"));

    const std::string lrc = place + u8"Кино — 星の歌.lrc";
    ASSERT_EQ(0u, WriteFileSafely(lrc, u8"[00:01]歌"));
    EXPECT_EQ(u8"[00:01]歌", ReadFileBytes(lrc));
    EXPECT_FALSE(FileExists(lrc + ".tmp"));
}

}  // namespace
