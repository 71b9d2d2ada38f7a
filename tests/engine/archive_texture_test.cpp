#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/texture_store.h"
#include "tests/engine/engine_fixture.h"
#include "tests/engine/test_files.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::uint8_t> kNotes = {'v', 'e', 's', 'p', 'e', 'r', '-', 'c', 'r', 'c'};

// 16 x 8: left half pure red, right half pure blue.
std::vector<std::uint8_t> redBlueJpeg() {
    std::vector<std::uint8_t> rgb(16 * 8 * 3, 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) rgb[(y * 16 + x) * 3 + (x < 8 ? 0 : 2)] = 255;
    return encodeJpeg(rgb, 16, 8);
}

class ArchiveTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        dir = makeScratchDir("archive");
        fs::create_directories(dir / "resources");
        writeFile(dir / "resources" / "pic.jpg", redBlueJpeg());
        writeFile(dir / "resources" / "notes.txt", kNotes);
        pak = (dir / "datafile.pak").string();
    }
    void TearDown() override {
        EngineTest::TearDown();
        fs::remove_all(dir);
    }
    fs::path dir;
    std::string pak;
};

void expectPlaceholder(NORVALE_VIRELLO::Texture* texture) {
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getWidth(), 640u);
    EXPECT_EQ(texture->getHeight(), 480u);
}

}  // namespace

TEST_F(ArchiveTest, RoundTripReadsEveryMemberBackByName) {
    vrlMakePAK((dir / "resources").c_str(), pak.c_str());
    Archive archive;
    std::string error;
    ASSERT_TRUE(archive.open(pak, error)) << error;
    auto notes = archive.read("notes.txt", error);
    ASSERT_TRUE(notes.has_value()) << error;
    EXPECT_EQ(*notes, kNotes);
    EXPECT_EQ(*archive.read("pic.jpg", error), readFile(dir / "resources" / "pic.jpg"));
    EXPECT_FALSE(archive.read("absent.jpg", error).has_value());
}

TEST_F(ArchiveTest, IsAZipOfTheSameBytesOnAnyFileSystemThatOrdinaryToolsList) {
    vrlMakePAK((dir / "resources").c_str(), pak.c_str());
    const auto first = readFile(pak);
    vrlMakePAK((dir / "resources").c_str(), pak.c_str());
    EXPECT_EQ(first, readFile(pak));

    // Members go in by name, not in the order the folder lists them (which
    // differs between file systems).
    const fs::path many = dir / "many";
    fs::create_directories(many);
    const std::vector<std::string> names = {"kuva4.jpg", "alku1.jpg", "zz.txt", "flare.jpg", "credits2.jpg",
                                            "b.obj", "goddess7.jpg", "a.ogg"};
    for (const std::string& name : names) writeFile(many / name, kNotes);
    vrlMakePAK(many.c_str(), pak.c_str());
    const std::string listing = (dir / "names.txt").string();
    ASSERT_EQ(std::system(("unzip -Z1 " + pak + " > " + listing).c_str()), 0);
    const auto text = readFile(listing);
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    std::string expected;
    for (const std::string& name : sorted) expected += name + "\n";
    EXPECT_EQ(std::string(text.begin(), text.end()), expected);
}

TEST_F(ArchiveTest, DecodesPicturesIntoTheFrameBufferLayoutAndCachesThem) {
    vrlMakePAK((dir / "resources").c_str(), pak.c_str());
    vrlReadPak(pak.c_str());
    NORVALE_VIRELLO::Texture* texture = vrlGetTexture("pic.jpg");
    ASSERT_EQ(texture->getWidth(), 16u);
    ASSERT_EQ(texture->getHeight(), 8u);
    const unsigned int red = texture->getImgData()[2 * 16 + 2];
    const unsigned int blue = texture->getImgData()[2 * 16 + 13];
    EXPECT_GE(red & 0xFF, 250u);
    EXPECT_LE((red >> 16) & 0xFF, 5u);
    EXPECT_GE((blue >> 16) & 0xFF, 250u);
    EXPECT_LE(blue & 0xFF, 5u);
    EXPECT_EQ(red >> 24, 0u);
    EXPECT_EQ(vrlGetTexture("pic.jpg"), texture);
}

TEST_F(ArchiveTest, MissingOrBrokenPicturesBecomeThePlaceholder) {
    vrlMakePAK((dir / "resources").c_str(), pak.c_str());
    vrlReadPak(pak.c_str());
    expectPlaceholder(vrlGetTexture("absent.jpg"));
    expectPlaceholder(vrlGetTexture("notes.txt"));  // not a JPEG
}

TEST_F(ArchiveTest, MissingTruncatedOrCorruptArchivesFallBackWithoutCrashing) {
    vrlReadPak((dir / "no-such.pak").c_str());
    expectPlaceholder(vrlGetTexture("pic.jpg"));
    vrlShutDown();

    vrlMakePAK((dir / "resources").c_str(), pak.c_str());
    auto bytes = readFile(pak);
    bytes.resize(bytes.size() / 2);
    writeFile(dir / "truncated.pak", bytes);
    vrlReadPak((dir / "truncated.pak").c_str());
    expectPlaceholder(vrlGetTexture("pic.jpg"));
    vrlLoadSong("kelmuth.ogg");  // no song either: no crash
}

TEST_F(ArchiveTest, AMemberWhoseCrcFailsReadsAsMissing) {
    vrlMakePAK((dir / "resources").c_str(), pak.c_str());
    auto bytes = readFile(pak);
    // Stored entries keep their bytes as they are: find the text and flip it.
    auto at = std::search(bytes.begin(), bytes.end(), kNotes.begin(), kNotes.end());
    ASSERT_NE(at, bytes.end());
    *at = 'H';
    writeFile(pak, bytes);
    Archive archive;
    std::string error;
    ASSERT_TRUE(archive.open(pak, error)) << error;
    EXPECT_FALSE(archive.read("notes.txt", error).has_value());
    EXPECT_NE(error.find("damaged"), std::string::npos) << error;
}

TEST(TextureStore, RejectsJunkAndMakesAVisiblePlaceholder) {
    std::string error;
    EXPECT_EQ(decodeJpeg({1, 2, 3, 4}, error), nullptr);
    EXPECT_FALSE(error.empty());
    auto placeholder = makePlaceholderTexture();
    const unsigned int* p = placeholder->getImgData();
    EXPECT_NE(p[0], p[32]);  // a pattern, not a flat colour
}
