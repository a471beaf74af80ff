// The layer's property access: reads back what it wrote without asking the window system, and never
// reports a property that the window does not have.
#include <gtest/gtest.h>

#include "platform/win_api.h"
#include "skin/image_button.h"
#include "skin/skin_control.h"
#include "skin/window_properties.h"
#include "tests/win32/skin_test_support.h"

namespace quorlin::skin {
namespace {

int realReads = 0;
api::ScopedOverride<api::types::GetPropA_t>* readOverride = nullptr;
HANDLE WINAPI CountRead(HWND hwnd, LPCSTR name) {
  ++realReads;
  return readOverride->Previous()(hwnd, name);
}

class WindowPropertiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureSkinLayer();
    form_ = test::CreateForm(40, 40, 120, 80);
    ASSERT_NE(form_.get(), nullptr);
  }
  test::TestWindow form_;
};

TEST_F(WindowPropertiesTest, WhatTheLayerWroteIsReadBackWithoutAskingTheWindow) {
  ASSERT_TRUE(WriteProperty(form_.get(), property::kBackType, 2));
  RemoveLayerProp(form_.get(), property::kTextColor);
  api::ScopedOverride reads(api::GetPropA, &CountRead);
  readOverride = &reads;
  realReads = 0;
  EXPECT_EQ(ReadProperty(form_.get(), property::kBackType), 2);
  EXPECT_EQ(ReadProperty(form_.get(), property::kTextColor), 0);
  EXPECT_EQ(realReads, 0);
  // Read once from the window, then known.
  EXPECT_EQ(ReadProperty(form_.get(), property::kOrderColor), 0);
  EXPECT_EQ(ReadProperty(form_.get(), property::kOrderColor), 0);
  EXPECT_EQ(realReads, 1);
  // The window holds the real properties too, for any code that reads them.
  EXPECT_EQ(reinterpret_cast<std::intptr_t>(::GetPropA(form_.get(), property::kBackType)), 2);
  EXPECT_EQ(::GetPropA(form_.get(), property::kTextColor), nullptr);
}

TEST_F(WindowPropertiesTest, APropertySetOnTheWindowBeforeTheLayerReadsItIsSeen) {
  ASSERT_TRUE(::SetPropA(form_.get(), property::kDrawState, reinterpret_cast<HANDLE>(3)));
  EXPECT_EQ(ReadProperty(form_.get(), property::kDrawState), 3);
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
