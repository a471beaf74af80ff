#include "skin/logic/property_mirror.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace quorlin::skin {
namespace {

TEST(PropertyMirror, KnowsOnlyWhatWasStoredAndTheLatestValue) {
  PropertyMirror mirror;
  EXPECT_EQ(mirror.Find(0x10, "PngControl_Type"), std::nullopt);
  mirror.Store(0x10, "PngControl_Type", 3);
  mirror.Store(0x10, "PngControl_BackType", 0);  // absent or removed: known to read 0
  mirror.Store(0x20, "PngControl_Type", 4);
  EXPECT_EQ(mirror.Find(0x10, "PngControl_Type"), 3u);
  EXPECT_EQ(mirror.Find(0x10, "PngControl_BackType"), 0u);
  EXPECT_EQ(mirror.Find(0x20, "PngControl_Type"), 4u);
  EXPECT_EQ(mirror.Find(0x10, "PngControl_BackImage"), std::nullopt);
  mirror.Store(0x10, "PngControl_Type", 2);
  EXPECT_EQ(mirror.Find(0x10, "PngControl_Type"), 2u);
}

TEST(PropertyMirror, NamesMatchWithoutRegardToCaseAsAtomsDo) {
  PropertyMirror mirror;
  mirror.Store(0x10, "Zephel_DrawState", 1);
  EXPECT_EQ(mirror.Find(0x10, "ZEPHEL_drawstate"), 1u);
  mirror.Store(0x10, "zephel_DRAWSTATE", 2);  // the same property, not a second one
  EXPECT_EQ(mirror.Find(0x10, "Zephel_DrawState"), 2u);
  EXPECT_EQ(mirror.Find(0x10, "Zephel_DrawStat"), std::nullopt);
}

TEST(PropertyMirror, ForgettingAWindowDropsAllItsPropertiesAndNoOtherWindows) {
  PropertyMirror mirror;
  mirror.Store(0x10, "a", 1);
  mirror.Store(0x10, "b", 2);
  mirror.Store(0x20, "a", 3);
  mirror.Forget(0x10);
  EXPECT_EQ(mirror.Find(0x10, "a"), std::nullopt);
  EXPECT_EQ(mirror.Find(0x10, "b"), std::nullopt);
  EXPECT_EQ(mirror.Find(0x20, "a"), 3u);
  EXPECT_EQ(mirror.WindowCount(), 1u);
}

TEST(PropertyMirror, ListsTheWindowsWhosePropertyHoldsSomething) {
  PropertyMirror mirror;
  mirror.Store(0x10, "PngControl_Type", 3);
  mirror.Store(0x20, "pngcontrol_type", 2);
  mirror.Store(0x30, "PngControl_Type", 0);  // removed
  mirror.Store(0x40, "PngControl_BackType", 1);
  std::vector<std::uintptr_t> typed = mirror.WindowsWith("PngControl_Type");
  std::sort(typed.begin(), typed.end());
  EXPECT_EQ(typed, (std::vector<std::uintptr_t>{0x10, 0x20}));
  mirror.Forget(0x10);
  EXPECT_EQ(mirror.WindowsWith("PngControl_Type"), std::vector<std::uintptr_t>{0x20});
}

}  // namespace
}  // namespace quorlin::skin
