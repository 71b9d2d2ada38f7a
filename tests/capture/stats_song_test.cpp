// The song section of the statistics, on a song made for the test: a tone
// that turns into noise at 8 s, so the answer is known.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/support/scratch_folder.h"
#include "tools/capture/stats_report.h"
#include "tools/capture/stats_song.h"
#include "tools/gen/song/song_ogg.h"
#include "tools/gen/song/song_random.h"

namespace {

// Written into `folder`; returns its path.
std::string writeTestSong(const ScratchFolder& folder) {
    SongAudio audio;
    SongRandom random(5);
    for (long i = 0; i < 16L * 44100; ++i) {
        const float value = i < 8L * 44100 ? 0.3f * static_cast<float>(std::sin(6.283185307179586 * 220.0 * i / 44100))
                                           : 0.1f * random.bipolar();
        audio.left.push_back(value);
        audio.right.push_back(value);
    }
    std::vector<unsigned char> bytes;
    std::string error;
    EXPECT_TRUE(encodeOgg(audio, 0.4f, bytes, error)) << error;
    writeFile(folder / "kelmuth.ogg", bytes);
    return (folder / "kelmuth.ogg").string();
}

TEST(CaptureSongFigures, FindTheChangeAndReportItOrSayWhyNot) {
    const ScratchFolder folder("song-figures");
    StatsReport report;
    report.song = measureSongFigures(writeTestSong(folder), {8000, 12000});
    const SongFigures& song = report.song;
    ASSERT_TRUE(song.measured) << song.problem;
    EXPECT_LT(song.truePeakDbtp, 0.0);
    EXPECT_LT(song.integratedLufs, -5.0);
    EXPECT_GT(song.integratedLufs, -30.0);
    ASSERT_EQ(song.peaks.size(), 1u);
    EXPECT_NEAR(song.peaks[0].seconds, 8.0, 0.1);
    ASSERT_EQ(song.boundaries.size(), 2u);
    EXPECT_TRUE(song.boundaries[0].within());
    EXPECT_FALSE(song.boundaries[1].within()) << "nothing changes at 12 s";
    // The figures go into all three forms of the report.
    const std::string json = statsJson(report);
    EXPECT_NE(json.find("{\"at_s\": 12.000, \"nearest_peak_s\": 8."), std::string::npos) << json;
    EXPECT_NE(statsCsv(report).find("\n\nsong_figure,value\n"), std::string::npos);
    EXPECT_NE(statsTable(report).find("1 of 2 scene changes"), std::string::npos);

    report.song = measureSongFigures("/nonexistent-vg/kelmuth.ogg", {1000});
    EXPECT_FALSE(song.measured);
    EXPECT_FALSE(song.problem.empty());
    EXPECT_NE(statsJson(report).find("\"song\": null"), std::string::npos);
    EXPECT_NE(statsTable(report).find("not measured"), std::string::npos);
}

}  // namespace
