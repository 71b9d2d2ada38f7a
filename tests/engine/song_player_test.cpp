#include <gtest/gtest.h>

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

    const auto bytes = readFile(output);
    const std::size_t frames = bytes.size() / (2 * sizeof(float));
    ASSERT_GT(frames, 4096u);
    std::vector<float> played(frames * 2), expected(frames * 2);
    std::memcpy(played.data(), bytes.data(), frames * 2 * sizeof(float));
    ASSERT_EQ(reference.readStereo(expected.data(), static_cast<long>(frames)), static_cast<long>(frames));
    EXPECT_EQ(played, expected);
}
