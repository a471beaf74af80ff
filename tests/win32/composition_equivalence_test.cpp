// A refresh that skips composing must leave on screen exactly what a full composition would show.
// Random sequences of layer and tool operations (the seed is printed; QUORLIN_EQUIVALENCE_SEED picks
// another), each followed by a refresh as the tool's timer makes it; then the picture last handed
// to UpdateLayeredWindow is compared pixel for pixel with a forced full composition's, and so is
// FocusComposition while the form holds the focused text box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/logic/tool_ids.h"
#include "app/skin_objects.h"
#include "app/tool_handlers.h"
#include "app/tool_state.h"
#include "platform/logic/property_rules.h"
#include "platform/window_service.h"
#include "resources/image_resources.h"
#include "skin/caret.h"
#include "skin/composition.h"
#include "skin/frame_memo.h"
#include "skin/image_button.h"
#include "skin/picture_box.h"
#include "skin/skin_control.h"
#include "skin/window_properties.h"
#include "tests/win32/skin_test_support.h"

namespace quorlin::skin {
namespace {

DWORD fakeNow = 0;
DWORD WINAPI FakeNow() { return fakeNow; }

using test::Argb;
using test::PresentRecorder;

unsigned Seed() {
  const char* chosen = std::getenv("QUORLIN_EQUIVALENCE_SEED");
  return chosen != nullptr ? static_cast<unsigned>(std::strtoul(chosen, nullptr, 10)) : 20240611u;
}

std::vector<Argb> Presented(const PresentRecorder& recorder) {
  std::vector<Argb> pixels;
  for (int y = 0; y < recorder.height(); ++y) {
    for (int x = 0; x < recorder.width(); ++x) pixels.push_back(recorder.Pixel(x, y));
  }
  return pixels;
}

// Where two pictures first differ, for the failure message.
std::string FirstDifference(const std::vector<Argb>& shown, const std::vector<Argb>& fresh, int width) {
  if (shown.size() != fresh.size())
    return "sizes " + std::to_string(shown.size()) + " and " + std::to_string(fresh.size());
  int count = 0;
  std::size_t first = 0;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] != fresh[i] && count++ == 0) first = i;
  }
  if (count == 0) return "";
  char text[160];
  std::snprintf(text, sizeof(text), "%d pixels differ, first at (%d, %d): shown %08X, fresh %08X", count,
                static_cast<int>(first % width), static_cast<int>(first / width), shown[first], fresh[first]);
  return text;
}

// Runs `steps` steps of one to three random operations each; after each step `refresh` (what the
// timer does), then the check against ComposeForm(form).
class EquivalenceRun {
 public:
  EquivalenceRun(HWND form, std::vector<std::function<std::string(std::mt19937&)>> operations,
                 std::function<void()> refresh)
      : form_(form), operations_(std::move(operations)), refresh_(std::move(refresh)) {}

  void Run(unsigned seed, int steps) {
    std::printf("[ seed     ] %u (QUORLIN_EQUIVALENCE_SEED)\n", seed);
    ::testing::Test::RecordProperty("seed", static_cast<int>(seed));
    std::mt19937 random(seed);
    std::string log;
    for (int step = 0; step < steps; ++step) {
      const int count = 1 + static_cast<int>(random() % 3);
      std::string done;
      for (int i = 0; i < count; ++i) done += operations_[random() % operations_.size()](random) + "; ";
      log += "step " + std::to_string(step) + ": " + done + "\n";
      refresh_();
      if (!Check(step, log)) return;
    }
    EXPECT_GT(refreshesThatPresented_, 0) << "no refresh ever composed: the operations changed nothing";
    EXPECT_GT(refreshesThatSkipped_, 0) << "no refresh was ever skipped";
    std::printf("[ refresh  ] %d presented, %d skipped\n", refreshesThatPresented_, refreshesThatSkipped_);
  }

  // Set by the caller's refresh: how many presentations there were before it.
  PresentRecorder recorder_;
  int presentationsBeforeRefresh_ = 0;

 private:
  bool Check(int step, const std::string& log) {
    (recorder_.count() > presentationsBeforeRefresh_ ? refreshesThatPresented_ : refreshesThatSkipped_)++;
    if (recorder_.count() == 0) return true;  // nothing presented yet, nothing to compare
    const std::vector<Argb> shown = Presented(recorder_);
    const bool focus = FocusForm == form_ && FocusComposition != nullptr;
    const std::vector<Argb> kept =
        focus ? test::ReadPixels(FocusComposition, recorder_.width(), recorder_.height()) : std::vector<Argb>{};
    ComposeForm(form_);
    const std::vector<Argb> fresh = Presented(recorder_);
    const std::string difference = FirstDifference(shown, fresh, recorder_.width());
    EXPECT_EQ(difference, "") << "after step " << step << "\n" << log;
    if (!difference.empty()) return false;
    if (focus) {
      const std::string keptDifference =
          FirstDifference(kept, test::ReadPixels(FocusComposition, recorder_.width(), recorder_.height()),
                          recorder_.width());
      EXPECT_EQ(keptDifference, "") << "FocusComposition after step " << step << "\n" << log;
      if (!keptDifference.empty()) return false;
    }
    return true;
  }

  HWND form_;
  std::vector<std::function<std::string(std::mt19937&)>> operations_;
  std::function<void()> refresh_;
  int refreshesThatPresented_ = 0;
  int refreshesThatSkipped_ = 0;
};

template <typename T>
const T& Pick(std::mt19937& random, const std::vector<T>& items) {
  return items[random() % items.size()];
}

int Between(std::mt19937& random, int low, int high) { return low + static_cast<int>(random() % (high - low + 1)); }

// --- The layer on a form of its own ---------------------------------------------------------------

constexpr int kFormWidth = 240;
constexpr int kFormHeight = 160;

Argb Gradient(int x, int y) {
  return 0xFF000000u | static_cast<Argb>((x * 255 / kFormWidth) << 16) | static_cast<Argb>((y * 255 / kFormHeight) << 8) |
         0x30u;
}

// An opaque picture without an alpha channel, as the tool's backgrounds are decoded.
platform::UniqueImage RgbBitmap(int width, int height) {
  Gdiplus::GpBitmap* bitmap = nullptr;
  api::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat24bppRGB, nullptr, &bitmap);
  platform::UniqueImage image(bitmap);
  Gdiplus::GpRect all{0, 0, width, height};
  Gdiplus::BitmapData data{};
  if (api::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &data) == Gdiplus::Ok) {
    for (int y = 0; y < height; ++y) {
      auto* row = reinterpret_cast<Argb*>(static_cast<std::uint8_t*>(data.Scan0) + y * data.Stride);
      for (int x = 0; x < width; ++x) row[x] = Gradient(x, y) ^ 0x00402000u;
    }
    api::GdipBitmapUnlockBits(bitmap, &data);
  }
  return image;
}

// A face that GDI+ finds on this system (Wine's own Tahoma is not among its families), or "" when
// none is: a text box draws no text without one.
std::string DrawableFace() {
  for (const char* face : {"DejaVu Sans", "Liberation Sans", "WenQuanYi Micro Hei", "Arial", "Tahoma"}) {
    Gdiplus::GpFontFamily* family = nullptr;
    const WideText wide = ToWideText(face);
    if (api::GdipCreateFontFamilyFromName(wide.c_str(), nullptr, &family) == Gdiplus::Ok) {
      api::GdipDeleteFontFamily(family);
      return face;
    }
  }
  return "";
}

class LayerEquivalenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureSkinLayer();
    window_ = test::CreateForm(300, 200, kFormWidth, kFormHeight);
    ASSERT_TRUE(layered_.Attach(form()));
    ShowWindow(form(), SW_SHOWNOACTIVATE);
    // Backgrounds: opaque of the form's size without alpha (copied), with partial alpha, smaller
    // (stretched).
    backgrounds_.push_back(RgbBitmap(kFormWidth, kFormHeight));
    backgrounds_.push_back(test::MakeBitmap(kFormWidth, kFormHeight, [](int x, int y) {
      return (static_cast<Argb>((x + y) % 256) << 24) | (Gradient(x, y) & 0x00FFFFFF);
    }));
    backgrounds_.push_back(test::SolidBitmap(60, 40, 0xFF336699));
    // Pictures of several sizes, opaque, half transparent and with holes.
    pictures_.push_back(test::SolidBitmap(30, 20, 0xFFC03020));
    pictures_.push_back(test::SolidBitmap(30, 20, 0x8020C040));
    pictures_.push_back(test::MakeBitmap(40, 40, [](int x, int y) { return (x / 5 + y / 5) % 2 ? 0xFF2040E0 : 0u; }));
    pictures_.push_back(test::MakeBitmap(50, 25, [](int x, int) { return (static_cast<Argb>(x * 5) << 24) | 0xE0E020; }));
    pictures_.push_back(test::SolidBitmap(24, 24, 0xFF101010));
    parking_ = test::CreateForm(-2000, -2000, 100, 100);
    for (std::size_t i = 0; i < kFirstButtons; ++i) AddButton(10 + static_cast<int>(i) * 60, 10);
    for (int i = 0; i < 2; ++i) {
      windows_.push_back(test::CreateChild(form(), "Static", 20 + i * 90, 80, 40, 40));
      PictureBox box;
      box.AttachPicture(windows_.back().get(), Picture(static_cast<std::size_t>(i + 2)));
      boxes_.push_back(windows_.back().get());
    }
    windows_.push_back(test::CreateChild(form(), "Edit", 120, 120, 100, 22, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL));
    textBox_ = windows_.back().get();
    WriteProperty(textBox_, property::kType, static_cast<std::intptr_t>(ControlType::TextBox));
    WriteProperty(textBox_, property::kBackColor, 0x00FFFFFF);
    WriteProperty(textBox_, property::kBackAlpha, 200);
    WriteProperty(textBox_, property::kOrderColor, 0x00000080);
    WriteProperty(textBox_, property::kOrderAlpha, 255);
    SetWindowTextA(textBox_, "abc");
    windows_.push_back(test::CreateChild(form(), "Static", 0, 0, 30, 30));  // never drawn
    // TrueType faces that GDI+ can draw with; a box without a font draws no text.
    face_ = DrawableFace();
    fonts_.emplace_back(CreateFontA(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face_.c_str()));
    fonts_.emplace_back(CreateFontA(-18, 0, 0, 0, FW_BOLD, 1, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face_.c_str()));
    SendMessageA(textBox_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[0].get()), FALSE);
    layered_.SetBackground(backgrounds_[0].get());
    layered_.RefreshForm();
  }

  // The focus record is process-wide: leave it as the other tests expect it, empty.
  void TearDown() override {
    if (parked_ != nullptr) SetParent(parked_, form());
    FocusForm = nullptr;
    FocusTextBox = nullptr;
    api::GdipDisposeImage(FocusComposition);
    FocusComposition = nullptr;
    CaretShown = 0;
  }

  HWND form() const { return window_.get(); }
  SkinImage Picture(std::size_t index) const { return pictures_[index % pictures_.size()].get(); }

  void AddButton(int x, int y) {
    windows_.push_back(test::CreateChild(form(), "Button", x, y, 30, 20));
    ImageButton button;
    button.AttachButton(windows_.back().get(), Picture(buttons_.size()));
    button.SetStateImages(std::nullopt, Picture(buttons_.size() + 1), Picture(buttons_.size() + 4));
    buttons_.push_back(windows_.back().get());
  }

  std::vector<std::function<std::string(std::mt19937&)>> Operations() {
    std::vector<HWND> typed = buttons_;
    typed.insert(typed.end(), boxes_.begin(), boxes_.end());
    typed.push_back(textBox_);
    return {
        [this](std::mt19937& r) {  // the pointer and the left button, as the system sends them
          const HWND button = Pick(r, buttons_);
          const UINT message = Pick(r, std::vector<UINT>{WM_MOUSEMOVE, WM_MOUSELEAVE, WM_LBUTTONDOWN, WM_LBUTTONUP});
          SendMessageA(button, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(500, 500));
          return "mouse " + std::to_string(message);
        },
        [this](std::mt19937& r) {
          ImageButton button;
          button.AttachButton(Pick(r, buttons_));  // back to ButtonProc until the next RefreshForm
          const auto choice = [&]() -> std::optional<SkinImage> {
            const int k = Between(r, 0, 6);
            if (k == 0) return std::nullopt;
            if (k == 1) return nullptr;
            return Picture(static_cast<std::size_t>(k));
          };
          button.SetStateImages(choice(), choice(), choice(), choice());
          return std::string("set state images");
        },
        [this](std::mt19937& r) {
          const HWND button = Pick(r, buttons_);
          WriteProperty(button, property::kDrawState, Between(r, 0, 3));  // no message, no composition
          return std::string("draw state");
        },
        [this](std::mt19937& r) {
          EnableWindow(Pick(r, buttons_), Between(r, 0, 1));
          return std::string("enable");
        },
        [this](std::mt19937& r) {
          const int which = Between(r, 0, static_cast<int>(backgrounds_.size()) - 1);
          layered_.SetBackground(backgrounds_[static_cast<std::size_t>(which)].get());
          return "background " + std::to_string(which);
        },
        [this](std::mt19937& r) {
          const int which = Between(r, 0, static_cast<int>(backgrounds_.size()) - 1);
          WriteImageProperty(form(), property::kBackImage, backgrounds_[static_cast<std::size_t>(which)].get());
          return "background property " + std::to_string(which);  // no composition of its own
        },
        [this, typed](std::mt19937& r) {
          // Other code in the process writes the layer's properties with SetPropA itself: no
          // message, no composition, nothing through the layer.
          const HWND button = Pick(r, buttons_);
          const HANDLE picture = Picture(static_cast<std::size_t>(Between(r, 0, 5)));
          switch (r() % 5) {
            case 0:
              ::SetPropA(button, property::kNormalImage, picture);
              return std::string("SetPropA normal image");
            case 1:
              ::SetPropA(button, property::kDrawState, reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(Between(r, 0, 3))));
              return std::string("SetPropA draw state");
            case 2:
              ::SetPropA(Pick(r, boxes_), property::kBackImage, picture);
              return std::string("SetPropA box picture");
            case 3:
              ::SetPropA(Pick(r, typed), property::kBackType, reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(Between(r, 0, 3))));
              return std::string("SetPropA back type");
            default: {
              const int which = Between(r, 0, static_cast<int>(backgrounds_.size()) - 1);
              ::SetPropA(form(), property::kBackImage, backgrounds_[static_cast<std::size_t>(which)].get());
              return "SetPropA background " + std::to_string(which);
            }
          }
        },
        [this, typed](std::mt19937& r) {
          SetWindowPos(Pick(r, typed), nullptr, Between(r, -10, 220), Between(r, -10, 150), Between(r, 10, 60),
                       Between(r, 10, 45), SWP_NOZORDER | SWP_NOACTIVATE);
          return std::string("move");
        },
        [this, typed](std::mt19937& r) {  // one coordinate at a time
          const HWND child = Pick(r, typed);
          RECT rect{};
          GetWindowRect(child, &rect);
          POINT corner{rect.left, rect.top};
          ScreenToClient(form(), &corner);
          const int step = Between(r, 0, 1) ? 1 : -3;
          int width = rect.right - rect.left;
          int height = rect.bottom - rect.top;
          switch (r() % 4) {
            case 0: corner.x += step; break;
            case 1: corner.y += step; break;
            case 2: width = std::max(1, width + step); break;
            default: height = std::max(1, height + step); break;
          }
          SetWindowPos(child, nullptr, corner.x, corner.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
          return std::string("nudge");
        },
        [this, typed](std::mt19937& r) {
          SetWindowPos(Pick(r, typed), Between(r, 0, 1) ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
          return std::string("z-order");
        },
        [this](std::mt19937& r) {  // the form itself dragged, or raised among the top-level windows
          SetWindowPos(form(), Between(r, 0, 1) ? HWND_TOP : HWND_BOTTOM, Between(r, 60, 140), Between(r, 60, 140), 0,
                       0, SWP_NOSIZE | SWP_NOACTIVATE);
          return std::string("move form");
        },
        [this, typed](std::mt19937& r) {
          ShowWindow(Pick(r, typed), Between(r, 0, 1) ? SW_HIDE : SW_SHOWNA);
          return std::string("show/hide");
        },
        [this](std::mt19937& r) {
          if (buttons_.size() >= 6) return std::string("(enough buttons)");
          AddButton(Between(r, 0, 200), Between(r, 0, 130));
          return std::string("new button");
        },
        [this](std::mt19937&) {  // only the buttons added by "new button": the others stay for later steps
          if (buttons_.size() <= kFirstButtons) return std::string("(no added button)");
          const HWND gone = buttons_.back();
          buttons_.pop_back();
          windows_.erase(std::find_if(windows_.begin(), windows_.end(),
                                      [gone](const test::TestWindow& w) { return w.get() == gone; }));
          return std::string("destroy button");
        },
        [this](std::mt19937& r) {  // a skinned child leaves the form for another window, or comes back
          if (parked_ != nullptr) {
            SetParent(parked_, form());
            parked_ = nullptr;
            return std::string("reparent back");
          }
          parked_ = Pick(r, boxes_);  // a button there would compose the other window
          SetParent(parked_, parking_.get());
          return std::string("reparent away");
        },
        [this](std::mt19937& r) {  // the same while hidden: the window itself is sent nothing
          if (parked_ != nullptr) return std::string("(a box is away)");
          const HWND box = Pick(r, boxes_);
          if (IsWindowVisible(box)) return std::string("(box visible)");
          parked_ = box;
          SetParent(box, parking_.get());
          return std::string("hidden box away");
        },
        [this](std::mt19937& r) {  // a picture box loses its type, or gets it back
          if (untyped_ != nullptr) {
            WriteProperty(untyped_, property::kType, static_cast<std::intptr_t>(ControlType::PictureBox));
            untyped_ = nullptr;
            return std::string("type again");
          }
          untyped_ = Pick(r, boxes_);
          RemoveLayerProp(untyped_, property::kType);
          return std::string("untype");
        },
        [this](std::mt19937& r) {
          PictureBox box;
          box.AttachPicture(Pick(r, boxes_));
          const int k = Between(r, 0, 5);
          box.SetPicture(k == 0 ? nullptr : Picture(static_cast<std::size_t>(k)));
          box.SetBackType(Between(r, 0, 3));
          return std::string("picture box");
        },
        [this](std::mt19937& r) {
          const char* texts[] = {"", "abc", "Quorlin", "1234567890"};
          SetWindowTextA(textBox_, texts[r() % 4]);  // recomposes through TextBoxChildProc
          return std::string("set text");
        },
        [this](std::mt19937& r) {
          SendMessageA(textBox_, EM_SETSEL, 0, -1);
          SendMessageA(textBox_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Between(r, 0, 1) ? "xy" : "W"));
          return std::string("replace text");  // no recomposition of its own
        },
        [this](std::mt19937& r) {
          const char* names[] = {property::kTextColor, property::kBackColor, property::kBackAlpha,
                                 property::kOrderColor, property::kOrderAlpha};
          const std::vector<std::intptr_t> values = {-1, 0, 0x80, 0xFF, 0x00FF00FF};
          const char* name = names[r() % 5];
          WriteProperty(textBox_, name, Pick(r, values));
          WriteProperty(textBox_, property::kTextColor, Pick(r, values));  // seen only with text
          return std::string("text box colours ") + name;
        },
        [this](std::mt19937& r) {
          SendMessageA(textBox_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[r() % fonts_.size()].get()), FALSE);
          return std::string("font");
        },
        [this](std::mt19937& r) {
          SendMessageA(textBox_, Between(r, 0, 2) ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
          return std::string("focus");
        },
        [this](std::mt19937& r) {
          // The focus record is the layer's public state: here it changes without a composition.
          if (Between(r, 0, 1)) {
            FocusForm = form();
            FocusTextBox = textBox_;
          } else {
            FocusForm = nullptr;
            FocusTextBox = nullptr;
          }
          return std::string("focus record");
        },
        [this](std::mt19937&) {
          CaretTick(form(), WM_TIMER, kCaretTimerId, 0);  // the caret shown or hidden over FocusComposition
          return std::string("caret tick");
        },
        [this](std::mt19937&) {
          layered_.RefreshForm();
          return std::string("refresh");
        },
    };
  }

  static constexpr std::size_t kFirstButtons = 3;
  test::TestWindow window_;
  test::TestWindow parking_;  // where a child goes when it leaves the form
  HWND parked_ = nullptr;
  HWND untyped_ = nullptr;
  LayeredForm layered_;
  std::vector<platform::UniqueImage> backgrounds_;
  std::vector<platform::UniqueImage> pictures_;
  std::vector<test::TestWindow> windows_;
  std::vector<HWND> buttons_;
  std::vector<HWND> boxes_;
  HWND textBox_ = nullptr;
  std::string face_;
  std::vector<platform::UniqueFont> fonts_;
};

TEST_F(LayerEquivalenceTest, SkippedRefreshesShowWhatAFullCompositionShows) {
  EquivalenceRun* run = nullptr;
  EquivalenceRun equivalence(form(), Operations(), [&] {
    run->presentationsBeforeRefresh_ = run->recorder_.count();
    layered_.RefreshForm();
  });
  run = &equivalence;
  equivalence.Run(Seed(), 200);
}

// The copies that stand in for draws give the draw's bytes: an opaque background of the form's
// size, and every alpha value on its way into the presentation surface.
TEST_F(LayerEquivalenceTest, CopiedPixelsAreTheBytesTheDrawsGive) {
  platform::UniqueImage alphas = test::MakeBitmap(kFormWidth, kFormHeight, [](int x, int y) {
    return (static_cast<Argb>((x + y * kFormWidth) % 256) << 24) | ((static_cast<Argb>(x) * 2654435761u) & 0xFFFFFF);
  });
  for (SkinImage image : {backgrounds_[0].get(), backgrounds_[1].get(), alphas.get()}) {
    // The reference: the picture drawn with GDI+ onto an empty 32-bit DIB section, premultiplied.
    test::PixelDc drawn(kFormWidth, kFormHeight, 0);
    {
      platform::UniqueGraphics graphics;
      api::GdipCreateFromHDC(drawn.dc(), graphics.Put());
      api::GdipDrawImageRectI(graphics.get(), image, 0, 0, kFormWidth, kFormHeight);
    }
    PresentRecorder presented;
    PresentLayered(form(), image, false);
    ASSERT_EQ(presented.count(), 1);
    int mismatches = 0;
    for (int y = 0; y < kFormHeight; ++y) {
      for (int x = 0; x < kFormWidth; ++x) mismatches += presented.Pixel(x, y) != drawn.Pixel(x, y);
    }
    EXPECT_EQ(mismatches, 0);
  }

  // A composition of the RGB background copies it in: the same as drawing it over nothing.
  platform::UniqueImage drawnBackground = test::SolidBitmap(kFormWidth, kFormHeight, 0);
  {
    platform::UniqueGraphics graphics;
    api::GdipGetImageGraphicsContext(drawnBackground.get(), graphics.Put());
    api::GdipDrawImageRect(graphics.get(), backgrounds_[0].get(), 0, 0, kFormWidth, kFormHeight);
  }
  for (const test::TestWindow& child : windows_) ShowWindow(child.get(), SW_HIDE);
  for (const test::TestWindow& child : windows_) SetWindowPos(child.get(), nullptr, -500, -500, 1, 1, SWP_NOZORDER);
  FocusForm = form();
  layered_.SetBackground(backgrounds_[0].get());
  ASSERT_NE(FocusComposition, nullptr);
  // Every child lies outside the form now; only the background is left.
  EXPECT_EQ(test::ReadPixels(FocusComposition, kFormWidth, kFormHeight),
            test::ReadPixels(drawnBackground.get(), kFormWidth, kFormHeight));
  FocusForm = nullptr;
}

TEST_F(LayerEquivalenceTest, ARefreshWithNothingChangedPresentsNothingAndAChangeIsShown) {
  PresentRecorder presented;
  // The text box's text is part of the picture (the runs above change it): "abc" and "" differ.
  ComposeForm(form());
  const std::vector<Argb> withText = Presented(presented);
  SendMessageA(textBox_, EM_SETSEL, 0, -1);
  SendMessageA(textBox_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
  ComposeForm(form());
  if (!face_.empty()) {
    EXPECT_NE(Presented(presented), withText) << face_;
  } else {
    std::printf("[ note     ] no font family GDI+ can draw with: text boxes draw no text here\n");
  }
  const int composed = presented.count();

  layered_.RefreshForm();
  layered_.RefreshForm();
  EXPECT_EQ(presented.count(), composed);
  // Dragging the form moves the picture, it does not change it: nothing to compose.
  RECT formRect{};
  GetWindowRect(form(), &formRect);
  SetWindowPos(form(), nullptr, formRect.left + 7, formRect.top + 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  layered_.RefreshForm();
  EXPECT_EQ(presented.count(), composed) << "a moved form composes nothing";
  WriteImageProperty(boxes_[0], property::kBackImage, Picture(0));  // changed without a composition
  layered_.RefreshForm();
  ASSERT_EQ(presented.count(), composed + 1);
  RECT rect{};
  GetWindowRect(boxes_[0], &rect);
  POINT corner{rect.left, rect.top};
  ScreenToClient(form(), &corner);
  EXPECT_EQ(presented.Pixel(corner.x + 5, corner.y + 5), 0xFFC03020u);
  layered_.RefreshForm();
  // Written by other code with SetPropA itself: seen as well.
  ::SetPropA(boxes_[0], property::kBackImage, Picture(4));
  layered_.RefreshForm();
  ASSERT_EQ(presented.count(), composed + 2);
  EXPECT_EQ(presented.Pixel(corner.x + 5, corner.y + 5), 0xFF101010u);
  {
    // A periodic refresh looks for such a write again only once kRereadPeriodMs have passed since
    // it last did; any other refresh looks every time.
    DWORD& now = fakeNow;
    now = GetTickCount();
    api::ScopedOverride clock(api::GetTickCount, &FakeNow);
    layered_.RefreshForm();  // reads them now: nothing changed
    ::SetPropA(boxes_[0], property::kBackImage, Picture(0));
    now += kRereadPeriodMs - 1;
    layered_.RefreshOnTick();
    EXPECT_EQ(presented.count(), composed + 2) << "trusted the change counter";
    now += 1;
    layered_.RefreshOnTick();
    ASSERT_EQ(presented.count(), composed + 3) << "read the properties again";
    EXPECT_EQ(presented.Pixel(corner.x + 5, corner.y + 5), 0xFFC03020u);
    ::SetPropA(boxes_[0], property::kBackImage, Picture(4));
    layered_.RefreshOnTick();
    EXPECT_EQ(presented.count(), composed + 3);
    layered_.RefreshForm();
    EXPECT_EQ(presented.count(), composed + 4);
  }
  // Made layered anew (a second Attach), the window may have lost its picture: composed again.
  ASSERT_TRUE(layered_.Attach(form()));
  layered_.RefreshForm();
  EXPECT_EQ(presented.count(), composed + 5);
}

// A hidden child handed away and back between two refreshes is sent nothing, but comes back at the
// top of its siblings: it is drawn first, under the others, from the next refresh on.
TEST_F(LayerEquivalenceTest, AHiddenChildReparentedAwayAndBackIsDrawnInItsNewPlaceInTheOrder) {
  PresentRecorder presented;
  // The two boxes overlap, the second one over the first.
  SetWindowPos(boxes_[1], nullptr, 30, 85, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  PictureBox box;
  box.AttachPicture(boxes_[0]);
  box.SetPicture(Picture(0));
  box.AttachPicture(boxes_[1]);
  box.SetPicture(Picture(4));
  ShowWindow(boxes_[1], SW_HIDE);
  layered_.RefreshForm();
  layered_.RefreshForm();  // the list of children is known now
  SetParent(boxes_[1], parking_.get());
  SetParent(boxes_[1], form());
  layered_.RefreshForm();
  const std::vector<Argb> shown = Presented(presented);
  ComposeForm(form());
  EXPECT_EQ(FirstDifference(shown, Presented(presented), presented.width()), "");
}

// --- The tool itself ------------------------------------------------------------------------------

class ToolEquivalenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetWindowServiceForTesting();
    app::state() = app::ToolState{};
    app::OpenTool();
    main_ = platform::WindowHandle(app::MainWindow);
    ASSERT_NE(main_, nullptr);
  }
  void TearDown() override { platform::ResetWindowServiceForTesting(); }

  std::vector<std::function<std::string(std::mt19937&)>> Operations() {
    using namespace app;
    const std::vector<platform::ControlRef> buttons = {
        {kMainWindowId, kRadio100}, {kMainWindowId, kRadio125}, {kMainWindowId, kRadio150}, {kMainWindowId, kRadio200},
        {kMainWindowId, kRadio250}, ApplyButton, CloseButton, LogOffButton};
    return {
        [](std::mt19937& r) {
          const std::vector<void (*)()> select = {OnSelect100, OnSelect125, OnSelect150, OnSelect200, OnSelect250};
          Pick(r, select)();
          return std::string("select level");
        },
        [buttons](std::mt19937& r) {
          // Releases land outside the button, so nothing is clicked (Apply and Close stay put).
          const UINT message = Pick(r, std::vector<UINT>{WM_MOUSEMOVE, WM_MOUSELEAVE, WM_LBUTTONDOWN, WM_LBUTTONUP});
          SendMessageA(platform::WindowHandle(Pick(r, buttons)), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                       MAKELPARAM(-20, -20));
          return "mouse " + std::to_string(message);
        },
        [](std::mt19937&) {
          SkinObjects& skin = skinObjects();
          skin.logOff.AttachButton(platform::WindowHandle(LogOffButton));
          skin.logOff.SetStateImages(Picture(resources::LogOffNormal()), Picture(resources::LogOffOver()),
                                     Picture(resources::LogOffPressed()));
          return std::string("attach log off");
        },
        [](std::mt19937& r) {
          platform::SetControlProperty(LogOffButton, platform::kPropTop, Between(r, 300, 480));
          return std::string("move log off");
        },
        [](std::mt19937& r) {
          platform::SetControlProperty(ApplyButton, platform::kPropDisabled, Between(r, 0, 1) == 1);
          return std::string("apply enabled");
        },
        [](std::mt19937& r) {
          skinObjects().form.SetBackground(
              Picture(Between(r, 0, 1) ? resources::DoneBackground() : resources::IntroBackground()));
          return std::string("background");
        },
        [](std::mt19937&) {
          skinObjects().form.RefreshForm();
          return std::string("refresh form");
        },
        [](std::mt19937&) {
          OnRefreshTick();
          return std::string("tick");
        },
    };
  }

  HWND main_ = nullptr;
};

TEST_F(ToolEquivalenceTest, IdleTicksShowWhatAFullCompositionShows) {
  EquivalenceRun* run = nullptr;
  EquivalenceRun equivalence(main_, Operations(), [&] {
    run->presentationsBeforeRefresh_ = run->recorder_.count();
    app::OnRefreshTick();
  });
  run = &equivalence;
  equivalence.Run(Seed() + 1, 80);
}

}  // namespace
}  // namespace quorlin::skin
