#include "DriveSpace.h"
#include "AudioFixtures.h"
#include "Drives.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

TEST(DriveSpace, MeasuresMappedDrivesAndRefusesOthers) {
    BvTest::TAudioFixtureFolder card;
    setenv("BRISVANE_DRIVES", ("E=" + card.Path() + ":removable").c_str(), 1);
    RefreshDriveTable();
    int64_t free = DriveFreeSpace('E');
    int64_t total = DriveTotalSpace('E');
    EXPECT_GT(total, 0);
    EXPECT_GE(free, 0);
    EXPECT_LE(free, total);
    EXPECT_EQ(total, DriveTotalSpace('e'));
    EXPECT_GT(DriveTotalSpace('C'), 0);
    for (char letter : {'Q', '1', '\0', ':'}) {
        EXPECT_EQ(-1, DriveFreeSpace(letter)) << letter;
        EXPECT_EQ(-1, DriveTotalSpace(letter)) << letter;
    }
    // A card whose folder has gone is not ready.
    std::filesystem::remove(card.Path());
    EXPECT_EQ(-1, DriveFreeSpace('E'));
    unsetenv("BRISVANE_DRIVES");
    RefreshDriveTable();
}
