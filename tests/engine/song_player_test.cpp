#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/song_clock.h"
#include "engine/song_decoder.h"
#include "engine/song_player.h"
#include "tests/engine/test_files.h"
#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;

// SDL's disk driver writes what the device would play into a file, in real
// time, so the test hears exactly what a listener would.
class SongPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.string().c_str(), 1);
        song = encodeSineSong(440.0, 0.5, 4.0);
    }
    void TearDown() override {
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
    }
    // What the device played, as stereo float frames.
    std::vector<float> played() const {
        const std::string bytes = readFile(output);
        std::vector<float> samples(bytes.size() / sizeof(float));
        std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(float));
        return samples;
    }
    ScratchFolder folder{"player"};
    const fs::path output = folder / "heard.raw";
    std::vector<std::uint8_t> song;
};

namespace {

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Waits until the clock reads at least `ms`; gives up after five seconds.
void waitUntil(SongClock& clock, int ms) {
    for (int i = 0; i < 500 && clock.now() < ms; ++i) sleepMs(10);
    ASSERT_GE(clock.now(), ms) << "the device clock stopped";
}

// The song parts of what the device played: stereo frames between runs of
// silence (a pause, or before the start).
std::vector<std::vector<float>> soundBetweenSilences(const std::vector<float>& played) {
    constexpr std::size_t kSilentFrames = 256;
    std::vector<std::vector<float>> parts;
    std::size_t silentRun = kSilentFrames;
    for (std::size_t frame = 0; frame + 1 < played.size(); frame += 2) {
        const bool silent = played[frame] == 0.0f && played[frame + 1] == 0.0f;
        if (silent) {
            ++silentRun;
            continue;
        }
        if (silentRun >= kSilentFrames) parts.emplace_back();
        silentRun = 0;
        parts.back().insert(parts.back().end(), played.begin() + frame, played.begin() + frame + 2);
    }
    return parts;
}

std::vector<float> decodeFrom(const std::vector<std::uint8_t>& song, std::int64_t frame, long frames) {
    SongDecoder decoder;
    std::string error;
    EXPECT_TRUE(decoder.open(&song, error)) << error;
    decoder.seek(frame);
    std::vector<float> out(static_cast<std::size_t>(frames) * 2);
    out.resize(static_cast<std::size_t>(decoder.readStereo(out.data(), frames)) * 2);
    return out;
}

}  // namespace

TEST_F(SongPlayerTest, TheDeviceHearsTheSongAcrossPausesAndSeeksAndTheClockFollowsIt) {
    // Not a whole number of frames: the seek still lands on this millisecond.
    constexpr int kSeekMs = 2501;
    SongDecoder playing;
    std::string error;
    ASSERT_TRUE(playing.open(&song, error)) << error;
    int firstPause = 0;
    {
        SongPlayer player;
        ASSERT_TRUE(player.openDevice(&playing, error)) << error;
        SongClock clock;
        clock.useAudio(&player);
        const auto started = std::chrono::steady_clock::now();
        clock.start();
        // Smooth between the device's callbacks (one per 23 ms), not in
        // steps; never back, and never ahead of the time that passed (a busy
        // machine stretches the loop).
        std::int64_t heard = 0;
        int moves = 0;
        for (int i = 0; i < 150; ++i) {
            sleepMs(2);
            const std::int64_t now = player.heardFrames();
            ASSERT_GE(now, heard);
            moves += now > heard;
            heard = now;
        }
        EXPECT_GT(moves, 90);
        const auto passedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now() - started).count();
        EXPECT_LE(heard, 44100 * (passedMs + 50) / 1000);
        waitUntil(clock, 300);

        clock.setPaused(true);
        const int pressed = clock.now();
        sleepMs(200);  // the device plays out what it holds, then falls silent
        firstPause = clock.now();
        EXPECT_GE(firstPause, pressed);
        sleepMs(100);
        EXPECT_EQ(clock.now(), firstPause) << "time passed while paused";
        clock.setPaused(false);
        EXPECT_EQ(clock.now(), firstPause) << "resuming moved the clock";
        waitUntil(clock, firstPause + 200);

        clock.seekTo(kSeekMs);
        EXPECT_GE(clock.now(), kSeekMs);
        EXPECT_LT(clock.now(), kSeekMs + 50);
        waitUntil(clock, kSeekMs + 300);

        clock.setPaused(true);
        sleepMs(200);
        const int secondPause = clock.now();
        sleepMs(100);
        EXPECT_EQ(clock.now(), secondPause);
        clock.setPaused(false);
        waitUntil(clock, secondPause + 100);

        // Far seeks count frames in 64 bits (60 s is past 2^31 frames / 1000).
        clock.seekTo(60000);
        EXPECT_GE(clock.now(), 60000);
        player.close();
    }

    const auto parts = soundBetweenSilences(played());
    ASSERT_EQ(parts.size(), 3u) << "the start and two pauses";
    // The clock stopped at the last frame heard before the first pause.
    EXPECT_NEAR(static_cast<double>(parts[0].size() / 2) * 1000.0 / 44100.0, firstPause, 1.0);

    // Joined up, the parts are the song from its start to the seek, then
    // from the seek on: no frame twice, none left out.
    std::vector<float> heard;
    for (const auto& part : parts) heard.insert(heard.end(), part.begin(), part.end());
    const auto fromStart = decodeFrom(song, 0, static_cast<long>(heard.size() / 2));
    const auto split = std::mismatch(heard.begin(), heard.end(), fromStart.begin(), fromStart.end());
    const std::size_t beforeSeek = static_cast<std::size_t>(split.first - heard.begin());
    EXPECT_GT(beforeSeek, parts[0].size() + 2 * 44100 / 10) << "the first pause broke the song";
    const std::vector<float> afterSeek(heard.begin() + static_cast<std::ptrdiff_t>(beforeSeek), heard.end());
    EXPECT_GT(afterSeek.size(), 2u * 44100 / 10);
    const auto fromSeek = decodeFrom(song, (44100LL * kSeekMs + 999) / 1000, static_cast<long>(afterSeek.size() / 2));
    ASSERT_EQ(fromSeek.size(), afterSeek.size());
    const auto wrong = std::mismatch(afterSeek.begin(), afterSeek.end(), fromSeek.begin());
    EXPECT_EQ(wrong.first, afterSeek.end())
        << "after the seek, frame " << (wrong.first - afterSeek.begin()) / 2 << " is not the song's";
}
