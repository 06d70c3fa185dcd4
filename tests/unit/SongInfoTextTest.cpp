#include "lyrics/SongInfoText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* FakeGenre(int index) {
    if (index < 0 || index > 147) ADD_FAILURE() << "table index " << index;
    switch (index) {
        case 17: return "Rock";
        case 147: return "Synthpop";
        case 5: return nullptr;  // a gap in the table
        default: return "Other";
    }
}

// Host answers: field -> (host result, text); other fields answer 0.
class FakeHost : public SongInfoSource {
public:
    std::map<std::string, std::pair<bool, std::string>> info;
    std::vector<std::string> playlist;  // answer per wait; the last repeats
    std::vector<std::string> asked;
    int waits = 0;

    bool QueryExtendedInfo(const char* field, std::string& text) override {
        asked.push_back(field);
        const auto it = info.find(field);
        if (it == info.end()) return false;
        text = it->second.second;
        return it->second.first;
    }
    bool PlaylistTitle(std::string& title) override {
        if (playlist.empty()) return false;
        title = playlist[std::min<size_t>(waits, playlist.size() - 1)];
        return true;
    }
    bool WaitBeforeRetry() override {
        ++waits;
        return waitsAllowed;
    }
    bool waitsAllowed = true;

    void Set(const char* field, const std::string& text, bool ok = true) {
        info[field] = {ok, text};
    }
    bool Asked(const std::string& field) const {
        return std::find(asked.begin(), asked.end(), field) != asked.end();
    }
    SongInfo Build(bool show = true) {
        return BuildSongInfoLines(*this, kSong, show, FakeGenre);
    }
    static const std::string kSong;
};

const std::string FakeHost::kSong = "C:\\Music\\01 track.x.mp3";
const std::string kFileTitle = "01 track.x";

}  // namespace

TEST(SongInfo, FullTagsGiveAllLines) {
    FakeHost host;
    host.Set("Title", " Tune ");
    host.Set("Artist", "Band");
    host.Set("Album", "  Best Of ");
    host.Set("Track", " 5 ");
    host.Set("Year", "1999 ");
    host.Set("Genre", " (17)");
    const SongInfo info = host.Build();
    const std::vector<std::string> expected = {
        "\"Tune\" by \"Band\"", "from \"Best Of\" ( Track 5 ), 1999",
        "Genre: Rock", FakeHost::kSong, ""};
    EXPECT_EQ(expected, info.lines);
    EXPECT_EQ(3, info.fileNameLine);
    EXPECT_FALSE(host.Asked("Date"));
}

TEST(SongInfo, YearFallsBackToDateOnlyWhenRefused) {
    FakeHost refused;
    refused.Set("Album", "A");
    refused.Set("Year", "junk", false);
    refused.Set("Date", "2001");
    SongInfo info = refused.Build();
    EXPECT_EQ("from \"A\", 2001", info.lines.at(1));
    EXPECT_EQ(2, info.fileNameLine);

    FakeHost emptyYear;
    emptyYear.Set("Album", "A");
    emptyYear.Set("Track", "");
    emptyYear.Set("Year", "");
    emptyYear.Set("Date", "2001");
    EXPECT_EQ("from \"A\"", emptyYear.Build().lines.at(1));
    EXPECT_FALSE(emptyYear.Asked("Date"));

    FakeHost noAlbum;  // text with a zero host result does not count
    noAlbum.Set("Album", "A", false);
    EXPECT_EQ(3u, noAlbum.Build().lines.size());
}

TEST(SongInfo, PlaylistTitleSplitsAtFirstSeparator) {
    FakeHost host;
    host.Set("Title", "");  // accepted but empty: no title
    host.Set("Artist", "Tagged");
    host.playlist = {" Artist - Song - Live "};
    const SongInfo info = host.Build();
    EXPECT_EQ("\"Song - Live\" by \"Artist\"", info.lines.at(0));

    FakeHost whole;
    whole.playlist = {"  Just a name "};
    EXPECT_EQ("Just a name", whole.Build().title);
}

TEST(SongInfo, WaitsWhileOpeningButNotForever) {
    FakeHost host;
    host.playlist = {"[Opening] http://x", "[Opening] http://x", "A - B"};
    EXPECT_EQ("B", host.Build().title);
    EXPECT_EQ(2, host.waits);

    FakeHost stuck;
    stuck.playlist = {"[Opening] http://x"};
    EXPECT_EQ(kFileTitle, stuck.Build().title);
    EXPECT_EQ(kOpeningRetries, stuck.waits);
    EXPECT_FALSE(stuck.Build().titleOpening);  // given up: the file name stays
}

// A caller that will not wait now gets the file name and a note to ask again.
TEST(SongInfo, WithoutWaitingTheOpeningTitleIsLeftForLater) {
    FakeHost host;
    host.waitsAllowed = false;
    host.playlist = {"[Opening] http://x", "A - B"};
    const SongInfo info = host.Build();
    EXPECT_EQ(kFileTitle, info.title);
    EXPECT_TRUE(info.titleOpening);
    EXPECT_EQ(1, host.waits);
    EXPECT_TRUE(IsOpeningTitle("[Opening] x"));
    EXPECT_FALSE(IsOpeningTitle("A - B"));
}

TEST(SongInfo, UnknownSongFallsBackToFileName) {
    FakeHost host;
    const SongInfo info = host.Build();
    const std::vector<std::string> expected = {
        "\"01 track.x\" by \"(Artist unavailable)\"", FakeHost::kSong, ""};
    EXPECT_EQ(expected, info.lines);
    EXPECT_EQ(1, info.fileNameLine);
}

TEST(SongInfo, TrackTitleWithoutArtistBecomesFileName) {
    FakeHost none;
    none.Set("Title", "Track 05");
    EXPECT_EQ(kFileTitle, none.Build().title);

    FakeHost noArtist;
    noArtist.Set("Title", "TRACK 05");
    noArtist.Set("Artist", "no artist");
    SongInfo info = noArtist.Build();
    EXPECT_EQ(kFileTitle, info.title);
    EXPECT_EQ(kArtistUnavailable, info.artist);

    FakeHost otherCase;  // "no artist" is compared exactly
    otherCase.Set("Title", "Track 05");
    otherCase.Set("Artist", "No Artist");
    info = otherCase.Build();
    EXPECT_EQ("Track 05", info.title);
    EXPECT_EQ("No Artist", info.artist);
}

TEST(SongInfo, SongInfoOffStillGivesTitleAndArtist) {
    FakeHost host;
    host.Set("Album", "A");
    host.playlist = {"Band - Tune"};
    const SongInfo info = host.Build(false);
    EXPECT_TRUE(info.lines.empty());
    EXPECT_EQ("Tune", info.title);
    EXPECT_EQ("Band", info.artist);
}

TEST(SongInfo, LongTitleAndArtistAreCut) {
    FakeHost host;
    host.Set("Title", std::string(600, 't'));
    host.Set("Artist", std::string(512, 'a'));
    SongInfo info = host.Build();
    EXPECT_EQ(std::string(kSongFieldChars, 't'), info.title);
    EXPECT_EQ(std::string(kSongFieldChars, 'a'), info.artist);

    FakeHost fromPlaylist;
    fromPlaylist.playlist = {std::string(700, 'x') + " - y"};
    EXPECT_EQ(std::string(kSongFieldChars, 'x'), fromPlaylist.Build().artist);
}

TEST(GenreName, NumbersIndexTheTable) {
    EXPECT_EQ("Rock", GenreName("(17)", FakeGenre));
    EXPECT_EQ("Rock", GenreName("0017 extra", FakeGenre));
    EXPECT_EQ("Synthpop", GenreName("(255)", FakeGenre));
    EXPECT_EQ("Synthpop", GenreName("99999999999999999999", FakeGenre));
    EXPECT_EQ("Blues", GenreName("(0)", FakeGenre));
    EXPECT_EQ("5", GenreName("(5)", FakeGenre));  // no name in the table
    EXPECT_EQ("17", GenreName("17", nullptr));
}

TEST(GenreName, SpecialCodesAndPlainText) {
    EXPECT_EQ("Cover", GenreName("cr", FakeGenre));
    EXPECT_EQ("Remix", GenreName("(Rx)", FakeGenre));
    EXPECT_EQ("Psychedelic", GenreName("Psychedelic", FakeGenre));
    EXPECT_EQ("-5", GenreName("-5", FakeGenre));
    EXPECT_EQ("00", GenreName("00", FakeGenre));
    EXPECT_EQ("", GenreName("(", FakeGenre));
}

TEST(TrimmedCopy, StripsOuterWhiteSpaceOnly) {
    EXPECT_EQ("a  b", TrimmedCopy(" \t a  b \r\n"));
    EXPECT_EQ("", TrimmedCopy("   "));
}
