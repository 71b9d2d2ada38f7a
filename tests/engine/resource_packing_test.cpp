// Where the archive goes when it cannot be written where the show asks:
// the show must still read what resources/ holds, and say so once.
#include <gtest/gtest.h>

#include <sys/stat.h>
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

TEST_F(ResourcePacking, WhereTheArchiveCannotBeWrittenAPrivateCacheTakesItAndTheShowSaysSoOnce) {
    vrlSetLogging(1);
    // A link at the archive's name is never replaced, even one that leads to
    // an archive of ours that once held another picture under the same name.
    fs::create_directories(dir / "old" / "resources");
    writeFile(dir / "old" / "resources" / "pic.jpg", flatJpeg(8, 8, 0x090909u));
    const fs::path stale = dir / "stale.pak", linked = dir / "datafile.pak";
    std::string error;
    ASSERT_TRUE(packDirectory((dir / "old" / "resources").string(), stale.string(), error)) << error;
    fs::create_symlink(stale, linked);
    const fs::path cache = dir / "cache" / "vesper-glint";
    for (const fs::path& archive : {dir / "blocker" / "datafile.pak", linked}) {
        SCOPED_TRACE(archive);
        const std::string said = packAndRead(archive);
        EXPECT_NE(said.find("Cannot write " + archive.string()), std::string::npos) << said;
        EXPECT_NE(said.find("into " + (cache / "datafile.pak").string() + " instead"), std::string::npos) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line: " << said;
        EXPECT_EQ(vrlGetTexture("pic.jpg")->getWidth(), 16u);
        vrlShutDown();
    }
    EXPECT_TRUE(archiveMatchesDirectory((cache / "datafile.pak").string(), (dir / "resources").string()));
    EXPECT_EQ(fs::status(cache).permissions() & (fs::perms::group_all | fs::perms::others_all), fs::perms::none);
}

TEST_F(ResourcePacking, ACacheFolderOthersCanChangeIsRefusedAndTheArchiveIsMadeInMemory) {
    vrlSetLogging(1);
    // Writable by every user, without the sticky bit: anyone could swap
    // what is in it.
    const fs::path shared = dir / "shared";
    fs::create_directories(shared);
    fs::permissions(shared, fs::perms::all);
    setenv("XDG_CACHE_HOME", shared.c_str(), 1);
    const std::string said = packAndRead(dir / "blocker" / "datafile.pak");
    EXPECT_NE(said.find(shared.string() + " is writable by every user"), std::string::npos) << said;
    EXPECT_NE(said.find("in memory instead"), std::string::npos) << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line: " << said;
    EXPECT_FALSE(fs::exists(shared / "vesper-glint" / "datafile.pak"));
    EXPECT_EQ(vrlGetTexture("pic.jpg")->getWidth(), 16u);
}

TEST(UnsafeFolder, OnlyOursAndRootsAreSafeAndASharedFolderNeedsTheStickyBit) {
    const ScratchFolder folder("unsafe-folder");
    const fs::path inner = folder / "outer" / "inner";
    fs::create_directories(inner);
    const std::string outer = (folder / "outer").string();
    const uid_t me = geteuid();
    const gid_t us = getegid();
    const struct {
        mode_t mode;
        uid_t owner;
        gid_t group;
        std::string said;
    } rows[] = {
        {0755, me, us, ""},
        {0777, me, us, outer + " is writable by every user"},
        {01777, me, us, ""},
        {0775, me, us, ""},
        {0775, me, 4242, outer + " is writable by group 4242"},
        {0755, 4242, us, outer + " belongs to another user (uid 4242)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << std::oct << row.mode << " " << std::dec << row.owner << ":" << row.group);
        // Only root can give the folder to another user or group.
        if (chown(outer.c_str(), row.owner, row.group) != 0) continue;
        ASSERT_EQ(chmod(outer.c_str(), row.mode), 0);
        EXPECT_EQ(unsafeFolderReason(inner.string()), row.said);
    }
    EXPECT_NE(unsafeFolderReason((folder / "absent").string()).find("No such file"), std::string::npos);
}

TEST_F(ResourcePacking, AnArchiveIsNoLongerCurrentOnceAMemberChangesOrIsDamagedOrAFileComesOrGoes) {
    const fs::path archive = dir / "datafile.pak";
    const std::string resources = (dir / "resources").string();
    const auto pack = [&] { vrlMakePAK(resources.c_str(), archive.c_str()); };
    const auto current = [&] { return archiveMatchesDirectory(archive.string(), resources); };
    pack();
    folder.write("resources/notes.txt", "two");
    EXPECT_FALSE(current());
    pack();
    EXPECT_TRUE(current());

    // Same names and sizes, damaged bytes.
    std::string bytes = readFile(archive);
    const std::size_t at = bytes.find("two");
    ASSERT_NE(at, std::string::npos);
    bytes[at] = 'T';
    writeFile(archive, bytes);
    EXPECT_FALSE(current());

    // A difference past the first chunk read.
    std::string large(70000, 'a');
    writeFile(dir / "resources" / "notes.txt", large);
    pack();
    ASSERT_TRUE(current());
    large.back() = 'b';
    writeFile(dir / "resources" / "notes.txt", large);
    EXPECT_FALSE(current());

    pack();
    folder.write("resources/extra.txt", "!");
    EXPECT_FALSE(current());
    fs::remove(dir / "resources" / "extra.txt");
    fs::remove(dir / "resources" / "notes.txt");
    EXPECT_FALSE(current());
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

    // The next start finds the archive current and writes nothing, and
    // says again what it leaves out.
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
