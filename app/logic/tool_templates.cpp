#include "app/logic/tool_templates.h"

#include "app/logic/tool_ids.h"
#include "app/version.h"
#include "platform/logic/trans_label_model.h"

namespace quorlin::app {

using platform::ControlKind;
using platform::ControlTemplate;
using platform::WindowTemplate;

namespace {

// The fields every control of the templates has.
ControlTemplate Control(std::int32_t id, const char* designName, ControlKind kind, std::int32_t left,
                        std::int32_t top, std::int32_t width, std::int32_t height) {
  ControlTemplate control = platform::PlacedControl(id, kind, left, top, width, height);
  control.designName = designName;
  return control;
}

// Both windows: 800 x 540 at the template place 50, 50, centred on the screen, closed by Esc.
WindowTemplate ToolWindow(std::int32_t id, std::int32_t selfId, const char* designName, const char* title) {
  WindowTemplate window;
  window.id = id;
  window.selfId = selfId;
  window.designName = designName;
  window.title = title;
  window.left = 50;
  window.top = 50;
  window.width = 800;
  window.height = 540;
  window.centred = true;
  window.escCloses = true;
  window.layered = true;
  return window;
}

ControlTemplate Button(std::int32_t id, const char* designName, std::int32_t left, std::int32_t top,
                       std::int32_t width, std::int32_t height, platform::EventHandler onClick,
                       const char* text = "") {
  ControlTemplate control = Control(id, designName, ControlKind::Button, left, top, width, height);
  control.text = text;
  control.onClick = onClick;
  control.tabStop = true;
  return control;
}

ControlTemplate Radio(std::int32_t id, const char* designName, std::int32_t left, std::int32_t top,
                      std::int32_t width, std::int32_t height, platform::EventHandler onClick, const char* text) {
  ControlTemplate control = Button(id, designName, left, top, width, height, onClick, text);
  control.radio = true;
  return control;
}

// The overlay's labels: plain, left-aligned, vertically centred, one line, in "微软雅黑" (GB2312
// character set) at weight 400.
ControlTemplate Label(std::int32_t id, const char* designName, std::int32_t left, std::int32_t top,
                      std::int32_t width, std::int32_t height, std::uint32_t color, std::int32_t fontHeight,
                      const char* caption) {
  platform::LabelProperties label;
  label.caption = caption;
  label.foreColor = color;
  label.effect = 0;
  label.hAlign = 0;
  label.vAlign = 1;
  label.wordWrap = false;
  platform::FontRecord font;
  font.height = fontHeight;
  font.weight = 400;
  font.charSet = 134;
  font.faceName = "微软雅黑";
  label.font = font;

  ControlTemplate control = Control(id, designName, ControlKind::TransLabel, left, top, width, height);
  control.record = platform::BuildLabelRecord(label);
  return control;
}

}  // namespace

WindowTemplate MainWindowTemplate(const ToolHandlers& handlers) {
  WindowTemplate window = ToolWindow(kMainWindowId, kMainWindowSelf, "MainWindow", "Quorlin");
  window.freeMove = true;
  window.showInTaskbar = true;
  window.minimizable = true;
  window.onCreated = handlers.onMainCreated;
  window.onMoved = handlers.onMainMoved;

  // Every button's caption is the text its picture shows (never drawn by the system: it is the name
  // a screen reader reads). Tab goes through the radios, Apply (or Log off in its place) and the
  // close glyph, in this order.
  window.controls.push_back(Radio(kRadio100, "按钮1", 51, 413, 160, 32, handlers.onSelect100, "正常-100% (默认)"));
  window.controls.push_back(Radio(kRadio125, "按钮2", 232, 413, 112, 32, handlers.onSelect125, "中等-125%"));
  window.controls.push_back(Radio(kRadio150, "按钮3", 378, 413, 112, 32, handlers.onSelect150, "较大-150%"));
  window.controls.push_back(Radio(kRadio200, "按钮4", 51, 463, 112, 32, handlers.onSelect200, "特大-200%"));
  window.controls.push_back(Radio(kRadio250, "按钮5", 232, 463, 112, 32, handlers.onSelect250, "超大-250%"));
  window.controls.push_back(Button(kApplyButtonId, "开始按钮_修复1", 552, 437, 160, 52, handlers.onApply, "应用"));
  window.controls.push_back(Button(kLogOffButtonId, "开始按钮_关闭", 552, 325, 160, 52, handlers.onLogOff, "注销"));
  window.controls.push_back(Button(kCloseButtonId, "按钮_关闭", 757, 18, 18, 18, handlers.onClose, "关闭"));
  window.defaultButtons = {kApplyButtonId, kLogOffButtonId};

  ControlTemplate timer = Control(kRefreshTimerId, "时钟_标准1", ControlKind::Timer, 312, 16, 26, 26);
  timer.visible = false;
  timer.timerPeriod = 0;
  timer.onTick = handlers.onRefreshTick;
  window.controls.push_back(timer);
  return window;
}

WindowTemplate OverlayWindowTemplate(const ToolHandlers& handlers) {
  WindowTemplate window = ToolWindow(kOverlayWindowId, kOverlayWindowSelf, "OverlayWindow", "");
  window.freeMove = false;
  window.showInTaskbar = false;
  window.onCreated = handlers.onOverlayCreated;

  window.controls.push_back(Label(kNoticeLabelId, "透明标签3", 504, 392, 264, 32, 0xFFFFFF, -16, "透明标签3"));
  window.controls.push_back(Label(kVersionLabelId, "透明标签2", 701, 493, 89, 32, 0xC0C0C0, -10, "版本号：V" QUORLIN_VERSION));
  window.controls.push_back(Label(kSpareLabelId, "透明标签1", 432, 559, 392, 32, 0xFFFFFF, -16, ""));

  ControlTemplate box = Control(kProgressBoxId, "动画框1", ControlKind::CartoonBox, 480, 16, 32, 32);
  box.visible = false;
  window.controls.push_back(box);

  ControlTemplate object = Control(kProgressTemplateId, "动画物体1", ControlKind::CartoonObject, 424, 16, 40, 32);
  object.visible = false;
  window.controls.push_back(object);
  return window;
}

}  // namespace quorlin::app
