// Reading the song's score and turning it into notes.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "tools/gen/song/song_arrangement.h"
#include "tools/gen/song/song_score.h"

namespace {

const std::string kHeader =
    "song length=10 fade=9 tempo=120 seed=123456789012345679\n"
    "instrument drum kick level=0.5\n"
    "instrument keys pluck decay=0.2\n";

SongScore parsed(const std::string& text) {
    SongScore score;
    std::string error;
    EXPECT_TRUE(parseScore(text, score, error)) << error;
    return score;
}

std::string errorOf(const std::string& text) {
    SongScore score;
    std::string error;
    EXPECT_FALSE(parseScore(text, score, error)) << "accepted:\n" << text;
    return error;
}

TEST(SongNoteNames, MapToMidiNumbers) {
    for (auto [name, midi] : {std::pair{"a4", 69}, {"c4", 60}, {"c#3", 49}, {"eb2", 39}, {"b3", 59}, {"bb3", 58},
                              {"c0", 12}, {"d5", 74}, {"f4", 65}, {"g2", 43}})
        EXPECT_EQ(parseNoteName(name), midi) << name;
    for (const char* bad : {"h3", "c9", "c", "a", "c#", "4", "c44", "A4", ""}) EXPECT_EQ(parseNoteName(bad), -1) << bad;
}

TEST(SongScoreParser, ReadsSettingsPatternsAndSections) {
    const SongScore score = parsed(kHeader +
                                   "pattern beat 4 X . o .   # a comment\n"
                                   "  | x - . .\n"
                                   "pattern tune 2 c#4+e4! - . a3?\n"
                                   "section one 0 8\n"
                                   "  play drum beat from 2 to -1 gain 0.5\n"
                                   "  play keys tune transpose 12\n"
                                   "  ramp keys decay 0.1 0.3\n"
                                   "reverb room=0.5\n");
    // A seed must not collapse into the nearest float with its neighbours.
    EXPECT_EQ(std::tuple(score.tempo, score.lengthSeconds, score.fadeStartSeconds, score.seed),
              std::tuple(120.0, 10.0, 9.0, 123456789012345679u));
    ASSERT_EQ(score.instruments.size(), 2u);
    EXPECT_FLOAT_EQ(score.instruments[0].params.at("level"), 0.5f);
    EXPECT_FLOAT_EQ(score.instruments[0].params.at("drive"), 1.5f) << "defaults fill unnamed settings";
    EXPECT_FLOAT_EQ(score.reverb.at("room"), 0.5f);

    const SongPattern* beat = score.findPattern("beat");
    ASSERT_NE(beat, nullptr);
    ASSERT_EQ(beat->steps.size(), 8u) << "the '|' line continues the pattern and the comment is dropped";
    EXPECT_FLOAT_EQ(beat->steps[0].velocity, 1.0f);
    EXPECT_FLOAT_EQ(beat->steps[2].velocity, 0.45f);
    EXPECT_EQ(beat->steps[5].kind, SongStep::Kind::Hold);
    const SongPattern* tune = score.findPattern("tune");
    ASSERT_NE(tune, nullptr);
    EXPECT_EQ(tune->steps[0].notes, (std::vector<int>{61, 64})) << "'#' inside a note is not a comment";
    EXPECT_FLOAT_EQ(tune->steps[0].velocity, 1.0f);
    EXPECT_FLOAT_EQ(tune->steps[3].velocity, 0.45f);

    ASSERT_EQ(score.sections.size(), 1u);
    ASSERT_EQ(score.sections[0].plays.size(), 2u);
    EXPECT_EQ(score.sections[0].plays[0].toBeat, -1.0);
    EXPECT_EQ(score.sections[0].plays[1].transpose, 12);
}

TEST(SongScoreParser, RejectsMistakesWithTheirLine) {
    const std::string section = "section s 0 4\n";
    const std::string pattern = "pattern p 4 x . . .\n";
    const std::pair<std::string, std::string> cases[] = {  // score, message
        {kHeader + "instrument z kazoo\n", "line 4: unknown instrument kind 'kazoo'"},
        {kHeader + "instrument z kick decy=3\n", "line 4: instrument kind 'kick' has no setting 'decy'"},
        {kHeader + "instrument drum hat\n", "line 4: instrument 'drum' defined twice"},
        {kHeader + "pattern p 4 x h4\n", "line 4: 'h4' is not a step"},
        {kHeader + "pattern p 4 - x\n", "line 4: a pattern cannot start with a hold"},
        {kHeader + "pattern p 0 x\n", "line 4: steps per beat must be a whole number"},
        {kHeader + pattern + section + "play drum q\n", "line 6: unknown pattern 'q'"},
        {kHeader + pattern + section + "play drums p\n", "line 6: unknown instrument 'drums'"},
        {kHeader + pattern + section + "play drum p from 2 to 1\n", "line 6: play range lies outside its section"},
        {kHeader + pattern + section + "play drum p to 5\n", "line 6: play range lies outside its section"},
        {kHeader + pattern + section + "play keys p\n", "line 6: pattern 'p' has hits without notes for 'keys'"},
        {kHeader + pattern + section + "play drum p speed 2\n", "line 6: play has no option 'speed'"},
        {kHeader + pattern + "play drum p\n", "line 5: play outside a section"},
        {kHeader + section + "ramp drum colour 0 1\n", "line 5: instrument 'drum' has no setting 'colour'"},
        {kHeader + "section s 4 4\n", "line 4: a section must end after it starts"},
        {kHeader + "  | x x\n", "line 4: pattern steps without a pattern"},
        {kHeader + "master loudness=loud\n", "line 4: 'loud' is not a number"},
        {kHeader + "tempo 120\n", "line 4: unknown keyword 'tempo'"},
        {kHeader + "instrument z kick decay=nan\n", "line 4: 'nan' is not a number"},
        {kHeader + pattern + section + "play drum p transpose 1e300\n", "line 6: transpose must lie within"},
        {kHeader + "section s 20 30\n", "line 4: section lies beyond the song's end"},
        {"section s 0 4\n", "line 1: the 'song' line must come before the sections"},
        {"instrument drum kick\n", "the score has no 'song length=...' line"},
        {"song length=10 fade=11\n", "line 1: fade must lie within the length"},
        {"song length=10 seed=-3\n", "line 1: seed must be a whole number"},
        {"song length=10 seed=1.5\n", "line 1: seed must be a whole number"},
    };
    for (const auto& [text, expected] : cases) {
        const std::string error = errorOf(text);
        EXPECT_NE(error.find(expected), std::string::npos) << "got: " << error << "\nwanted: " << expected;
    }
}

TEST(SongArrangement, LoopsPatternsAndHoldsNotes) {
    // A beat is 0.5 s at 120 BPM and a step a quarter of it.
    const SongScore score = parsed(kHeader +
                                   "pattern tune 4 a4 - . c5\n"
                                   "section s 2 4\n"
                                   "  play keys tune\n");
    const std::vector<SongNote> notes = arrangeNotes(score, "keys");
    using Timing = std::vector<std::tuple<double, double, int>>;  // start, gate, pitch
    Timing timing;
    for (const SongNote& note : notes) timing.emplace_back(note.startSeconds, note.gateSeconds, note.note);
    EXPECT_EQ(timing, (Timing{{1.0, 0.25, 69}, {1.375, 0.125, 72}, {1.5, 0.25, 69}, {1.875, 0.125, 72}}));
}

TEST(SongArrangement, CountsNegativeOrZeroBeatsFromTheEndCutsAtTheRangeEndAndTransposes) {
    const SongScore score = parsed(kHeader +
                                   "pattern long 1 x - - -\n"
                                   "pattern low 1 c4 - - -\n"
                                   "section s 0 8\n"
                                   "  play drum long from -2\n"
                                   "  play keys low to 0 transpose -12\n");
    const std::vector<SongNote> notes = arrangeNotes(score, "drum");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(std::pair(notes[0].startSeconds, notes[0].gateSeconds), std::pair(3.0, 1.0))
        << "the hold is cut where the play ends";
    // "to 0" plays to the section's end.
    const std::vector<SongNote> low = arrangeNotes(score, "keys");
    ASSERT_EQ(low.size(), 2u);
    EXPECT_EQ(std::pair(low[1].note, low[1].startSeconds), std::pair(48, 2.0));
}

TEST(SongArrangement, RampsSettingsAcrossTheSection) {
    const SongScore score = parsed(kHeader +
                                   "pattern tick 1 c4\n"
                                   "section s 0 4\n"
                                   "  play keys tick gain 0.5\n"
                                   "  ramp keys decay 0.1 0.5\n"
                                   "  ramp keys level 1 0\n");
    const std::vector<SongNote> notes = arrangeNotes(score, "keys");
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_FLOAT_EQ(notes[0].params.at("decay"), 0.1f);
    EXPECT_FLOAT_EQ(notes[2].params.at("decay"), 0.3f);
    EXPECT_FLOAT_EQ(notes[0].velocity, 0.4f);
    const std::vector<SongLevelRamp> levels = arrangeLevels(score, "keys");
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_DOUBLE_EQ(levels[0].endSeconds, 2.0);
    EXPECT_TRUE(arrangeLevels(score, "drum").empty());
}

}  // namespace
