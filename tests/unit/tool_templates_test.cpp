#include "app/logic/tool_templates.h"
#include "app/version.h"

#include <gtest/gtest.h>

#include <set>

#include "app/logic/tool_ids.h"
#include "platform/logic/keyboard_rules.h"
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

// The main window's controls as the keyboard sees them, in template order: five radios, Apply,
// Log off, close glyph, timer; `checked` is the index of the selected radio.
std::vector<platform::KeyStop> MainStops(std::size_t checked, bool applyUsable, bool logOffUsable) {
  std::vector<platform::KeyStop> stops;
  for (const auto& control : MainWindowTemplate({}).controls) {
    platform::KeyStop stop;
    stop.tabStop = control.tabStop;
    stop.radio = control.radio;
    stop.usable = control.kind == platform::ControlKind::Button;
    stops.push_back(stop);
  }
  stops[checked].checked = true;
  stops[5].usable = applyUsable;
  stops[6].usable = logOffUsable;
  return stops;
}

TEST(KeyboardRules, TabGoesRoundTheStopsEnteringTheRadiosAtTheCheckedOne) {
  constexpr std::optional<std::size_t> none;
  const struct {
    const char* what;
    std::size_t checked;
    bool apply, logOff;
    std::optional<std::size_t> from;
    bool backward;
    std::optional<std::size_t> expected;
  } cases[] = {
      {"from no control: the checked radio", 0, true, false, none, false, 0},
      {"from no control, backward: the close glyph", 0, true, false, none, true, 7},
      {"into the radios at the checked one", 3, true, false, 7, false, 3},
      {"from any radio out of the group: Apply", 3, true, false, 1, false, 5},
      {"a disabled Log off is skipped", 0, true, false, 5, false, 7},
      {"Shift+Tab from the close glyph skips the disabled Log off", 0, true, false, 7, true, 5},
      {"Shift+Tab from Apply goes back into the radios at the checked one", 4, true, false, 5, true, 4},
      {"done state: Log off in Apply's place", 2, false, true, 2, false, 6},
      {"while Apply runs (both disabled): radios to the close glyph", 0, false, false, 0, false, 7},
      {"from a control that is no stop (the disabled Apply): the next stop", 0, false, false, 5, false, 7},
      {"from a control that is no stop, backward: the stop before it", 1, false, false, 5, true, 1},
  };
  for (const auto& c : cases) {
    const auto stops = MainStops(c.checked, c.apply, c.logOff);
    EXPECT_EQ(platform::TabTarget(stops, c.from, c.backward), c.expected) << c.what;
  }
  std::vector<platform::KeyStop> nothing(3);
  EXPECT_EQ(platform::TabTarget(nothing, std::nullopt, false), std::nullopt) << "no control can take the focus";
  auto noneChecked = MainStops(0, true, false);
  noneChecked[0].checked = false;
  noneChecked[0].usable = false;
  EXPECT_EQ(platform::TabTarget(noneChecked, 7, false), 1u) << "no usable checked radio: the first usable one";
}

TEST(KeyboardRules, ArrowsMoveRoundTheRadioGroupOnly) {
  const struct {
    std::size_t from;
    bool backward;
    std::optional<std::size_t> expected;
  } cases[] = {
      {0, false, 1}, {3, false, 4}, {4, false, 0}, {0, true, 4}, {2, true, 1},
      {5, false, std::nullopt},  // Apply is no radio
      {7, true, std::nullopt},
  };
  const auto stops = MainStops(0, true, false);
  for (const auto& c : cases)
    EXPECT_EQ(platform::ArrowTarget(stops, c.from, c.backward), c.expected) << c.from << (c.backward ? " back" : "");
  auto oneDisabled = stops;
  oneDisabled[1].usable = false;
  EXPECT_EQ(platform::ArrowTarget(oneDisabled, 0, false), 2u) << "a disabled radio is skipped";
  std::vector<platform::KeyStop> alone(1);
  alone[0].radio = alone[0].usable = true;
  EXPECT_EQ(platform::ArrowTarget(alone, 0, false), 0u) << "a group of one stays";
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
