// Where the archive goes when it cannot be written where the show asks:
// the show must still read what resources/ holds, and say so once.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "engine/archive.h"
#include "engine/resource_packing.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/jpeg.h"
#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

class ResourcePacking : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        fs::create_directories(dir / "resources");
        // 16 x 8, so the real picture is told from the 640 x 480 placeholder.
        writeFile(dir / "resources" / "pic.jpg", flatJpeg(16, 8, 0xC8C8C8u));
        folder.write("resources/notes.txt", "one");
        // A plain file where a folder is needed refuses every write below
        // it, whoever the test runs as (root ignores permission bits).
        folder.write("blocker", "x");
        if (const char* cache = std::getenv("XDG_CACHE_HOME")) savedCache = cache;
        setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
    }
    void TearDown() override {
        EngineTest::TearDown();
        if (savedCache)
            setenv("XDG_CACHE_HOME", savedCache->c_str(), 1);
        else
            unsetenv("XDG_CACHE_HOME");
    }

    // Packs and reads back as the show does; returns what it said.
    std::string packAndRead(const fs::path& archive) {
        testing::internal::CaptureStderr();
        vrlMakePAK((dir / "resources").c_str(), archive.c_str());
        vrlReadPak(archive.c_str());
        return testing::internal::GetCapturedStderr();
    }

    ScratchFolder folder{"packing"};
    const fs::path dir = folder.path();
    std::optional<std::string> savedCache;
};

TEST_F(ResourcePacking, AnUnwritableFolderPacksIntoTheUserCacheAndSaysSoOnce) {
    vrlSetLogging(1);
    const std::string said = packAndRead(dir / "blocker" / "datafile.pak");
    const fs::path cached = dir / "cache" / "vesper-glint" / "datafile.pak";
    EXPECT_NE(said.find("Cannot write " + (dir / "blocker" / "datafile.pak").string()), std::string::npos) << said;
    EXPECT_NE(said.find("into " + cached.string() + " instead"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line: " << said;
    EXPECT_TRUE(archiveMatchesDirectory(cached.string(), (dir / "resources").string()));
    EXPECT_EQ(vrlGetTexture("pic.jpg")->getWidth(), 16u);
}

TEST_F(ResourcePacking, AStaleArchiveThatCannotBeReplacedIsNotPreferredToResources) {
    // An archive that once held another picture under the same name sits
    // where the show cannot replace it: the show still reads today's picture.
    vrlSetLogging(1);
    fs::create_directories(dir / "old" / "resources");
    writeFile(dir / "old" / "resources" / "pic.jpg", flatJpeg(8, 8, 0x090909u));
    fs::create_directories(dir / "locked");
    const fs::path stale = dir / "locked" / "stale.pak";
    std::string error;
    ASSERT_TRUE(packDirectory((dir / "old" / "resources").string(), stale.string(), error)) << error;
    // A link at the archive's name is never replaced.
    const fs::path archive = dir / "locked" / "datafile.pak";
    fs::create_symlink(stale, archive);

    const std::string said = packAndRead(archive);
    EXPECT_NE(said.find("Cannot write " + archive.string()), std::string::npos) << said;
    EXPECT_NE(said.find("instead"), std::string::npos) << said;
    EXPECT_EQ(vrlGetTexture("pic.jpg")->getWidth(), 16u);
}

TEST_F(ResourcePacking, LinksPlantedWhereThePacksTemporaryFileGoesAreNeverFollowed) {
    // Another user of a shared cache folder points the names this process
    // would have used (pid-based) at a file of the victim's.
    const fs::path victim = dir / "victim.txt";
    folder.write("victim.txt", "keep");
    const fs::path archive = dir / "datafile.pak";
    fs::create_symlink(victim, archive.string() + "." + std::to_string(getpid()) + ".tmp");
    std::string error;
    EXPECT_TRUE(packDirectory((dir / "resources").string(), archive.string(), error)) << error;
    EXPECT_EQ(readFile(victim), "keep");
    EXPECT_TRUE(archiveMatchesDirectory(archive.string(), (dir / "resources").string()));
}

TEST_F(ResourcePacking, ACacheFolderOthersCanChangeIsRefusedAndSaidOnce) {
    vrlSetLogging(1);
    // Writable by every user, without the sticky bit: anyone could swap
    // what is in it.
    const fs::path shared = dir / "shared";
    fs::create_directories(shared);
    fs::permissions(shared, fs::perms::all);
    setenv("XDG_CACHE_HOME", shared.c_str(), 1);
    std::string said = packAndRead(dir / "blocker" / "datafile.pak");
    EXPECT_NE(said.find(shared.string() + " is writable by every user"), std::string::npos) << said;
    EXPECT_NE(said.find("in memory instead"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line: " << said;
    EXPECT_FALSE(fs::exists(shared / "vesper-glint" / "datafile.pak"));
    EXPECT_EQ(vrlGetTexture("pic.jpg")->getWidth(), 16u);

    // Ours, but inside a folder of another user's (as root can see it).
    if (geteuid() != 0) return;
    const fs::path theirs = dir / "theirs";
    fs::create_directories(theirs / "vesper-glint");
    ASSERT_EQ(chown(theirs.c_str(), 4242, 4242), 0);
    setenv("XDG_CACHE_HOME", theirs.c_str(), 1);
    vrlShutDown();
    said = packAndRead(dir / "blocker" / "datafile.pak");
    EXPECT_NE(said.find(theirs.string() + " belongs to another user (uid 4242)"), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(theirs / "vesper-glint" / "datafile.pak"));
}

TEST(UnsafeFolder, OursAndRootsAloneAreSafeAndASharedFolderNeedsTheStickyBit) {
    const ScratchFolder folder("unsafe-folder");
    const fs::path& dir = folder.path();
    EXPECT_EQ(unsafeFolderReason(dir.string()), "");
    fs::create_directories(dir / "open" / "inner");
    fs::permissions(dir / "open", fs::perms::all);
    EXPECT_EQ(unsafeFolderReason((dir / "open" / "inner").string()),
              (dir / "open").string() + " is writable by every user");
    fs::permissions(dir / "open", fs::perms::sticky_bit, fs::perm_options::add);
    EXPECT_EQ(unsafeFolderReason((dir / "open" / "inner").string()), "");
    EXPECT_NE(unsafeFolderReason((dir / "absent").string()).find("No such file"), std::string::npos);
}

TEST_F(ResourcePacking, ACurrentArchiveIsLeftAloneAndAnOutdatedOrDamagedOneIsRepacked) {
    const fs::path archive = dir / "datafile.pak";
    const std::string resources = (dir / "resources").string();
    vrlMakePAK(resources.c_str(), archive.c_str());
    ASSERT_TRUE(archiveMatchesDirectory(archive.string(), resources));
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(archive, old);
    vrlMakePAK(resources.c_str(), archive.c_str());
    EXPECT_EQ(fs::last_write_time(archive), old) << "a current archive was written again";

    // A member changed on disk: packed again.
    folder.write("resources/notes.txt", "two");
    EXPECT_FALSE(archiveMatchesDirectory(archive.string(), resources));
    vrlMakePAK(resources.c_str(), archive.c_str());
    EXPECT_TRUE(archiveMatchesDirectory(archive.string(), resources));

    // Same names and sizes, damaged bytes: the CRC check sees it.
    std::string bytes = readFile(archive);
    const std::size_t at = bytes.find("two");
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'T';
    writeFile(archive, bytes);
    EXPECT_FALSE(archiveMatchesDirectory(archive.string(), resources));

    // A difference past the first chunk read.
    std::string large(70000, 'a');
    writeFile(dir / "resources" / "notes.txt", large);
    vrlMakePAK(resources.c_str(), archive.c_str());
    ASSERT_TRUE(archiveMatchesDirectory(archive.string(), resources));
    large.back() = 'b';
    writeFile(dir / "resources" / "notes.txt", large);
    EXPECT_FALSE(archiveMatchesDirectory(archive.string(), resources));

    // A file more or less in the folder: packed again.
    vrlMakePAK(resources.c_str(), archive.c_str());
    folder.write("resources/extra.txt", "!");
    EXPECT_FALSE(archiveMatchesDirectory(archive.string(), resources));
    fs::remove(dir / "resources" / "extra.txt");
    fs::remove(dir / "resources" / "notes.txt");
    EXPECT_FALSE(archiveMatchesDirectory(archive.string(), resources));
}

TEST_F(ResourcePacking, ALinkLoopAndAFileOverTheMemberLimitAreLeftOutWithOneMessage) {
    vrlSetLogging(1);
    const fs::path resources = dir / "resources";
    fs::create_symlink("loop", resources / "loop");
    // Sparse: over the limit without taking the disk space.
    folder.write("resources/huge.bin", "");
    fs::resize_file(resources / "huge.bin", kMaxMemberBytes + 1);
    const fs::path archive = dir / "datafile.pak";
    const std::string said = packAndRead(archive);
    EXPECT_EQ(said, "Left out of the archive: " + (resources / "huge.bin").string() +
                        " (257 MB, more than the 256 MB a member may have), " + (resources / "loop").string() +
                        " (Too many levels of symbolic links)\n");
    EXPECT_EQ(vrlGetTexture("pic.jpg")->getWidth(), 16u);
    Archive packed;
    std::string error;
    ASSERT_TRUE(packed.open(archive.string(), error)) << error;
    EXPECT_EQ(packed.names(), (std::vector<std::string>{"notes.txt", "pic.jpg"}));

    // The next start finds the archive current and writes nothing.
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    fs::last_write_time(archive, old);
    vrlShutDown();
    EXPECT_EQ(packAndRead(archive), said);
    EXPECT_EQ(fs::last_write_time(archive), old) << "packed again";
}

TEST(UserCacheFolder, FollowsXdgThenHomeAndIgnoresRelativeValues) {
    const char* savedXdg = std::getenv("XDG_CACHE_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string xdg = savedXdg ? savedXdg : "", home = savedHome ? savedHome : "";
    setenv("XDG_CACHE_HOME", "/var/cache-of-me", 1);
    setenv("HOME", "/home/me", 1);
    EXPECT_EQ(userCacheFolder(), "/var/cache-of-me/vesper-glint");
    setenv("XDG_CACHE_HOME", "relative/cache", 1);
    EXPECT_EQ(userCacheFolder(), "/home/me/.cache/vesper-glint");
    unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(userCacheFolder(), "/home/me/.cache/vesper-glint");
    unsetenv("HOME");
    EXPECT_EQ(userCacheFolder(), "");
    if (savedXdg) setenv("XDG_CACHE_HOME", xdg.c_str(), 1);
    if (savedHome) setenv("HOME", home.c_str(), 1);
}

}  // namespace
