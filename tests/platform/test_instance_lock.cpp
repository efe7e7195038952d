#include "platform/InstanceLock.h"

#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolvane {
namespace {

namespace fs = std::filesystem;

TEST(InstanceLock, OneHolderPerDataFolder) {
    test::ScopedHome home;
    CInstanceLock first;
    CInstanceLock second;
    ASSERT_TRUE(first.TryAcquire());
    EXPECT_FALSE(second.TryAcquire());
    EXPECT_TRUE(second.HeldElsewhere());
}

// A dangling link planted where the lock belongs: its target is never created.
TEST(InstanceLock, PlantedLinkIsRefusedAndItsTargetNeverCreated) {
    test::ScopedHome home;
    const fs::path target = home.Path() / "created-through-the-link";
    fs::create_symlink(target, CInstanceLock::LockPath());
    CInstanceLock lock;
    EXPECT_FALSE(lock.TryAcquire());
    EXPECT_FALSE(lock.HeldElsewhere());
    EXPECT_FALSE(fs::exists(fs::symlink_status(target)));
}

} // namespace
} // namespace tolvane
