// The layer's property access: the window's own properties, read and written through the system,
// every write and removal counted as a change of what a composition may show.
#include <gtest/gtest.h>

#include "platform/win_api.h"
#include "skin/frame_memo.h"
#include "skin/image_button.h"
#include "skin/skin_control.h"
#include "skin/window_properties.h"
#include "tests/win32/skin_test_support.h"

namespace quorlin::skin {
namespace {

class WindowPropertiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureSkinLayer();
    form_ = test::CreateForm(40, 40, 120, 80);
    ASSERT_NE(form_.get(), nullptr);
  }
  test::TestWindow form_;
};

TEST_F(WindowPropertiesTest, EveryWriteAndRemovalIsAChangeAndReadsAreNot) {
  std::uint64_t before = ChangeCount();
  ASSERT_TRUE(WriteProperty(form_.get(), property::kBackType, 2));
  EXPECT_GT(ChangeCount(), before);
  before = ChangeCount();
  RemoveLayerProp(form_.get(), property::kBackType);
  EXPECT_GT(ChangeCount(), before);
  before = ChangeCount();
  EXPECT_EQ(ReadProperty(form_.get(), property::kBackType), 0);
  EXPECT_EQ(ChangeCount(), before);
}

TEST_F(WindowPropertiesTest, WhatOtherCodeWritesWithSetPropAIsWhatTheLayerReads) {
  ASSERT_TRUE(WriteProperty(form_.get(), property::kDrawState, 1));
  ASSERT_TRUE(::SetPropA(form_.get(), property::kDrawState, reinterpret_cast<HANDLE>(3)));
  EXPECT_EQ(ReadProperty(form_.get(), property::kDrawState), 3);
  ASSERT_TRUE(::RemovePropA(form_.get(), property::kDrawState));
  EXPECT_EQ(ReadProperty(form_.get(), property::kDrawState), 0);
  // And the other way round.
  ASSERT_TRUE(WriteProperty(form_.get(), property::kBackType, 2));
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(::GetPropA(form_.get(), property::kBackType)), 2);
}

TEST_F(WindowPropertiesTest, ADestroyedWindowHasNoPropertiesAnyMore) {
  test::TestWindow child = test::CreateChild(form_.get(), "Button", 5, 5, 40, 20);
  const HWND button = child.get();
  ImageButton controller;
  ASSERT_TRUE(controller.AttachButton(button));
  ASSERT_EQ(ControlTypeOf(button), ControlType::ImageButton);
  ASSERT_TRUE(WriteProperty(form_.get(), property::kBackType, 1));
  const HWND form = form_.get();
  child = test::TestWindow();
  form_ = test::TestWindow();
  ASSERT_FALSE(::IsWindow(button));
  EXPECT_EQ(ControlTypeOf(button), ControlType::None);
  EXPECT_EQ(GetLayerProp(button, property::kWndProc), nullptr);
  EXPECT_EQ(ReadProperty(form, property::kBackType), 0);
}

}  // namespace
}  // namespace quorlin::skin
