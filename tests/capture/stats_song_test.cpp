// The song section of the statistics, on a song made for the test: a tone
// that turns into noise at 8 s, so the answer is known.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/capture/stats_report.h"
#include "tools/capture/stats_song.h"
#include "tools/gen/song/song_ogg.h"
#include "tools/gen/song/song_random.h"

namespace {

std::string writeTestSong() {
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
    const std::string path = (std::filesystem::path(::testing::TempDir()) /
                              ("vg-song-figures-" + std::to_string(getpid()) + ".ogg"))
                                 .string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
    return path;
}

TEST(CaptureSongFigures, FindTheChangeAndReportIt) {
    const std::string path = writeTestSong();
    const SongFigures song = measureSongFigures(path, {8000, 12000});
    std::filesystem::remove(path);
    ASSERT_TRUE(song.measured) << song.problem;
    EXPECT_LT(song.truePeakDbtp, 0.0);
    EXPECT_LT(song.integratedLufs, -5.0);
    EXPECT_GT(song.integratedLufs, -30.0);
    ASSERT_EQ(song.peaks.size(), 1u);
    EXPECT_NEAR(song.peaks[0].seconds, 8.0, 0.1);
    ASSERT_EQ(song.boundaries.size(), 2u);
    EXPECT_TRUE(song.boundaries[0].within());
    EXPECT_FALSE(song.boundaries[1].within()) << "nothing changes at 12 s";

    const std::string json = songJson(song);
    EXPECT_NE(json.find("\"within_tolerance\": true"), std::string::npos) << json;
    EXPECT_NE(json.find("{\"at_s\": 12.000, \"nearest_peak_s\": 8."), std::string::npos) << json;
    const std::string csv = songCsv(song);
    EXPECT_EQ(csv.rfind("song_figure,value\n", 0), 0u) << csv;
    EXPECT_NE(csv.find("\nnearest_peak_to_8.000_s,8."), std::string::npos) << csv;
    const std::string table = songTable(song);
    EXPECT_NE(table.find("1 of 2 scene changes"), std::string::npos) << table;

    // The figures go into all three forms of the report.
    StatsReport report;
    report.song = song;
    EXPECT_NE(statsJson(report).find("\"song\": {\"integrated_lufs\": "), std::string::npos);
    EXPECT_NE(statsCsv(report).find("\n\nsong_figure,value\n"), std::string::npos);
    EXPECT_NE(statsTable(report).find("Song: "), std::string::npos);
}

TEST(CaptureSongFigures, NoSongGivesAReasonNotFigures) {
    const SongFigures song = measureSongFigures("/nonexistent-vg/kelmuth.ogg", {1000});
    EXPECT_FALSE(song.measured);
    EXPECT_FALSE(song.problem.empty());
    EXPECT_EQ(songJson(song), "null");
    EXPECT_EQ(songCsv(song), "");
    EXPECT_NE(songTable(song).find("not measured"), std::string::npos);
    StatsReport report;
    report.song = song;
    EXPECT_NE(statsJson(report).find("\"song\": null"), std::string::npos);
}

}  // namespace
