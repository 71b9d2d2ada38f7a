#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "engine/archive.h"
#include "engine/texture_store.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/jpeg.h"
#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

const std::string kNotes = "vesper-crc";

class ArchiveTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        fs::create_directories(dir / "resources");
        // 16 x 8: left half pure red, right half pure blue.
        std::vector<unsigned int> redBlue(16 * 8);
        for (int i = 0; i < 16 * 8; ++i) redBlue[i] = i % 16 < 8 ? 0x0000FFu : 0xFF0000u;
        writeFile(dir / "resources" / "pic.jpg", encodeJpeg(redBlue, 16, 8));
        folder.write("resources/notes.txt", kNotes);
        vrlMakePAK((dir / "resources").string().c_str(), pak.c_str());
    }
    ScratchFolder folder{"archive"};
    const fs::path dir = folder.path();
    const std::string pak = (dir / "datafile.pak").string();
};

void expectPlaceholder(NORVALE_VIRELLO::Texture* texture) {
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(std::pair(texture->getWidth(), texture->getHeight()), std::pair(640u, 480u));
}

}  // namespace

TEST_F(ArchiveTest, ReadsEveryMemberBackByNameAndADamagedOneAsMissing) {
    Archive archive;
    std::string error;
    ASSERT_TRUE(archive.open(pak, error)) << error;
    auto notes = archive.read("notes.txt", error);
    ASSERT_TRUE(notes.has_value()) << error;
    EXPECT_EQ(std::string(notes->begin(), notes->end()), kNotes);
    EXPECT_EQ(*archive.read("pic.jpg", error), readBytes(dir / "resources" / "pic.jpg"));
    EXPECT_FALSE(archive.read("absent.jpg", error).has_value());

    // Stored members keep their bytes as they are: find the text and flip it.
    std::string bytes = readFile(pak);
    const std::size_t at = bytes.find(kNotes);
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'H';
    writeFile(pak, bytes);
    Archive damaged;
    ASSERT_TRUE(damaged.open(pak, error)) << error;
    EXPECT_FALSE(damaged.read("notes.txt", error).has_value());
    EXPECT_NE(error.find("damaged"), std::string::npos) << error;
}

TEST_F(ArchiveTest, IsAZipOfTheSameBytesOnAnyFileSystemThatOrdinaryToolsList) {
    const std::string first = readFile(pak);
    vrlMakePAK((dir / "resources").string().c_str(), pak.c_str());
    EXPECT_EQ(first, readFile(pak));

    // Members go in by name, not in the order the folder lists them (which
    // differs between file systems).
    fs::create_directories(dir / "many");
    for (const char* name : {"kuva4.jpg", "alku1.jpg", "zz.txt", "flare.jpg", "credits2.jpg", "b.obj", "goddess7.jpg",
                             "a.ogg"})
        folder.write(std::string("many/") + name, kNotes);
    vrlMakePAK((dir / "many").string().c_str(), pak.c_str());
    const std::string listing = (dir / "names.txt").string();
    ASSERT_EQ(std::system(("unzip -Z1 " + pak + " > " + listing).c_str()), 0);
    EXPECT_EQ(readFile(listing), "a.ogg\nalku1.jpg\nb.obj\ncredits2.jpg\nflare.jpg\ngoddess7.jpg\nkuva4.jpg\nzz.txt\n");
}

TEST_F(ArchiveTest, DecodesPicturesIntoTheFrameBufferLayoutAndMakesThePlaceholderOfTheRest) {
    vrlReadPak(pak.c_str());
    NORVALE_VIRELLO::Texture* texture = vrlGetTexture("pic.jpg");
    ASSERT_EQ(std::pair(texture->getWidth(), texture->getHeight()), std::pair(16u, 8u));
    const unsigned int red = texture->getImgData()[2 * 16 + 2];
    const unsigned int blue = texture->getImgData()[2 * 16 + 13];
    EXPECT_TRUE((red & 0xFF) >= 250u && (red >> 16 & 0xFF) <= 5u) << std::hex << red;
    EXPECT_TRUE((blue >> 16 & 0xFF) >= 250u && (blue & 0xFF) <= 5u) << std::hex << blue;
    EXPECT_EQ(red >> 24, 0u);
    EXPECT_EQ(vrlGetTexture("pic.jpg"), texture);

    expectPlaceholder(vrlGetTexture("absent.jpg"));
    expectPlaceholder(vrlGetTexture("notes.txt"));  // not a JPEG
    std::string error;
    EXPECT_EQ(decodeJpeg({1, 2, 3, 4}, error), nullptr);
    EXPECT_FALSE(error.empty());
    const auto placeholder = makePlaceholderTexture();
    EXPECT_NE(placeholder->getImgData()[0], placeholder->getImgData()[32]);  // a pattern, not a flat colour
}

TEST_F(ArchiveTest, MissingTruncatedOrCorruptArchivesFallBackWithoutCrashing) {
    vrlReadPak((dir / "no-such.pak").string().c_str());
    expectPlaceholder(vrlGetTexture("pic.jpg"));
    vrlShutDown();

    const std::string bytes = readFile(pak);
    writeFile(dir / "truncated.pak", bytes.substr(0, bytes.size() / 2));
    vrlReadPak((dir / "truncated.pak").string().c_str());
    expectPlaceholder(vrlGetTexture("pic.jpg"));
    vrlLoadSong("kelmuth.ogg");  // no song either: no crash
}
