// What a killed save leaves behind is cleared by the next save of the same file, and only
// that: a temporary file still being written (its writer holds its lock) and anything
// that is not a temporary file of this target stay.
#include "platform/AtomicFile.h"

#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace tolvane {
namespace {

namespace fs = std::filesystem;

TEST(AtomicFile, NextSaveRemovesWhatAKilledSaveLeft) {
    test::TempDir dir;
    const fs::path target = dir.Path() / "pop.dat";
    test::WriteFileBytes(dir.Path() / "pop.dat.tmp-Ab3xYz", "half a store");
    // A save under way: its writer holds the lock.
    const fs::path busy = dir.Path() / "pop.dat.tmp-Busy01";
    test::WriteFileBytes(busy, "being written");
    const int busyFd = ::open(busy.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(busyFd, 0);
    ASSERT_EQ(::flock(busyFd, LOCK_EX), 0);
    // Not temporaries of this target, or not temporaries at all.
    const fs::path victim = dir.Path() / "victim";
    test::WriteFileBytes(victim, "precious");
    fs::create_symlink(victim, dir.Path() / "pop.dat.tmp-Link01");
    for (const char* name : {"other.dat.tmp-Ab3xYz", "pop.dat.tmp-toolong1", "pop.dat.tmp-"}) {
        test::WriteFileBytes(dir.Path() / name, "kept");
    }

    ASSERT_TRUE(WriteFileAtomic(target, "new store"));
    ::close(busyFd);

    EXPECT_EQ(test::ReadFileBytes(target), "new store");
    EXPECT_FALSE(fs::exists(dir.Path() / "pop.dat.tmp-Ab3xYz"));
    EXPECT_EQ(test::ReadFileBytes(busy), "being written");
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "pop.dat.tmp-Link01"));
    EXPECT_EQ(test::ReadFileBytes(victim), "precious");
    for (const char* name : {"other.dat.tmp-Ab3xYz", "pop.dat.tmp-toolong1", "pop.dat.tmp-"}) {
        EXPECT_TRUE(fs::exists(dir.Path() / name)) << name;
    }
}

} // namespace
} // namespace tolvane
