#include "app/logic/tool_templates.h"
#include "app/version.h"

#include <gtest/gtest.h>

#include <set>

#include "app/logic/tool_ids.h"
#include "platform/logic/trans_label_model.h"

namespace quorlin::app {
namespace {

int calls = 0;
void Count() { ++calls; }

ToolHandlers AllCounting() {
  ToolHandlers h;
  h.onMainCreated = h.onMainMoved = h.onOverlayCreated = h.onSelect100 = h.onSelect125 = h.onSelect150 =
      h.onSelect200 = h.onSelect250 = h.onApply = h.onLogOff = h.onClose = h.onRefreshTick = Count;
  return h;
}

struct Expected {
  std::int32_t id;
  const char* name;
  int left, top, width, height;
};

TEST(ToolTemplates, MainWindowHasEveryControlAtItsPlace) {
  platform::WindowTemplate main = MainWindowTemplate(AllCounting());
  EXPECT_EQ(main.title, "Quorlin");
  EXPECT_EQ(main.width, 800);
  EXPECT_EQ(main.height, 540);
  EXPECT_TRUE(main.centred && main.escCloses && main.freeMove && main.showInTaskbar);
  EXPECT_TRUE(main.layered && main.minimizable);
  const Expected expected[] = {
      {kRadio100, "按钮1", 51, 413, 160, 32},          {kRadio125, "按钮2", 232, 413, 112, 32},
      {kRadio150, "按钮3", 378, 413, 112, 32},         {kRadio200, "按钮4", 51, 463, 112, 32},
      {kRadio250, "按钮5", 232, 463, 112, 32},         {kApplyButtonId, "开始按钮_修复1", 552, 437, 160, 52},
      {kLogOffButtonId, "开始按钮_关闭", 552, 325, 160, 52}, {kCloseButtonId, "按钮_关闭", 757, 18, 18, 18},
      {kRefreshTimerId, "时钟_标准1", 312, 16, 26, 26},
  };
  ASSERT_EQ(main.controls.size(), std::size(expected));
  for (const Expected& e : expected) {
    const platform::ControlTemplate* control = main.FindControl(e.id);
    ASSERT_NE(control, nullptr) << e.name;
    EXPECT_EQ(control->designName, e.name);
    EXPECT_EQ(control->left, e.left) << e.name;
    EXPECT_EQ(control->top, e.top) << e.name;
    EXPECT_EQ(control->width, e.width) << e.name;
    EXPECT_EQ(control->height, e.height) << e.name;
  }
  const auto* timer = main.FindControl(kRefreshTimerId);
  EXPECT_EQ(timer->kind, platform::ControlKind::Timer);
  EXPECT_EQ(timer->timerPeriod, 0) << "the timer starts only when start-up sets its period";
  EXPECT_EQ(main.FindControl(kCloseButtonId)->text, "关闭");
}

TEST(ToolTemplates, EveryEventIsBoundToAHandler) {
  calls = 0;
  ToolHandlers handlers = AllCounting();
  platform::WindowTemplate main = MainWindowTemplate(handlers);
  platform::WindowTemplate overlay = OverlayWindowTemplate(handlers);
  main.onCreated();
  main.onMoved();
  overlay.onCreated();
  for (const auto& control : main.controls) {
    if (control.kind == platform::ControlKind::Button) control.onClick();
    if (control.kind == platform::ControlKind::Timer) control.onTick();
  }
  EXPECT_EQ(calls, 3 + 8 + 1);
  EXPECT_EQ(overlay.onMoved, nullptr);
}

TEST(ToolTemplates, OverlayLabelsCarryTheirDesignValues) {
  platform::WindowTemplate overlay = OverlayWindowTemplate({});
  EXPECT_EQ(overlay.title, "");
  EXPECT_FALSE(overlay.showInTaskbar);
  EXPECT_FALSE(overlay.freeMove);
  EXPECT_FALSE(overlay.minimizable);
  EXPECT_TRUE(overlay.layered);
  EXPECT_TRUE(overlay.escCloses);

  struct LabelExpectation {
    std::int32_t id;
    int left, top, width, height;
    std::uint32_t color;
    int fontHeight;
    const char* caption;
  } labels[] = {
      {kNoticeLabelId, 504, 392, 264, 32, 0xFFFFFF, -16, "透明标签3"},
      {kVersionLabelId, 701, 493, 89, 32, 0xC0C0C0, -10, "版本号：V" QUORLIN_VERSION},
      {kSpareLabelId, 432, 559, 392, 32, 0xFFFFFF, -16, ""},
  };
  for (const auto& e : labels) {
    const auto* control = overlay.FindControl(e.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->kind, platform::ControlKind::TransLabel);
    EXPECT_EQ(control->left, e.left);
    EXPECT_EQ(control->top, e.top);
    EXPECT_EQ(control->width, e.width);
    auto label = platform::ParseLabelRecord(control->record);
    ASSERT_TRUE(label) << control->designName;
    EXPECT_EQ(label->caption, e.caption);
    EXPECT_EQ(label->foreColor, e.color);
    EXPECT_EQ(label->effect, 0);
    EXPECT_EQ(label->hAlign, 0);
    EXPECT_EQ(label->vAlign, 1);
    EXPECT_FALSE(label->wordWrap);
    ASSERT_TRUE(label->font);
    EXPECT_EQ(label->font->height, e.fontHeight);
    EXPECT_EQ(label->font->weight, 400);
    EXPECT_EQ(label->font->charSet, 134);
    EXPECT_EQ(label->font->faceName, "微软雅黑");
  }
  const auto* box = overlay.FindControl(kProgressBoxId);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->kind, platform::ControlKind::CartoonBox);
  EXPECT_FALSE(box->visible);
  EXPECT_EQ(overlay.FindControl(kProgressTemplateId)->kind, platform::ControlKind::CartoonObject);
}

TEST(ToolTemplates, ControlIdsAreUniqueAcrossBothWindows) {
  std::set<std::int32_t> ids;
  for (const auto& window : {MainWindowTemplate({}), OverlayWindowTemplate({})}) {
    EXPECT_TRUE(ids.insert(window.selfId).second);
    for (const auto& control : window.controls) EXPECT_TRUE(ids.insert(control.id).second) << control.designName;
  }
}

}  // namespace
}  // namespace quorlin::app
