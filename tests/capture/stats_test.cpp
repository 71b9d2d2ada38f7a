#include "tools/capture/stats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <regex>
#include <tuple>
#include <vector>

#include "tools/capture/stats_report.h"
#include "tools/capture/thread_clock.h"

namespace {

TEST(CaptureStats, PercentilesUseTheNearestRank) {
    std::vector<double> hundred;
    for (int i = 100; i >= 1; --i) hundred.push_back(i);
    EXPECT_EQ(percentile(hundred, 50), 50.0);
    EXPECT_EQ(percentile(hundred, 99), 99.0);
    EXPECT_EQ(percentile(hundred, 100), 100.0);
    EXPECT_EQ(percentile({7.0, 1.0, 3.0, 5.0}, 50), 3.0);  // lower middle
    EXPECT_EQ(percentile({7.0, 1.0, 3.0, 5.0}, 99), 7.0);
    EXPECT_EQ(percentile({4.0}, 99), 4.0);
    // A second of frames at 60 a second: the 99th of 61 is rank 60.39, taken up.
    std::vector<double> second(61);
    std::iota(second.begin(), second.end(), 1.0);
    EXPECT_EQ(percentile(second, 99), 61.0);
    EXPECT_EQ(percentile({}, 50), 0.0);
}

FrameMeasure withEnergy(float energy) {
    FrameMeasure m;
    m.energy = energy;
    return m;
}

TEST(CaptureStats, BeatsCountOnlyEnergiesStrictlyAboveEachThreshold) {
    StatsCollector collector(1);
    for (float e : {0.0f, 0.3f, 0.31f, 0.5f, 0.65f, 0.7f, 0.75f, 0.76f, 0.95f, 3.25f})
        collector.add(0, withEnergy(e));
    const std::vector<BlockStats> stats = collector.summarize();
    ASSERT_EQ(stats.size(), 1u);
    EXPECT_EQ(stats[0].frames, 10);
    // over 0.3: 0.31 0.5 0.65 0.7 0.75 0.76 0.95 3.25; over 0.95: 3.25 only.
    EXPECT_EQ(stats[0].beats, (std::array<int, 5>{8, 6, 5, 3, 1}));
}

TEST(CaptureStats, TheWholeFrameAddsEffectsAndDitherOfTheSameFrame) {
    // The slowest effects and the slowest dither fall on different frames:
    // no frame took 90 + 9 us, so the whole frame's worst is 90 + 1.
    StatsCollector collector(1);
    for (int i = 0; i < 10; ++i) {
        FrameMeasure m;
        m.effectsMicros = i == 3 ? 90.0 : 10.0;
        m.ditherMicros = i == 7 ? 9.0 : 1.0;
        collector.add(0, m);
    }
    const BlockStats stats = collector.summarize().at(0);
    EXPECT_EQ(stats.effects.p99 + stats.dither.p99, 99.0);
    EXPECT_EQ(stats.wholeFrame.p99, 91.0);
    EXPECT_EQ(stats.wholeFrame.median, 11.0);
}

TEST(CaptureStats, TheFrameClockResolvesAFractionOfAMillisecond) {
    // A frame costs well under a millisecond: a clock that moves in
    // scheduler ticks would report most frames as free.
    double finest = 1e9;
    for (int i = 0; i < 5; ++i) {
        const double begin = threadMicros();
        double now = begin;
        while (now == begin) now = threadMicros();
        ASSERT_GT(now, begin);
        finest = std::min(finest, now - begin);
    }
    EXPECT_LT(finest, 100.0);
}

FrameMeasure withPicture(double frameLuminance, double structure) {
    FrameMeasure m;
    m.frameLuminance = frameLuminance;
    m.structure = structure;
    return m;
}

TEST(CaptureStats, BlackShareAndStructureKeptPerBlock) {
    const double flat = std::numeric_limits<double>::quiet_NaN();
    StatsCollector collector(2);
    // Block 0: two black frames of four (one just under the line, one on it);
    // structure averaged over the frames that had any.
    collector.add(0, withPicture(0.0, flat));
    collector.add(0, withPicture(5.9, 0.2));
    collector.add(0, withPicture(6.0, 0.9));
    collector.add(0, withPicture(140.0, flat));
    // Block 1: nothing but flat frames has no structure figure.
    collector.add(1, withPicture(128.0, flat));
    const std::vector<BlockStats> stats = collector.summarize();
    ASSERT_EQ(stats.size(), 2u);
    EXPECT_DOUBLE_EQ(stats[0].blackShare, 0.5);
    EXPECT_DOUBLE_EQ(stats[0].structure, 0.55);
    EXPECT_EQ(stats[0].structureFrames, 2);
    EXPECT_DOUBLE_EQ(stats[1].blackShare, 0.0);
    EXPECT_TRUE(std::isnan(stats[1].structure));
    EXPECT_EQ(stats[1].structureFrames, 0);
}

FrameMeasure withFlashes(int ms, int general, int red) {
    FrameMeasure m;
    m.ms = ms;
    m.flashes = {general, red};
    m.terminalBytes = ms % 3 == 0 ? -1 : ms;  // some frames sent nothing
    return m;
}

TEST(CaptureStats, FailingSecondsAreWholeSecondsOfTheSongAndTheWorstIsTheFirstOfTheMost) {
    StatsCollector collector(1);
    // Seconds 4 and 6 fail (twice within 4, once by red), 5 only comes close.
    for (const auto& [ms, general, red] : std::vector<std::tuple<int, int, int>>{
             {4000, 7, 0}, {4500, 9, 0}, {4999, 2, 8}, {5000, 6, 6}, {6001, 9, 0}, {7000, 1, 0}})
        collector.add(0, withFlashes(ms, general, red));
    const BlockStats stats = collector.summarize().at(0);
    EXPECT_EQ(stats.flashes.failingSeconds, (std::vector<int>{4, 6}));
    EXPECT_EQ(std::pair(stats.flashes.mostGeneral, stats.flashes.mostGeneralMs), std::pair(9, 4500));
    EXPECT_EQ(std::pair(stats.flashes.mostRed, stats.flashes.mostRedMs), std::pair(8, 4999));
    // Bytes over the frames that sent any: all but 4500.
    EXPECT_EQ(stats.bytesFrames, 5);
    EXPECT_EQ(stats.bytes.median, 5000.0);
}

TEST(CaptureStatsReport, TableCsvAndJsonCarryTheSameFigures) {
    StatsReport report;
    // Names with a comma, quotes and a backslash: quoted in CSV, escaped in JSON.
    report.rows = {{0, 1000, 10, "Alku \"2\""}, {0, 1000, 1, "Noise, loud\\"}};
    report.blocks = {{0, 1000, 0, {0, 1}}};
    BlockStats s;
    s.block = 0;
    s.frames = 61;
    s.frameLuminance = 12.345;
    s.characterLuminance = 6.5;
    s.beats = {61, 30, 2, 1, 0};
    s.effects = {1234.7, 2000.0};
    s.dither = {800.0, 950.25};
    s.wholeFrame = {2100.0, 2900.75};
    s.blackShare = 0.125;
    s.structure = 0.8124;
    s.structureFrames = 60;
    s.bytes = {30123.0, 61000.0};
    s.bytesFrames = 61;
    s.pictureError = 0.10456;
    s.flashes = {{125, 126, 127, 130}, 9, 125500, 2, 126000};
    BlockStats outside;
    outside.frames = 1;
    report.stats = {s, outside};
    report.frames = 62;
    report.positions = "0-1000 ms at 60 fps";

    const std::string csv = statsCsv(report);
    EXPECT_NE(csv.find("start,end,scene,frames,framebuffer_luminance,character_luminance,"
                       "over_0.3,over_0.5,over_0.65,over_0.75,over_0.95,"),
              std::string::npos);
    EXPECT_NE(csv.find(",black_share,structure_kept,bytes_median,bytes_p99,picture_error,"
                       "flash_failing_seconds,flash_failing_spans,most_general_flashes,"
                       "most_general_at_ms,most_red_flashes,most_red_at_ms\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\n0,1000,\"Alku \"\"2\"\"\",61,12.35,6.50,61,30,2,1,0,1234.7,2000.0,800.0,950.2,"
                       "2100.0,2900.8,0.1250,0.812,30123,61000,0.1046,4,\"2:05-2:08, 2:10\",4.5,125500,1.0,"
                       "126000\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\n,,(no effect),1,"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",0.0000,,,,,0,,0.0,-1,0.0,-1\n"), std::string::npos)
        << "no structure, bytes or error: empty fields\n" << csv;

    const std::string json = statsJson(report);
    EXPECT_NE(json.find(R"("effects": ["Alku \"2\"", "Noise, loud\\"])"), std::string::npos) << json;
    EXPECT_NE(json.find("\"frames_over_threshold\": {\"0.3\": 61, \"0.5\": 30, \"0.65\": 2, "
                        "\"0.75\": 1, \"0.95\": 0}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"start\": null"), std::string::npos);
    EXPECT_NE(json.find("\"picture\": {\"black_share\": 0.1250, \"structure_kept\": 0.812, "
                        "\"structure_frames\": 60}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"structure_kept\": null"), std::string::npos) << json;
    EXPECT_NE(json.find("\"terminal_bytes\": {\"median\": 30123, \"p99\": 61000}, "
                        "\"picture_error\": 0.1046, \"flashes\": {\"failing_seconds\": 4, "
                        "\"failing_spans\": \"2:05-2:08, 2:10\", "
                        "\"most_general\": 4.5, \"most_general_at_ms\": 125500, \"most_red\": 1.0, "
                        "\"most_red_at_ms\": 126000}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"terminal_bytes\": null, \"picture_error\": null"), std::string::npos);

    const std::string table = statsTable(report);
    EXPECT_NE(table.find("0-1000"), std::string::npos);
    EXPECT_NE(table.find("1235"), std::string::npos);  // microseconds, rounded
    EXPECT_NE(table.find("62 frames"), std::string::npos);
    EXPECT_TRUE(std::regex_search(
        table, std::regex(R"(950 +2901 +12\.5 +0\.812 +30123 +0\.1046 +4 +4\.5 +1\.0\n)")))
        << table;
    // The seconds a warning must name: a span runs to the end of its last.
    EXPECT_NE(table.find("  Alku \"2\" 2:05-2:08, 2:10: 4 failing seconds, at most 4.5 flashes a "
                         "second (1.0 red)\n"),
              std::string::npos)
        << table;
}

}  // namespace
