// A window that shows the skinned-control layer's text box, caret, image button, picture box and
// tooltips on a layered form. Not part of the tool: built as quorlin-layer-demo.exe for trying the
// layer out by hand. Drag the window anywhere off the controls; Esc or the button closes it.
//
// Plain window management calls user32 directly; GDI+ is reached through the layer's function table
// (nothing links to GDI+ at build time), like everything the layer does.
#include <windows.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/handle_owners.h"
#include "platform/win_api.h"
#include "resources/image_resources.h"
#include "skin/composition.h"
#include "skin/control_properties.h"
#include "skin/image_button.h"
#include "skin/logic/placement.h"
#include "skin/picture_box.h"
#include "skin/skin_image.h"
#include "skin/text_objects.h"

namespace {

using namespace quorlin;
using namespace quorlin::skin;

constexpr char kClassName[] = "QuorlinLayerDemo";
constexpr char kTitle[] = "Quorlin layer demo";
constexpr int kWidth = 480;
constexpr int kHeight = 300;
constexpr int kCornerRadius = 18;

constexpr int kBoxLeft = 40;
constexpr int kBoxTop = 112;
constexpr int kBoxWidth = 400;
constexpr int kBoxHeight = 36;

struct Demo {
  HWND form = nullptr;
  HWND box = nullptr;
  HWND button = nullptr;
  LayeredForm layered;
  ImageButton closeButton;
  PictureBox picture;
  HFONT boxFont = nullptr;
  std::string face;
};
Demo demo;

// ---- Background ----

// Coverage (0..1) of the pixel (x, y) by the form's rounded rectangle, from 4 x 4 samples.
double RoundedCoverage(int x, int y) {
  int inside = 0;
  for (int sy = 0; sy < 4; ++sy) {
    for (int sx = 0; sx < 4; ++sx) {
      const double px = x + (sx + 0.5) / 4.0;
      const double py = y + (sy + 0.5) / 4.0;
      const double cx = std::fmin(std::fmax(px, kCornerRadius), kWidth - kCornerRadius);
      const double cy = std::fmin(std::fmax(py, kCornerRadius), kHeight - kCornerRadius);
      inside += (px - cx) * (px - cx) + (py - cy) * (py - cy) <= kCornerRadius * kCornerRadius;
    }
  }
  return inside / 16.0;
}

std::uint32_t Mix(std::uint32_t from, std::uint32_t to, double t) {
  std::uint32_t result = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const double a = (from >> shift) & 0xFF;
    const double b = (to >> shift) & 0xFF;
    result |= static_cast<std::uint32_t>(a + (b - a) * t) << shift;
  }
  return result;
}

// A rounded, slightly translucent gradient card with a light rim; the corners are transparent.
void PaintCard(Gdiplus::GpBitmap* bitmap) {
  Gdiplus::GpRect all{0, 0, kWidth, kHeight};
  Gdiplus::BitmapData data{};
  if (api::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &data) != Gdiplus::Ok) {
    return;
  }
  for (int y = 0; y < kHeight; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(data.Scan0) + y * data.Stride);
    for (int x = 0; x < kWidth; ++x) {
      const double coverage = RoundedCoverage(x, y);
      // The rim: pixels whose inner neighbours two steps in are not fully inside.
      const bool rim = coverage > 0 && (RoundedCoverage(x - 2, y) < 1 || RoundedCoverage(x + 2, y) < 1 ||
                                        RoundedCoverage(x, y - 2) < 1 || RoundedCoverage(x, y + 2) < 1);
      std::uint32_t rgb = Mix(0x1F3B5C, 0x4A2F66, static_cast<double>(y) / kHeight);
      if (rim) rgb = 0x9FC3E8;
      const auto alpha = static_cast<std::uint32_t>(coverage * 245.0);
      row[x] = (alpha << 24) | rgb;
    }
  }
  api::GdipBitmapUnlockBits(bitmap, &data);
}

void DrawLabel(Gdiplus::GpGraphics* graphics, const wchar_t* text, float x, float y, float size, int style,
               Gdiplus::ARGB color) {
  SkinFont font;
  if (font.Create(demo.face.c_str(), size, style, Gdiplus::UnitPixel) != Gdiplus::Ok) return;
  SkinStringFormat format;
  format.Create(Gdiplus::StringFormatFlagsNoWrap, 0);
  Gdiplus::GpSolidFill* fill = nullptr;
  api::GdipCreateSolidFill(color, &fill);
  platform::UniqueGpBrush brush(fill);
  const Gdiplus::RectF layout(x, y, kWidth - x - 20, size * 2);
  api::GdipDrawString(graphics, text, -1, font.Handle(), &layout, format.Handle(), brush.get());
}

// The background picture, drawn at run time; it lives as long as the program.
SkinImage MakeBackground() {
  Gdiplus::GpBitmap* bitmap = nullptr;
  api::GdipCreateBitmapFromScan0(kWidth, kHeight, 0, PixelFormat32bppARGB, nullptr, &bitmap);
  if (bitmap == nullptr) return nullptr;
  PaintCard(bitmap);
  platform::UniqueGraphics graphics;
  api::GdipGetImageGraphicsContext(bitmap, graphics.Put());
  if (graphics) {
    DrawLabel(graphics.get(), L"Quorlin layer demo", 36, 26, 24, Gdiplus::FontStyleBold, 0xFFFFFFFF);
    DrawLabel(graphics.get(), L"A text box on a layered form: type into it.", 40, 84, 14, 0, 0xFFD6E4F5);
    DrawLabel(graphics.get(), L"Rest the pointer on the picture or the button for a tooltip.", 40, 166, 14, 0,
              0xFFD6E4F5);
    DrawLabel(graphics.get(), L"A picture box", 70, 205, 14, 0, 0xFFD6E4F5);
    DrawLabel(graphics.get(), L"Drag to move it, Esc closes it.", 40, 258, 13, 0, 0xFFB8C8DC);
  }
  return bitmap;
}

// ---- Font ----

// The text in the ANSI code page, or the fallback when the code page cannot spell it: the layer's
// texts are ANSI, as in the tool.
std::string AnsiOr(const wchar_t* text, const char* fallback) {
  char ansi[256] = {};
  BOOL lossy = FALSE;
  if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, ansi, sizeof(ansi), nullptr, &lossy) <= 0 ||
      lossy) {
    return fallback;
  }
  return ansi;
}

// The first face GDI+ knows whose name survives the trip through the ANSI code page: the text box
// reads its font back as a LOGFONTA, so a name that the code page cannot spell finds no family.
std::string PickFace() {
  const wchar_t* candidates[] = {L"微软雅黑", L"Microsoft YaHei", L"WenQuanYi Micro Hei", L"Segoe UI", L"Tahoma",
                                 L"DejaVu Sans"};
  for (const wchar_t* candidate : candidates) {
    const std::string ansi = AnsiOr(candidate, "");
    if (ansi.empty() || ansi.size() >= LF_FACESIZE) continue;
    SkinFontFamily family;
    if (family.FromName(ansi.c_str()) == Gdiplus::Ok) return ansi;
  }
  return "Tahoma";
}

HFONT MakeBoxFont(const std::string& face) {
  LOGFONTA logFont{};
  logFont.lfHeight = -16;
  logFont.lfWeight = FW_NORMAL;
  logFont.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(logFont.lfFaceName, face.c_str(), LF_FACESIZE);
  return CreateFontIndirectA(&logFont);
}

// ---- Window ----

LRESULT CALLBACK DemoProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      // Anywhere off the controls: move the card as if by its caption.
      ReleaseCapture();
      SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
      return 0;
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) == demo.button && HIWORD(wParam) == BN_CLICKED) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

// An edit control made a text box of the layer: the properties are all it takes; RefreshForm then
// gives it its layered-mode procedure.
HWND CreateTextBox(HWND form) {
  const HWND box = CreateWindowExA(0, "Edit", AnsiOr(L"你好, layered world", "Hello, layered world").c_str(),
                                   WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, kBoxLeft, kBoxTop, kBoxWidth, kBoxHeight,
                                   form, nullptr, nullptr, nullptr);
  if (box == nullptr) return nullptr;
  demo.boxFont = MakeBoxFont(demo.face);
  SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(demo.boxFont), FALSE);
  WriteProperty(box, property::kType, static_cast<std::intptr_t>(ControlType::TextBox));
  WriteProperty(box, property::kTextColor, RGB(24, 32, 48));
  WriteProperty(box, property::kBackColor, RGB(250, 252, 255));
  WriteProperty(box, property::kBackAlpha, 240);
  WriteProperty(box, property::kOrderColor, RGB(255, 196, 64));
  WriteProperty(box, property::kOrderAlpha, 255);
  return box;
}

bool CreateDemo(HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = DemoProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  if (RegisterClassExA(&windowClass) == 0) return false;

  const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  demo.form = CreateWindowExA(0, kClassName, kTitle, WS_POPUP, x, y, kWidth, kHeight, nullptr, nullptr, instance,
                              nullptr);
  if (demo.form == nullptr || !demo.layered.Attach(demo.form)) return false;

  demo.face = PickFace();
  demo.box = CreateTextBox(demo.form);

  demo.button = demo.closeButton.CreateButton(demo.form, 290, 228, 160, 52, "Close");
  demo.closeButton.SetStateImagesFromResources(resources::ApplyNormal(), resources::ApplyOver(),
                                               resources::ApplyPressed());
  demo.picture.CreatePicture(demo.form, 40, 203, 22, 22);
  demo.picture.LoadPicture(resources::RadioOn());

  demo.layered.SetBackground(MakeBackground());
  // Children into layered mode before the tooltips: the tooltip window subclasses each control, and
  // RefreshForm, putting back a kept procedure, would cut that subclass out of the chain.
  demo.layered.RefreshForm();
  demo.closeButton.SetToolTip("Closes the demo (centred below the button)", false);
  demo.picture.SetToolTip("A picture box with a tooltip at the pointer");

  ShowWindow(demo.form, SW_SHOW);
  if (demo.box != nullptr) {
    SetFocus(demo.box);
    SendMessageA(demo.box, EM_SETSEL, 0x7FFF, 0x7FFF);  // caret after the text
  }
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  SkinLayerStartup();
  if (!CreateDemo(instance)) return 1;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    // Esc closes the demo wherever the focus is (the text box would otherwise swallow it).
    if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
      DestroyWindow(demo.form);
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (demo.boxFont != nullptr) DeleteObject(demo.boxFont);
  return 0;
}
