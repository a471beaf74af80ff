#include "platform/window_service.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "platform/logic/timer_rules.h"
#include "platform/logic/trans_label_model.h"
#include "platform/text.h"
#include "platform/trans_label.h"
#include "platform/win_api.h"
#include "tests/win32/test_support.h"

namespace quorlin::platform {
namespace {

using quorlin::testing::CaptureScreen;
using quorlin::testing::PumpPending;
using quorlin::testing::PumpUntil;

constexpr std::int32_t kFormId = 901, kFormSelf = 9010, kButtonId = 9011, kLabelId = 9012, kTimerId = 9013,
                       kObjectId = 9014, kOwnedId = 902, kOwnedSelf = 9020, kNeverLoadedId = 903,
                       kNeverLoadedSelf = 9030, kNeverLoadedControl = 9031;
constexpr ControlRef kForm{kFormId, kFormSelf}, kButton{kFormId, kButtonId}, kLabel{kFormId, kLabelId},
    kTimer{kFormId, kTimerId}, kObject{kFormId, kObjectId}, kOwned{kOwnedId, kOwnedSelf},
    kNeverLoaded{kNeverLoadedId, kNeverLoadedSelf}, kNeverLoadedLabel{kNeverLoadedId, kNeverLoadedControl};

int createdCount = 0, movedCount = 0, clickCount = 0, tickCount = 0;
void OnCreated() { ++createdCount; }
void OnMoved() { ++movedCount; }
void OnClick() { ++clickCount; }
void OnTick() { ++tickCount; }

WindowTemplate FormTemplate() {
  WindowTemplate window;
  window.id = kFormId;
  window.selfId = kFormSelf;
  window.title = "Service test";
  window.left = 10;
  window.top = 20;
  window.width = 300;
  window.height = 200;
  window.centred = true;
  window.escCloses = true;
  window.onCreated = OnCreated;
  window.onMoved = OnMoved;

  LabelProperties label;
  label.caption = "";
  label.foreColor = 0x0000FF;
  ControlTemplate button = PlacedControl(kButtonId, ControlKind::Button, 10, 10, 80, 24);
  button.text = "按钮";
  button.onClick = OnClick;
  ControlTemplate labelControl = PlacedControl(kLabelId, ControlKind::TransLabel, 20, 60, 200, 40);
  labelControl.record = BuildLabelRecord(label);
  ControlTemplate timer = PlacedControl(kTimerId, ControlKind::Timer);
  timer.visible = false;
  timer.onTick = OnTick;
  ControlTemplate object = PlacedControl(kObjectId, ControlKind::CartoonObject, 5, 6, 7, 8);
  object.visible = false;
  window.controls = {button, labelControl, timer, object};
  return window;
}

// A small window without controls of its own.
WindowTemplate SmallTemplate(std::int32_t id, std::int32_t selfId) {
  WindowTemplate window;
  window.id = id;
  window.selfId = selfId;
  window.width = 100;
  window.height = 50;
  return window;
}

class WindowServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowServiceForTesting();
    createdCount = movedCount = clickCount = tickCount = 0;
    RegisterWindowTemplate(FormTemplate());
    WindowTemplate owned = SmallTemplate(kOwnedId, kOwnedSelf);
    owned.onCreated = OnCreated;
    RegisterWindowTemplate(owned);
    WindowTemplate neverLoaded = SmallTemplate(kNeverLoadedId, kNeverLoadedSelf);
    neverLoaded.controls.push_back(PlacedControl(kNeverLoadedControl, ControlKind::TransLabel));
    RegisterWindowTemplate(neverLoaded);
  }
  void TearDown() override { ResetWindowServiceForTesting(); }
};

TEST_F(WindowServiceTest, LoadingBuildsTheWindowCentredWithItsControlsAndRaisesCreatedOnce) {
  ASSERT_TRUE(LoadWindow(kForm));
  EXPECT_EQ(createdCount, 1);
  HWND form = WindowHandle(kForm);
  ASSERT_TRUE(::IsWindow(form));
  RECT rect;
  ::GetWindowRect(form, &rect);
  EXPECT_EQ(rect.left, (::GetSystemMetrics(SM_CXSCREEN) - 300) / 2);
  EXPECT_EQ(rect.top, (::GetSystemMetrics(SM_CYSCREEN) - 200) / 2);
  EXPECT_EQ(rect.right - rect.left, 300);
  EXPECT_EQ(::GetWindowLongW(form, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0) << "borderless";
  wchar_t title[64];
  ::GetWindowTextW(form, title, 64);
  EXPECT_STREQ(title, L"Service test");

  HWND button = WindowHandle(kButton);
  EXPECT_EQ(::GetParent(button), form);
  EXPECT_EQ(::GetDlgCtrlID(button), kButtonId);
  EXPECT_EQ(WindowHandle(kObject), nullptr) << "a design-time object has no window";

  EXPECT_TRUE(LoadWindow(kForm)) << "a second request for an open window succeeds";
  EXPECT_EQ(createdCount, 1) << "and neither opens another window nor raises created again";
  EXPECT_EQ(WindowHandle(kForm), form);
}

TEST_F(WindowServiceTest, AnOwnedWindowNeedsItsParentLoaded) {
  EXPECT_FALSE(LoadWindow(kOwned, kForm));
  EXPECT_FALSE(IsWindowLoaded(kOwned));
  ASSERT_TRUE(LoadWindow(kForm));
  ASSERT_TRUE(LoadWindow(kOwned, kForm));
  EXPECT_EQ(::GetWindow(WindowHandle(kOwned), GW_OWNER), WindowHandle(kForm));
  CloseWindow(kForm, true);
  EXPECT_FALSE(IsWindowLoaded(kOwned)) << "the owned window goes with its owner";
}

TEST_F(WindowServiceTest, CommonPropertiesAreClampedAndReadBack) {
  ASSERT_TRUE(LoadWindow(kForm));
  SetControlProperty(kButton, kPropLeft, 40000);
  EXPECT_EQ(GetControlProperty(kButton, kPropLeft).Number(), 32627);
  SetControlProperty(kButton, kPropLeft, 15);
  SetControlProperty(kButton, kPropTop, 25);
  EXPECT_EQ(GetControlProperty(kButton, kPropLeft).Number(), 15) << "in the parent's client coordinates";
  EXPECT_EQ(GetControlProperty(kButton, kPropTop).Number(), 25);
  SetControlProperty(kButton, kPropWidth, -10);
  EXPECT_EQ(GetControlProperty(kButton, kPropWidth).Number(), 0);
  EXPECT_EQ(GetControlProperty(kButton, kPropHeight).Number(), 24);
  SetControlProperty(kButton, kPropDisabled, true);
  EXPECT_FALSE(::IsWindowEnabled(WindowHandle(kButton)));
  EXPECT_TRUE(GetControlProperty(kButton, kPropDisabled).Flag());
  SetControlProperty(kButton, kPropVisible, false);
  EXPECT_FALSE(GetControlProperty(kButton, kPropVisible).Flag());
  SetControlProperty(kButton, kPropTag, "标记");
  EXPECT_EQ(GetControlProperty(kButton, kPropTag).Text(), "标记");
}

TEST_F(WindowServiceTest, ValuesOfAWindowNotYetCreatedAreAppliedAtCreation) {
  SetControlProperty(kForm, kPropWidth, 320);
  SetControlProperty(kForm, kPropLeft, 33);
  EXPECT_EQ(GetControlProperty(kForm, kPropWidth).Number(), 320);
  ASSERT_TRUE(LoadWindow(kForm));
  RECT rect;
  ::GetWindowRect(WindowHandle(kForm), &rect);
  EXPECT_EQ(rect.left, 33);
  EXPECT_EQ(rect.right - rect.left, 320);
  SetControlProperty(kObject, kPropLeft, 44);
  EXPECT_EQ(GetControlProperty(kObject, kPropLeft).Number(), 44);
  EXPECT_EQ(GetControlProperty(kObject, kPropTop).Number(), 6) << "the template's value until one is set";
}

TEST_F(WindowServiceTest, WindowStateReadsMinimisedAndNormal) {
  ASSERT_TRUE(LoadWindow(kForm));
  EXPECT_EQ(GetControlProperty(kForm, kPropWindowState).Number(), kWindowStateNormal);
  ::ShowWindow(WindowHandle(kForm), SW_MINIMIZE);
  EXPECT_EQ(GetControlProperty(kForm, kPropWindowState).Number(), kWindowStateMinimized);
  ::ShowWindow(WindowHandle(kForm), SW_RESTORE);
  EXPECT_EQ(GetControlProperty(kForm, kPropWindowState).Number(), kWindowStateNormal);
}

int moveWindowCalls = 0;
BOOL WINAPI CountingMoveWindow(HWND hwnd, int x, int y, int w, int h, BOOL repaint) {
  ++moveWindowCalls;
  return ::MoveWindow(hwnd, x, y, w, h, repaint);
}

TEST_F(WindowServiceTest, PlaceWindowKeepsWhatIsNotGivenAndSkipsANullMove) {
  ASSERT_TRUE(LoadWindow(kForm));
  api::ScopedOverride countMoves(api::MoveWindow, &CountingMoveWindow);
  moveWindowCalls = 0;
  RECT before;
  ::GetWindowRect(WindowHandle(kForm), &before);
  PlaceWindow(kForm, before.left, before.top);
  EXPECT_EQ(moveWindowCalls, 0) << "the current rectangle needs no call";
  PlaceWindow(kForm, 5, std::nullopt, -1, std::nullopt);
  EXPECT_EQ(moveWindowCalls, 1);
  RECT after;
  ::GetWindowRect(WindowHandle(kForm), &after);
  EXPECT_EQ(after.left, 5);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(after.right - after.left, 300);
  EXPECT_EQ(after.bottom - after.top, 200);
  EXPECT_GE(movedCount, 1) << "every move raises the moved event";
}

int destroyCalls = 0;
BOOL WINAPI CountingDestroyWindow(HWND hwnd) {
  ++destroyCalls;
  return ::DestroyWindow(hwnd);
}

TEST_F(WindowServiceTest, DeferredCloseWaitsForTheMessageAndDestroysOnce) {
  ASSERT_TRUE(LoadWindow(kForm));
  api::ScopedOverride countDestroys(api::DestroyWindow, &CountingDestroyWindow);
  destroyCalls = 0;
  CloseWindow(kForm);
  CloseWindow(kForm);
  EXPECT_TRUE(IsWindowLoaded(kForm)) << "still there until the posted request is dispatched";
  PumpPending();
  EXPECT_FALSE(IsWindowLoaded(kForm));
  EXPECT_EQ(destroyCalls, 1);
}

TEST_F(WindowServiceTest, EscClosesTheWindowAndEndsTheMessageLoop) {
  // With the focus on a control, and with none at all: disabling the focused button leaves no
  // focus, and keys then reach the active window as system keys.
  for (UINT key : {WM_KEYDOWN, WM_SYSKEYDOWN}) {
    ASSERT_TRUE(LoadWindow(kForm));
    const HWND target = WindowHandle(key == WM_KEYDOWN ? kButton : kForm);
    if (key == WM_KEYDOWN) ::SetFocus(target);
    ::PostMessageW(target, key, VK_ESCAPE, 0);
    EXPECT_EQ(RunMessageLoop(), 0) << key;
    EXPECT_FALSE(IsWindowLoaded(kForm)) << key;
  }
}

TEST_F(WindowServiceTest, ShowingAControlDoesNotActivateItsWindow) {
  ASSERT_TRUE(LoadWindow(kForm));
  ASSERT_TRUE(LoadWindow(kOwned, kForm));
  ::SetActiveWindow(WindowHandle(kForm));
  SetControlProperty(kButton, kPropVisible, false);
  SetControlProperty(kButton, kPropVisible, true);
  EXPECT_EQ(::GetActiveWindow(), WindowHandle(kForm));
}

TEST_F(WindowServiceTest, AButtonClickRaisesItsClickedEvent) {
  ASSERT_TRUE(LoadWindow(kForm));
  ::SendMessageW(WindowHandle(kButton), BM_CLICK, 0, 0);
  EXPECT_EQ(clickCount, 1);
}

// What the service asks of the cursor functions.
std::vector<std::uintptr_t> loadedCursors;
std::vector<HCURSOR> setCursors;
HCURSOR WINAPI RecordingLoadCursor(HINSTANCE instance, LPCWSTR name) {
  loadedCursors.push_back(reinterpret_cast<std::uintptr_t>(name));
  return ::LoadCursorW(instance, name);
}
HCURSOR WINAPI RecordingSetCursor(HCURSOR cursor) {
  setCursors.push_back(cursor);
  return ::GetCursor();  // the real cursor stays as it is
}

TEST_F(WindowServiceTest, TheMousePointerPropertySelectsTheCursorOverTheWindowAndItsControls) {
  struct Case {
    ControlRef ref;
    std::int32_t pointer;
    WORD hitTest;
    std::uintptr_t cursor;  // 0: the class cursor stays, the service sets none
  };
  const Case cases[] = {
      {kForm, 32513, HTCLIENT, 32513},    // the window itself: I-beam
      {kButton, 32649, HTCLIENT, 32649},  // a system button: hand
      {kLabel, 32515, HTCLIENT, 32515},   // a label of our own: cross
      {kButton, 0, HTCLIENT, 0},          // the default
      {kButton, 7, HTCLIENT, 0},          // no system cursor
      {kForm, 32649, HTCAPTION, 0},       // outside the client area the system decides
  };
  ASSERT_TRUE(LoadWindow(kForm));
  api::ScopedOverride load(api::LoadCursorW, &RecordingLoadCursor);
  api::ScopedOverride set(api::SetCursor, &RecordingSetCursor);
  for (const Case& c : cases) {
    for (ControlRef ref : {kForm, kButton, kLabel}) SetControlProperty(ref, kPropMousePointer, 0);
    SetControlProperty(c.ref, kPropMousePointer, c.pointer);
    EXPECT_EQ(GetControlProperty(c.ref, kPropMousePointer).Number(), c.pointer);
    loadedCursors.clear();
    setCursors.clear();
    HWND target = WindowHandle(c.ref);
    LRESULT handled = ::SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                                     MAKELPARAM(c.hitTest, WM_MOUSEMOVE));
    if (c.cursor == 0) {
      EXPECT_TRUE(setCursors.empty()) << c.pointer;
      continue;
    }
    EXPECT_TRUE(handled) << c.pointer;
    ASSERT_EQ(loadedCursors, std::vector<std::uintptr_t>{c.cursor}) << "a system cursor";
    ASSERT_EQ(setCursors.size(), 1u);
    EXPECT_EQ(setCursors[0], ::LoadCursorW(nullptr, MAKEINTRESOURCEW(c.cursor)));
  }
}

int setTimerCalls = 0, killTimerCalls = 0;
UINT_PTR WINAPI CountingSetTimer(HWND hwnd, UINT_PTR id, UINT period, TIMERPROC proc) {
  ++setTimerCalls;
  EXPECT_EQ(id, kTimerPlatformId);
  return ::SetTimer(hwnd, id, period, proc);
}
BOOL WINAPI CountingKillTimer(HWND hwnd, UINT_PTR id) {
  ++killTimerCalls;
  return ::KillTimer(hwnd, id);
}

TEST_F(WindowServiceTest, TimerTicksAtItsPeriodAndIgnoresTheSamePeriod) {
  ASSERT_TRUE(LoadWindow(kForm));
  api::ScopedOverride countSet(api::SetTimer, &CountingSetTimer);
  api::ScopedOverride countKill(api::KillTimer, &CountingKillTimer);
  setTimerCalls = killTimerCalls = 0;
  SetControlProperty(kTimer, kPropTimerPeriod, 20);
  EXPECT_EQ(setTimerCalls, 1);
  EXPECT_TRUE(PumpUntil([] { return tickCount >= 2; }));
  SetControlProperty(kTimer, kPropTimerPeriod, 20);
  EXPECT_EQ(setTimerCalls, 1) << "the same period does not restart the timer";
  SetControlProperty(kTimer, kPropTimerPeriod, -5);
  EXPECT_EQ(killTimerCalls, 1);
  EXPECT_EQ(GetControlProperty(kTimer, kPropTimerPeriod).Number(), 0);
  PumpPending();
  int ticksWhenStopped = tickCount;
  ::Sleep(80);
  PumpPending();
  EXPECT_EQ(tickCount, ticksWhenStopped);
}

TEST_F(WindowServiceTest, LabelPropertiesAreClampedAndTheCaptionIsTheWindowText) {
  ASSERT_TRUE(LoadWindow(kForm));
  SetControlProperty(kLabel, kPropHAlign, 5);
  SetControlProperty(kLabel, kPropVAlign, -1);
  EXPECT_EQ(GetControlProperty(kLabel, kPropHAlign).Number(), 2);
  EXPECT_EQ(GetControlProperty(kLabel, kPropVAlign).Number(), 0);
  SetControlProperty(kLabel, kPropCaption, "注销前，请注意保存所有打开的文件！");
  wchar_t text[64];
  ::GetWindowTextW(WindowHandle(kLabel), text, 64);
  EXPECT_EQ(Narrow(text), "注销前，请注意保存所有打开的文件！");
  EXPECT_EQ(GetControlProperty(kLabel, kPropCaption).Text(), "注销前，请注意保存所有打开的文件！");
}

int CountColor(const std::vector<std::uint32_t>& pixels, std::uint32_t rgb) {
  int count = 0;
  for (std::uint32_t p : pixels) count += p == rgb;
  return count;
}

TEST_F(WindowServiceTest, ALabelDrawsItsTextOverTheWindowBackgroundOnly) {
  ASSERT_TRUE(LoadWindow(kForm));
  SetControlProperty(kForm, kPropWindowBackColor, ColorFromRgb(120, 120, 120));
  HWND label = WindowHandle(kLabel);
  RECT area;
  ::GetWindowRect(label, &area);
  PumpUntil([] { return false; }, 150);
  auto empty = CaptureScreen(area);
  EXPECT_EQ(CountColor(empty, 0x787878), static_cast<int>(empty.size())) << "no caption, nothing drawn";

  SetControlProperty(kLabel, kPropCaption, "WWWW");
  SetControlProperty(kLabel, kPropForeColor, 0x00FF00);  // green, as COLORREF 0x00BBGGRR
  PumpUntil([] { return false; }, 150);
  auto drawn = CaptureScreen(area);
  EXPECT_GT(CountColor(drawn, 0x00FF00), 10) << "opaque text pixels in the label's colour";

  SetControlProperty(kLabel, kPropCaption, "");
  PumpUntil([] { return false; }, 150);
  auto cleared = CaptureScreen(area);
  EXPECT_EQ(CountColor(cleared, 0x787878), static_cast<int>(cleared.size()))
      << "removing the caption repaints the area under the label";
}

// A label on a colour-keyed window, drawn over a backdrop the test installs.
constexpr COLORREF kKey = RGB(120, 120, 120);
COLORREF backdropColor = RGB(0, 0, 255);
RECT backdropArea{};
bool FillBackdrop(HWND, HDC dc, const RECT& area) {
  backdropArea = area;
  RECT all{0, 0, area.right - area.left, area.bottom - area.top};
  HBRUSH brush = ::CreateSolidBrush(backdropColor);
  ::FillRect(dc, &all, brush);
  ::DeleteObject(brush);
  return true;
}
bool NoBackdrop(HWND, HDC, const RECT&) { return false; }

std::string LabelFont(const char* face, int height) {
  FontRecord font;
  font.height = height;
  font.weight = 400;
  font.charSet = 134;
  font.faceName = face;
  return font.Serialize();
}

// Counts a label's pixels by what they are; `bad` are those that are none of the key, the text colour
// or a blend of the text colour with the backdrop (each channel between the two, within rounding).
struct LabelPixels {
  int key = 0, text = 0, blended = 0, bad = 0;
};
LabelPixels Classify(const std::vector<std::uint32_t>& pixels, COLORREF textColor, COLORREF backdrop) {
  auto channels = [](std::uint32_t rgb) {
    return std::array<int, 3>{static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF),
                              static_cast<int>(rgb & 0xFF)};
  };
  auto rgbOf = [](COLORREF c) { return std::uint32_t{GetRValue(c)} << 16 | GetGValue(c) << 8 | GetBValue(c); };
  const auto t = channels(rgbOf(textColor)), b = channels(rgbOf(backdrop));
  LabelPixels counts;
  for (std::uint32_t pixel : pixels) {
    if (pixel == rgbOf(kKey)) {
      ++counts.key;
    } else if (pixel == rgbOf(textColor)) {
      ++counts.text;
    } else {
      const auto p = channels(pixel);
      bool between = true;
      for (int c = 0; c < 3; ++c)
        between = between && p[c] >= std::min(t[c], b[c]) - 1 && p[c] <= std::max(t[c], b[c]) + 1;
      ++(between ? counts.blended : counts.bad);
    }
  }
  return counts;
}

class KeyedLabelTest : public WindowServiceTest {
 protected:
  void SetUp() override {
    WindowServiceTest::SetUp();
    ASSERT_TRUE(LoadWindow(kForm));
    SetControlProperty(kForm, kPropWindowBackColor, ColorFromRgb(120, 120, 120));
    HWND form = WindowHandle(kForm);
    ::SetWindowLongA(form, GWL_EXSTYLE, ::GetWindowLongA(form, GWL_EXSTYLE) | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(form, kKey, 200, LWA_COLORKEY);
    label_ = WindowHandle(kLabel);
    SetControlProperty(kLabel, kPropLabelFont, LabelFont("微软雅黑", -16));
    SetControlProperty(kLabel, kPropForeColor, static_cast<std::int32_t>(RGB(255, 255, 255)));
    backdropColor = RGB(0, 0, 255);
  }
  void TearDown() override {
    SetLabelBackdrop(nullptr);
    WindowServiceTest::TearDown();
  }
  std::vector<std::uint32_t> ShowCaption(const char* caption) {
    SetControlProperty(kLabel, kPropCaption, caption);
    PumpUntil([] { return false; }, 150);
    return quorlin::testing::CaptureClient(label_);
  }
  HWND label_ = nullptr;
};

// The blue backdrop and the white text have the same full blue: a blend of the two keeps it, while a
// pixel blended with the key (120), a fringe the key does not hide, has less.
TEST_F(KeyedLabelTest, TextIsSmoothedOverThePictureBeneathAndNeverBlendsWithTheKey) {
  SetLabelBackdrop(FillBackdrop);
  LabelPixels pixels = Classify(ShowCaption("WWWW 版本号"), RGB(255, 255, 255), backdropColor);
  EXPECT_EQ(pixels.bad, 0) << "pixels blended toward the key";
  EXPECT_GT(pixels.text, 10);
  EXPECT_GT(pixels.blended, 10) << "smoothed edges, blended with the picture beneath";
  EXPECT_GT(pixels.key, pixels.text) << "what the text leaves untouched lets the picture through";
  EXPECT_EQ(backdropArea.left, 20) << "the label's area in the keyed window's client coordinates";
  EXPECT_EQ(backdropArea.top, 60);
  EXPECT_EQ(backdropArea.right, 220);
  EXPECT_EQ(backdropArea.bottom, 100);

  // The picture beneath changes (a new background): the labels are drawn over the new one.
  backdropColor = RGB(255, 0, 0);
  RepaintLabels();
  PumpUntil([] { return false; }, 150);
  pixels = Classify(quorlin::testing::CaptureClient(label_), RGB(255, 255, 255), backdropColor);
  EXPECT_EQ(pixels.bad, 0) << "blended with the old picture or the key";
  EXPECT_GT(pixels.blended, 10);
}

TEST_F(KeyedLabelTest, WithoutThePictureBeneathTheTextIsDrawnUnsmoothedOnTheKey) {
  for (LabelBackdrop backdrop : {static_cast<LabelBackdrop>(nullptr), &NoBackdrop}) {
    SetLabelBackdrop(backdrop);
    LabelPixels pixels = Classify(ShowCaption(backdrop ? "WWWW 版本号" : "版本号 WWWW"), RGB(255, 255, 255), kKey);
    EXPECT_EQ(pixels.blended + pixels.bad, 0) << "every pixel is the key or the text colour";
    EXPECT_GT(pixels.text, 10);
  }
}

TEST_F(KeyedLabelTest, ATextPixelThatIsTheKeyIsMovedOffIt) {
  SetLabelBackdrop(FillBackdrop);
  backdropColor = RGB(0, 0, 0);
  SetControlProperty(kLabel, kPropForeColor, static_cast<std::int32_t>(kKey));
  std::vector<std::uint32_t> pixels = ShowCaption("WWWW");
  EXPECT_GT(CountColor(pixels, 0x787879), 10) << "the glyphs stay visible";
}

// The labels' face is a localized family name; where GDI gives another face for it, the label asks
// for the family's English name.
std::vector<std::wstring> createdFaces;
HFONT WINAPI RecordingCreateFont(const LOGFONTW* font) {
  // Each face once, in the order first asked for, however often the label paints.
  if (std::find(createdFaces.begin(), createdFaces.end(), font->lfFaceName) == createdFaces.end())
    createdFaces.emplace_back(font->lfFaceName);
  return ::CreateFontIndirectW(font);
}
const wchar_t* reportedFace = L"";
int WINAPI ReportingTextFace(HDC, int size, LPWSTR name) {
  std::wstring face = *reportedFace != L'\0' ? reportedFace : createdFaces.back();
  lstrcpynW(name, face.c_str(), size);
  return static_cast<int>(face.size()) + 1;
}

TEST_F(KeyedLabelTest, ALocalizedFaceThatFindsNoFontIsAskedForByItsEnglishName) {
  struct Case {
    const char* face;
    const wchar_t* reported;  // empty: the face that was asked for
    std::vector<std::wstring> created;
  };
  const Case cases[] = {
      {"微软雅黑", L"", {L"微软雅黑"}},
      {"微软雅黑", L"Tahoma", {L"微软雅黑", L"Microsoft YaHei"}},
      {"Arial", L"Tahoma", {L"Arial"}},  // no other name to try
  };
  api::ScopedOverride<api::types::CreateFontIndirectW_t> create{api::CreateFontIndirectW, &RecordingCreateFont};
  api::ScopedOverride<api::types::GetTextFaceW_t> face{api::GetTextFaceW, &ReportingTextFace};
  for (const Case& c : cases) {
    SetControlProperty(kLabel, kPropLabelFont, LabelFont(c.face, -16));
    createdFaces.clear();
    reportedFace = c.reported;
    ShowCaption(c.reported[0] ? "WWWW" : "MMMM");
    EXPECT_EQ(createdFaces, c.created) << c.face << " reported as " << Narrow(c.reported);
  }
}

// Fatal errors end the process with -1 after the message box; the box is faked so nothing waits.
int WINAPI PrintingMessageBox(HWND, LPCWSTR text, LPCWSTR title, UINT type) {
  std::fprintf(stderr, "box[%s|%s|%s]\n", Narrow(title).c_str(), Narrow(text).c_str(),
               (type & MB_ICONERROR) ? "error-icon" : "no-icon");
  return IDOK;
}

using WindowServiceDeathTest = WindowServiceTest;

TEST_F(WindowServiceDeathTest, AControlOfAWindowThatIsNotLoadedIsFatal) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  api::ScopedOverride fakeBox(api::MessageBoxW, &PrintingMessageBox);
  EXPECT_EXIT(SetControlProperty(kNeverLoadedLabel, kPropVisible, true), ::testing::ExitedWithCode(-1),
              "box\\[错误\\|运行时出错!\n\n错误信息：未载入欲访问窗口组件所在的窗口\n\\|error-icon\\]");
  EXPECT_EXIT(WindowHandle(kNeverLoaded), ::testing::ExitedWithCode(-1), "指定窗口或窗口组件不存在或尚未载入");
  EXPECT_EXIT(SetControlProperty(kNeverLoaded, kPropWindowBackColor, 1), ::testing::ExitedWithCode(-1),
              "指定窗口尚未载入");
}

TEST_F(WindowServiceDeathTest, AKindPropertyOfAControlWithoutAWindowIsFatal) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  api::ScopedOverride fakeBox(api::MessageBoxW, &PrintingMessageBox);
  ASSERT_TRUE(LoadWindow(kForm));
  EXPECT_EXIT(SetControlProperty(kObject, 9, 1), ::testing::ExitedWithCode(-1), "指定窗口尚未载入");
}

using NoSuchFunction = void(WINAPI*)();
api::Slot<NoSuchFunction> missingGdiPlusFunction{api::Library::GdiPlus, "GdipNoSuchFunction"};

TEST(FunctionTableDeathTest, AFunctionThatCannotBeFoundIsFatalWithItsLibraryAndName) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  api::ScopedOverride fakeBox(api::MessageBoxW, &PrintingMessageBox);
  EXPECT_EXIT(missingGdiPlusFunction(), ::testing::ExitedWithCode(-1),
              "错误信息：无法找到指定DLL库文件“GdiPlus.dll”中的输出命令“GdipNoSuchFunction”");
}

DWORD WINAPI ErrorSettingTickCount() {
  ::SetLastError(1234);
  return 5;
}

TEST(FunctionTable, AnOverrideIsUsedAndTheOriginalComesBack) {
  {
    api::ScopedOverride fake(api::GetTickCount, &ErrorSettingTickCount);
    EXPECT_EQ(api::GetTickCount(), 5u);
    EXPECT_NE(fake.Previous(), nullptr);
    EXPECT_NE(fake.Previous(), &ErrorSettingTickCount);
  }
  EXPECT_NE(api::GetTickCount(), 5u);
}

TEST(FunctionTable, TheFirstLookupKeepsTheCallersLastError) {
  api::Slot<decltype(&::GetCurrentProcessId)> fresh{api::Library::Kernel32, "GetCurrentProcessId"};
  ::SetLastError(4321);
  fresh();
  EXPECT_EQ(::GetLastError(), 4321u);
}

TEST(FunctionTable, LibrariesComeFromTheSystemDirectory) {
  api::GdipGetImageWidth.Get();  // loads GdiPlus.dll through the table
  HMODULE module = ::GetModuleHandleW(L"gdiplus.dll");
  ASSERT_NE(module, nullptr);
  wchar_t path[MAX_PATH], system[MAX_PATH];
  ::GetModuleFileNameW(module, path, MAX_PATH);
  UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(_wcsnicmp(path, system, length), 0) << Narrow(path);
}

// ---- Optional entries and the library search ----

api::Slot<api::types::SetDefaultDllDirectories_t> missingSearchFunction{api::Library::Kernel32,
                                                                         "QuorlinNoSuchSetDefaultDllDirectories"};

TEST(FunctionTable, AnOptionalEntryThatCannotBeFoundIsNullNotFatal) {
  ::SetLastError(2468);
  EXPECT_EQ(missingSearchFunction.TryGet(), nullptr);
  EXPECT_EQ(::GetLastError(), 2468u) << "the failed lookup leaves the caller's last error";
  api::Slot<decltype(&::GetCurrentProcessId)> present{api::Library::Kernel32, "GetCurrentProcessId"};
  ASSERT_NE(present.TryGet(), nullptr);
  EXPECT_EQ(present.TryGet()(), ::GetCurrentProcessId());
}

std::vector<std::string> dllSearchCalls;
BOOL WINAPI RecordingSetDefaultDllDirectories(DWORD flags) {
  dllSearchCalls.push_back("search " + std::to_string(flags));
  return TRUE;
}
TEST(DllSearch, IsLimitedToTheSystemDirectoryThroughTheTable) {
  dllSearchCalls.clear();
  api::ScopedOverride search(api::SetDefaultDllDirectories, &RecordingSetDefaultDllDirectories);
  EXPECT_TRUE(RestrictDllSearch());
  EXPECT_EQ(dllSearchCalls, (std::vector<std::string>{"search " + std::to_string(LOAD_LIBRARY_SEARCH_SYSTEM32)}));
}

TEST(DllSearch, IsSkippedSilentlyWhereTheSystemLacksTheFunction) {
  EXPECT_FALSE(RestrictDllSearch(missingSearchFunction));  // no fatal error box, no exit
}

TEST(DllSearch, TheRealCallIsAcceptedHere) { EXPECT_TRUE(RestrictDllSearch()); }

struct LoadCall {
  std::wstring path;
  DWORD flags;
};
std::vector<LoadCall> loadCalls;
DWORD refusedLoadFlags = 0;  // flags the fake loader refuses with ERROR_INVALID_PARAMETER
HMODULE WINAPI RecordingLoadLibraryEx(LPCWSTR path, HANDLE, DWORD flags) {
  loadCalls.push_back({path, flags});
  if (flags == refusedLoadFlags) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return ::LoadLibraryExW(path, nullptr, flags);
}

TEST(DllSearch, TableLibrariesLoadByFullSystemPathWithTheirImportsFromThereToo) {
  wchar_t system[MAX_PATH];
  const std::wstring expectedPath = std::wstring(system, ::GetSystemDirectoryW(system, MAX_PATH)) + L"\\version.dll";
  loadCalls.clear();
  refusedLoadFlags = 0;
  HMODULE module = api::LoadSystemLibrary("version.dll", &RecordingLoadLibraryEx);
  EXPECT_NE(module, nullptr);
  ASSERT_EQ(loadCalls.size(), 1u);
  EXPECT_EQ(_wcsicmp(loadCalls[0].path.c_str(), expectedPath.c_str()), 0) << Narrow(loadCalls[0].path);
  EXPECT_EQ(loadCalls[0].flags, static_cast<DWORD>(LOAD_LIBRARY_SEARCH_SYSTEM32));

  // An older system that does not know the flag: the same path the older way.
  loadCalls.clear();
  refusedLoadFlags = LOAD_LIBRARY_SEARCH_SYSTEM32;
  EXPECT_NE(api::LoadSystemLibrary("version.dll", &RecordingLoadLibraryEx), nullptr);
  ASSERT_EQ(loadCalls.size(), 2u);
  EXPECT_EQ(loadCalls[1].path, loadCalls[0].path);
  EXPECT_EQ(loadCalls[1].flags, static_cast<DWORD>(LOAD_WITH_ALTERED_SEARCH_PATH));

  // A library that is simply missing is not retried.
  loadCalls.clear();
  refusedLoadFlags = 0;
  EXPECT_EQ(api::LoadSystemLibrary("quorlin_no_such_library.dll", &RecordingLoadLibraryEx), nullptr);
  EXPECT_EQ(loadCalls.size(), 1u);
}

}  // namespace
}  // namespace quorlin::platform
