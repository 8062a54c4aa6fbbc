#include "app/settings/pl_window_placement.h"

#include "tests/support/pl_temp_folder.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr std::uint32_t kAll = 63;

class PlPlacementStoreTest : public ::testing::Test {
protected:
    PlTempFolder folder;
    PlRegistryFile registry{folder.Path("registry.reg")};
    PlPlacementStore store{registry};
    const PlWindowPlacement saved{-20, 40, 620, 640, PlWindowPlacement::Show::Maximised, true};
};

TEST_F(PlPlacementStoreTest, EverythingSavedComesBack)
{
    ASSERT_TRUE(store.SavePlacement("msgarchive", saved, kAll));
    PlWindowPlacement restored;
    ASSERT_TRUE(store.RestorePlacement("msgarchive", restored, kAll));
    EXPECT_EQ(restored, saved);

    const PlRegistryHive hive = registry.Read().hive;
    const std::string key = PlRegistryHive::CurrentUserPath(PlPlacementStore::KeyOf("msgarchive"));
    EXPECT_EQ(key, "HKEY_CURRENT_USER\\Software\\Parlino Software\\Parlino Messenger\\Windows\\msgarchive");
    EXPECT_EQ(hive.Find(key, "Left")->AsNumber(), static_cast<std::uint32_t>(-20));
    EXPECT_EQ(hive.Find(key, "Width")->AsNumber(), 640u);
    EXPECT_EQ(hive.Find(key, "Height")->AsNumber(), 600u);
    EXPECT_EQ(hive.Find(key, "State")->AsNumber(), 2u);
    EXPECT_EQ(hive.Find(key, "Visible")->AsNumber(), 1u);
}

TEST_F(PlPlacementStoreTest, AMissingPartRestoresNothing)
{
    ASSERT_TRUE(store.SavePlacement("lanbrowser", saved, 15));
    PlWindowPlacement current{1, 2, 3, 4, PlWindowPlacement::Show::Normal, false};
    const PlWindowPlacement before = current;
    EXPECT_FALSE(store.RestorePlacement("lanbrowser", current, 47));  // "Visible" was never saved
    EXPECT_EQ(current, before);
    EXPECT_FALSE(store.RestorePlacement("never-saved", current, 1));
    EXPECT_EQ(current, before);
    EXPECT_TRUE(store.RestorePlacement("anything", current, 0));  // nothing asked, nothing missing
}

TEST_F(PlPlacementStoreTest, PartsApplyToTheCurrentPlacement)
{
    ASSERT_TRUE(store.SavePlacement("sendmsg", saved, 15));
    // Only the top and the height: the bottom counts from the restored top,
    // left and right stay.
    PlWindowPlacement current{100, 0, 300, 50, PlWindowPlacement::Show::Minimised, true};
    ASSERT_TRUE(store.RestorePlacement("sendmsg", current, 1 | 4));
    EXPECT_EQ(current, (PlWindowPlacement{100, 40, 300, 640, PlWindowPlacement::Show::Minimised, true}));
}

TEST_F(PlPlacementStoreTest, ValuesOfTheWrongTypeOrSizeAreHandled)
{
    const std::string key = PlRegistryHive::CurrentUserPath(PlPlacementStore::KeyOf("odd"));
    PlRegistryHive hive;
    hive.Set(key, "Top", PlRegistryValue::Text("40"));
    hive.Set(key, "Left", PlRegistryValue::Dword(std::numeric_limits<std::int32_t>::max()));
    hive.Set(key, "Width", PlRegistryValue::Dword(std::numeric_limits<std::int32_t>::max()));
    hive.Set(key, "State", PlRegistryValue::Dword(7));
    ASSERT_TRUE(registry.Write(hive));

    PlWindowPlacement current;
    EXPECT_FALSE(store.RestorePlacement("odd", current, 1));  // text is not a coordinate
    ASSERT_TRUE(store.RestorePlacement("odd", current, 2 | 8 | 16));
    EXPECT_EQ(current.right, std::numeric_limits<std::int32_t>::max());  // held, not overflowed
    EXPECT_EQ(current.show, PlWindowPlacement::Show::Normal);

    PlWindowPlacement huge{std::numeric_limits<std::int32_t>::min(), 0,    std::numeric_limits<std::int32_t>::max(), 0,
                           PlWindowPlacement::Show::Minimised,       false};
    ASSERT_TRUE(store.SavePlacement("huge", huge, kAll));
    PlWindowPlacement back;
    ASSERT_TRUE(store.RestorePlacement("huge", back, kAll));
    EXPECT_EQ(back.show, PlWindowPlacement::Show::Minimised);
    EXPECT_FALSE(back.visible);
}

}  // namespace
