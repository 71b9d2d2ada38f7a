// Hostile and damaged content: pictures too large to hold, songs cut short or
// garbled, positions far past the song's end. Each is refused or played as far
// as it can be, said once, and never costs unbounded memory.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/song_spectrum.h"
#include "engine/texture_store.h"
#include "tests/engine/engine_fixture.h"
#include "tests/engine/test_files.h"
#include "tests/support/jpeg.h"
#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

TEST(PictureLimits, PicturesUpToTheLimitDecodeAndLargerOnesAreRefusedUnread) {
    std::string error;
    const auto atLimit = decodeJpeg(flatJpeg(kMaxPictureSide, 8, 0x808080u), error);
    ASSERT_NE(atLimit, nullptr) << error;
    EXPECT_EQ(atLimit->getWidth(), 4096u);
    for (auto [width, height] : {std::pair{4097, 8}, std::pair{8, 4097}}) {
        error.clear();
        EXPECT_EQ(decodeJpeg(flatJpeg(width, height, 0x808080u), error), nullptr);
        const std::string size = std::to_string(width) + " x " + std::to_string(height);
        EXPECT_NE(error.find(size), std::string::npos) << error;
        EXPECT_NE(error.find("4096 x 4096"), std::string::npos) << error;
    }
}

// The song as the show loads it: packed, read back, decoded.
class DamagedSongTest : public EngineTest {
protected:
    // Loads `bytes` as the song; returns what the engine said.
    std::string load(const std::vector<std::uint8_t>& bytes) {
        fs::create_directories(dir / "resources");
        writeFile(dir / "resources" / "kelmuth.ogg", bytes);
        const std::string pak = (dir / "datafile.pak").string();
        vrlSetLogging(1);
        ::testing::internal::CaptureStderr();
        vrlMakePAK((dir / "resources").string().c_str(), pak.c_str());
        vrlReadPak(pak.c_str());
        vrlLoadSong("kelmuth.ogg");
        const std::string said = ::testing::internal::GetCapturedStderr();
        vrlSetLogging(0);
        return said;
    }
    ScratchFolder folder{"damaged-song"};
    const fs::path dir = folder.path();
    // Long enough for several pages, so damage takes only part of it.
    const std::vector<std::uint8_t> song = encodeSineSong(1000.0, 0.5, 8.0);
};

TEST_F(DamagedSongTest, AnIntactSongSaysNothingAndADamagedOneSaysWhereAndPlaysWhatItCan) {
    const std::string intact = load(song);
    EXPECT_EQ(intact.find("Song"), std::string::npos) << intact;
    EXPECT_NEAR(vrlGetSongLength(), 8000, 2);

    std::vector<std::uint8_t> garbled = song;
    const std::size_t from = song.size() / 2;
    for (std::size_t i = from; i < from + 2000; ++i) garbled[i] = static_cast<std::uint8_t>(i * 131);
    SetUp();  // a fresh engine
    std::string said = load(garbled);
    EXPECT_NE(said.find("Song kelmuth.ogg is damaged after 0:0"), std::string::npos) << said;
    EXPECT_NE(said.find("bytes unreadable): it skips there"), std::string::npos) << said;
    EXPECT_EQ(said.find("cut short"), std::string::npos) << said;
    EXPECT_NEAR(vrlGetSongLength(), 8000, 2);

    std::vector<std::uint8_t> cut(song.begin(), song.begin() + song.size() * 7 / 10);
    SetUp();
    said = load(cut);
    // What there is still plays, and the message names where that ends
    // ("0:04.1" for 4160 ms).
    const int ms = vrlGetSongLength();
    ASSERT_GT(ms, 2000);
    ASSERT_LT(ms, 7000);
    char stops[16];
    std::snprintf(stops, sizeof stops, "%d:%02d.%d", ms / 60000, ms / 1000 % 60, ms / 100 % 10);
    EXPECT_NE(said.find(std::string("Song kelmuth.ogg is cut short: it stops at ") + stops), std::string::npos) << said;
}

// Sets the uncompressed size every header of the archive states for its
// members, as a damaged or hostile archive may.
void claimSize(std::vector<std::uint8_t>& zip, std::uint32_t size) {
    const auto patch = [&](const char* signature, std::size_t offset) {
        for (std::size_t at = 0; at + offset + 4 <= zip.size(); ++at)
            if (std::equal(signature, signature + 4, zip.begin() + at))
                for (int i = 0; i < 4; ++i) zip[at + offset + i] = (size >> (8 * i)) & 0xFF;
    };
    patch("PK\x03\x04", 22);  // local header
    patch("PK\x01\x02", 24);  // central directory
}

TEST_F(EngineTest, AnArchiveMemberClaimingGigabytesIsRefusedUnallocated) {
    const ScratchFolder folder("claiming-archive");
    const fs::path& dir = folder.path();
    fs::create_directories(dir / "resources");
    writeFile(dir / "resources" / "kuva1.jpg", flatJpeg(8, 8, 0x808080u));
    const fs::path pak = dir / "datafile.pak";
    std::string error;
    ASSERT_TRUE(packDirectory((dir / "resources").string(), pak.string(), error)) << error;
    std::vector<std::uint8_t> zip = readBytes(pak);
    claimSize(zip, 0xF0000000u);
    writeFile(pak, zip);

    Archive archive;
    ASSERT_TRUE(archive.open(pak.string(), error)) << error;
    EXPECT_FALSE(archive.read("kuva1.jpg", error).has_value());
    EXPECT_NE(error.find("claims 4026531840 bytes"), std::string::npos) << error;
}

}  // namespace

TEST_F(EngineTest, AFrameBufferOfAnotherSizeIsRefusedAndTheFrameKeepsItsSize) {
    vrlSetLogging(1);
    ::testing::internal::CaptureStderr();
    vrlInitFrameBuffer(10, 10);  // effects would write 64000 pixels into 100
    const std::string said = ::testing::internal::GetCapturedStderr();
    vrlSetLogging(0);
    EXPECT_NE(said.find("Frame buffer 10 x 10 asked for; the show draws 320 x 200"), std::string::npos) << said;
    unsigned int* frame = vrlGetFrameBuffer();
    frame[320 * 200 - 1] = 7u;  // the last pixel an effect writes is there
    EXPECT_EQ(vrlGetFrameBuffer()[320 * 200 - 1], 7u);
}
