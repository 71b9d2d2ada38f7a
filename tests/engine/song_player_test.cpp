#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "engine/song_decoder.h"
#include "engine/song_player.h"
#include "tests/engine/test_files.h"

namespace fs = std::filesystem;

// SDL's disk driver writes what the device would play into a file, in real
// time, so the test hears exactly what a listener would.
class SongPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = makeScratchDir("player");
        output = dir / "heard.raw";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        song = encodeSineSong(440.0, 0.5, 2.0);
    }
    void TearDown() override {
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
        fs::remove_all(dir);
    }
    fs::path dir, output;
    std::vector<std::uint8_t> song;
};

TEST_F(SongPlayerTest, TheDeviceHearsTheDecodedSongAndTheClockFollowsIt) {
    SongDecoder playing, reference;
    std::string error;
    ASSERT_TRUE(playing.open(&song, error)) << error;
    ASSERT_TRUE(reference.open(&song, error)) << error;
    std::int64_t heardAtEnd = 0;
    {
        SongPlayer player;
        ASSERT_TRUE(player.openDevice(&playing, error)) << error;
        player.start();
        std::int64_t last = 0;
        for (int i = 0; i < 30; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            const std::int64_t heard = player.heardFrames();
            ASSERT_GE(heard, last);  // monotonic
            last = heard;
        }
        heardAtEnd = last;
        player.close();
    }
    EXPECT_GT(heardAtEnd, 44100 / 10);  // it moved during 300 ms
    EXPECT_LT(heardAtEnd, 44100);

    // SDL feeds the device silence while it is still paused, between opening
    // and start; what follows must be the song, sample for sample.
    const auto bytes = readFile(output);
    std::vector<float> played(bytes.size() / sizeof(float));
    std::memcpy(played.data(), bytes.data(), played.size() * sizeof(float));
    const auto firstSound = std::find_if(played.begin(), played.end(), [](float v) { return v != 0.0f; });
    ASSERT_NE(firstSound, played.end()) << "the device heard only silence";
    played.erase(played.begin(), firstSound);
    const long frames = static_cast<long>(played.size() / 2);
    ASSERT_GT(frames, 4096);
    played.resize(static_cast<std::size_t>(frames) * 2);
    std::vector<float> expected(played.size());
    ASSERT_EQ(reference.readStereo(expected.data(), frames), frames);
    EXPECT_EQ(played, expected);
}
