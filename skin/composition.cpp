#include "skin/composition.h"

#include <utility>

#include "platform/handle_owners.h"
#include "platform/win_api.h"
#include "skin/caret.h"
#include "skin/frame_surface.h"
#include "skin/frame_memo.h"
#include "skin/image_button.h"
#include "skin/logic/placement.h"
#include "skin/skin_control.h"
#include "skin/text_box.h"
#include "skin/text_drawing.h"
#include "skin/window_properties.h"

namespace quorlin::skin {

HWND FocusForm = nullptr;
HWND FocusTextBox = nullptr;
SkinImage FocusComposition = nullptr;
int CaretShown = 0;

namespace {

using platform::ScopedSelect;
using platform::UniqueBitmap;
using platform::UniqueGpBrush;
using platform::UniqueGraphics;
using platform::UniqueImage;
using platform::UniqueMemoryDc;
using platform::UniquePen;
using platform::WindowDc;

struct Extent {
  int width = 0;
  int height = 0;
};

Extent WindowExtent(HWND hwnd) {
  RECT rect{};
  api::GetWindowRect(hwnd, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// The child's top-left corner in the form's client coordinates, and its extent.
struct ChildPlace {
  POINT corner{};
  Extent extent;
};

ChildPlace PlaceOf(HWND form, HWND child) {
  RECT rect{};
  api::GetWindowRect(child, &rect);
  ChildPlace place{{rect.left, rect.top}, {rect.right - rect.left, rect.bottom - rect.top}};
  api::ScreenToClient(form, &place.corner);
  return place;
}

Placement PlacePicture(int backType, SkinImage picture, Extent extent) {
  Gdiplus::REAL width = 0;
  Gdiplus::REAL height = 0;
  api::GdipGetImageDimension(picture, &width, &height);
  return PlaceImage(backType, width, height, extent.width, extent.height);
}

// A text box colour of -1 is none: nothing is filled or framed.
bool HasColor(std::intptr_t color) { return static_cast<std::int32_t>(color) != -1; }

Gdiplus::ARGB TextBoxArgb(std::intptr_t color, std::intptr_t alpha) {
  return ColorToArgb(static_cast<std::uint32_t>(color), static_cast<std::uint32_t>(alpha));
}

void ComposeFrom(HWND form, FrameRecord record);
void DrawChild(HWND form, const ChildLook& look, Gdiplus::GpGraphics* graphics);

// The procedure a skinned child of a layered form runs with once the composition draws it.
WNDPROC LayeredModeProcedure(ControlType type) {
  switch (type) {
    case ControlType::ImageButton: return ButtonChildProc;
    case ControlType::TextBox: return TextBoxChildProc;
    default: return nullptr;
  }
}

// Undoes the ordinary-window subclass of a skinned child and installs its layered-mode procedure,
// once: the composition draws the child from now on.
void SwitchToLayeredMode(HWND child, ControlType type) {
  // A child already running its layered-mode procedure has nothing to undo or install: that
  // procedure is installed only together with "PngControl_ChildWndProc", and a later Subclass
  // always replaces it (with an ordinary-mode procedure) when it stores "PngControl_WndProc".
  // Checking the procedure reads no window property, which the periodic refresh cares about.
  const WNDPROC layered = LayeredModeProcedure(type);
  if (layered != nullptr &&
      api::GetWindowLongPtrW(child, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(layered)) {
    return;
  }
  if (HANDLE kept = GetLayerProp(child, property::kWndProc)) {
    api::SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kept));
    RemoveLayerProp(child, property::kWndProc);
  }
  if (GetLayerProp(child, property::kChildWndProc) == nullptr && layered != nullptr) {
    const LONG_PTR replaced = api::SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(layered));
    SetLayerProp(child, property::kChildWndProc, reinterpret_cast<HANDLE>(replaced));
  }
}

}  // namespace

HBITMAP CaptureCache(HWND control, HDC paintDC) {
  const Extent extent = WindowExtent(control);
  if (HANDLE previous = GetLayerProp(control, property::kCacheBitmap)) api::DeleteObject(previous);
  UniqueMemoryDc memory(api::CreateCompatibleDC(paintDC));
  HBITMAP bitmap = api::CreateCompatibleBitmap(paintDC, extent.width, extent.height);
  if (memory && bitmap != nullptr) {
    ScopedSelect select(memory.get(), bitmap);
    api::BitBlt(memory.get(), 0, 0, extent.width, extent.height, paintDC, 0, 0, SRCCOPY);
  }
  SetLayerProp(control, property::kCacheBitmap, bitmap);
  return bitmap;
}

void PaintControl(HWND control, HDC dc, SkinImage picture) {
  auto cache = reinterpret_cast<HBITMAP>(GetLayerProp(control, property::kCacheBitmap));
  if (cache == nullptr) return;
  const Extent extent = WindowExtent(control);
  std::optional<WindowDc> windowDc;
  if (dc == nullptr) {
    windowDc.emplace(WindowDc::ForWindow(control));
    dc = windowDc->get();
  }
  UniqueMemoryDc memory(api::CreateCompatibleDC(dc));
  UniqueBitmap bitmap(api::CreateCompatibleBitmap(dc, extent.width, extent.height));
  if (!memory || !bitmap) return;
  ScopedSelect select(memory.get(), bitmap.get());
  {
    UniqueGraphics graphics;
    api::GdipCreateFromHDC(memory.get(), graphics.Put());
    {
      Gdiplus::GpBitmap* snapshot = nullptr;
      api::GdipCreateBitmapFromHBITMAP(cache, nullptr, &snapshot);
      UniqueImage owner(snapshot);
      if (owner) api::GdipDrawImageRectI(graphics.get(), owner.get(), 0, 0, extent.width, extent.height);
    }
    if (picture != nullptr) {
      const ImageRect rect =
        PlacePicture(static_cast<int>(ReadProperty(control, property::kBackType)), picture, extent).destination;
      api::GdipDrawImageRect(graphics.get(), picture, rect.x, rect.y, rect.width, rect.height);
    }
  }  // the graphics is gone before its pixels are copied out
  api::BitBlt(dc, 0, 0, extent.width, extent.height, memory.get(), 0, 0, SRCCOPY);
}

void ComposeForm(HWND form) {
  // A minimised window's rectangle is the small iconic one: a picture of that size would be a
  // squashed frame on the taskbar thumbnail and in the restore animation. The window keeps its last
  // full picture, and the first refresh after the restore composes what changed meanwhile.
  if (!api::IsWindow(form) || api::IsIconic(form)) return;
  ComposeFrom(form, TakeFrameRecord(form));
}

namespace {

// Pushes the surface's picture to the layered window 1:1 with per-pixel alpha; true when the system
// took it. No screen DC is asked for: without one the default palette is used, which a 32-bit
// picture does not need, and asking for a window's DC costs the window server a visible region.
bool Show(HWND form, const SurfaceLease& surface, Extent extent) {
  SIZE size{extent.width, extent.height};
  POINT origin{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  return api::UpdateLayeredWindow(form, nullptr, nullptr, &size, surface.dc(), &origin, 0, &blend, ULW_ALPHA) !=
         FALSE;
}

// Composes what `record` (taken a moment ago) says the form is drawn from straight into the
// presentation surface and presents it; the record is remembered once the picture is on screen.
void ComposeFrom(HWND form, FrameRecord record) {
  const Extent extent = WindowExtent(form);
  const SurfaceLease surface(extent.width, extent.height);
  if (surface.dc() == nullptr) return;

  // Background: stretched over the whole form whatever its own size. An opaque one of the form's
  // own size is copied in pixel for pixel: exactly what the draw gives, without resampling and
  // blending 800 x 540 pixels. Otherwise the surface starts fully transparent, as a new one.
  SkinImage background = record.background;
  const bool backgroundCopied = surface.CopyOpaque(background);
  if (!backgroundCopied) surface.Clear();
  {
    UniqueGraphics graphics;
    api::GdipGetImageGraphicsContext(surface.bitmap(), graphics.Put());
    if (!graphics) return;
    if (background != nullptr && !backgroundCopied)
      api::GdipDrawImageRect(graphics.get(), background, 0, 0, static_cast<Gdiplus::REAL>(extent.width),
                             static_cast<Gdiplus::REAL>(extent.height));
    // The skinned children, in z-order (a later one is drawn over an earlier one), as the record
    // found them a moment ago on this thread: one walk over the children per frame.
    for (const ChildLook& child : record.children) DrawChild(form, child, graphics.get());
  }  // drawn through before the pixels are presented

  // Only a picture the system took counts as shown: after a failure the next refresh tries again.
  if (!Show(form, surface, extent)) {
    ForgetShown(form);  // the screen may show anything older
    return;
  }
  // The focus form's picture is kept for the caret to blink on.
  const bool kept = form == FocusForm;
  if (kept) {
    Gdiplus::GpImage* copy = nullptr;
    api::GdipCloneImage(surface.bitmap(), &copy);
    UniqueImage previous(FocusComposition);
    FocusComposition = copy;
  }
  NoteShown(form, std::move(record), kept && FocusComposition != nullptr);
}

}  // namespace

bool FocusCuesShown(HWND form) {
  return (api::SendMessageW(form, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

namespace {

// A frame of `thickness` pixels just inside the rectangle.
void FillFrame(Gdiplus::GpGraphics* graphics, Gdiplus::ARGB color, int x, int y, int w, int h, int thickness) {
  Gdiplus::GpSolidFill* fill = nullptr;
  api::GdipCreateSolidFill(color, &fill);
  UniqueGpBrush brush(fill);
  if (!brush) return;
  const int sides[4][4] = {{x, y, w, thickness},
                           {x, y + h - thickness, w, thickness},
                           {x, y + thickness, thickness, h - 2 * thickness},
                           {x + w - thickness, y + thickness, thickness, h - 2 * thickness}};
  for (const auto& side : sides) {
    api::GdipFillRectangle(graphics, brush.get(), static_cast<float>(side[0]), static_cast<float>(side[1]),
                           static_cast<float>(side[2]), static_cast<float>(side[3]));
  }
}

// The focus ring lies around the control, outside its picture: two white pixels edged with one
// black one, clear on the dark panel and on the light picture alike.
void DrawFocusRing(Gdiplus::GpGraphics* graphics, const ChildPlace& place) {
  const int x = place.corner.x;
  const int y = place.corner.y;
  const int w = place.extent.width;
  const int h = place.extent.height;
  FillFrame(graphics, 0xFF000000, x - 3, y - 3, w + 6, h + 6, 1);
  FillFrame(graphics, 0xFFFFFFFF, x - 2, y - 2, w + 4, h + 4, 2);
}

// Draws one skinned child at its place on the form from what its properties held when the frame
// record was taken, with a focus ring around an image button that has the keyboard focus while the
// form shows focus cues.
void DrawChild(HWND form, const ChildLook& look, Gdiplus::GpGraphics* graphics) {
  const HWND child = look.hwnd;
  const ChildPlace place = PlaceOf(form, child);
  const auto px = static_cast<float>(place.corner.x);
  const auto py = static_cast<float>(place.corner.y);
  const auto w = static_cast<float>(place.extent.width);
  const auto h = static_cast<float>(place.extent.height);
  const bool textBox = look.type == ControlType::TextBox;
  const SkinImage picture = look.picture;

  if (textBox && HasColor(look.backColor)) {
    Gdiplus::GpSolidFill* fill = nullptr;
    api::GdipCreateSolidFill(TextBoxArgb(look.backColor, look.backAlpha), &fill);
    UniqueGpBrush brush(fill);
    if (brush) api::GdipFillRectangle(graphics, brush.get(), px, py, w, h);
  }

  if (picture != nullptr) {
    const Placement placement = PlacePicture(static_cast<int>(look.backType), picture, place.extent);
    if (placement.cropped) {
      // Only the part that fits, pixel for pixel. An explicit destination size keeps the draw
      // 1:1 whatever resolution the picture file declares.
      const ImageRect& part = placement.source;
      api::GdipDrawImageRectRect(graphics, picture, px, py, part.width, part.height, part.x, part.y, part.width,
                                 part.height, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
    } else {
      const ImageRect& rect = placement.destination;
      api::GdipDrawImageRect(graphics, picture, px + rect.x, py + rect.y, rect.width, rect.height);
    }
  }

  if (textBox && HasColor(look.orderColor)) {
    Gdiplus::GpPen* pen = nullptr;
    api::GdipCreatePen1(TextBoxArgb(look.orderColor, look.orderAlpha), 1.0f, Gdiplus::UnitWorld, &pen);
    UniquePen owner(pen);
    if (owner) api::GdipDrawRectangle(graphics, owner.get(), px, py, w, h);
  }

  if (textBox) DrawBoxText(graphics, child, place.corner.x, place.corner.y, place.extent.width, place.extent.height);

  if (look.focusRing) DrawFocusRing(graphics, place);
}

}  // namespace

// A picture other than the form's composition (the caret over it) is shown now: the next refresh
// composes.
void PresentLayered(HWND form, SkinImage image, bool showCaret) {
  if (!api::IsWindow(form) || api::IsIconic(form) || image == nullptr) return;
  const Extent extent = WindowExtent(form);
  const SurfaceLease surface(extent.width, extent.height);
  if (surface.dc() == nullptr) return;
  surface.Clear();
  {
    UniqueGraphics graphics;
    api::GdipGetImageGraphicsContext(surface.bitmap(), graphics.Put());
    if (!graphics) return;
    UINT width = 0;
    UINT height = 0;
    api::GdipGetImageWidth(image, &width);
    api::GdipGetImageHeight(image, &height);
    // Copied, not blended over what the last presentation left; with an explicit size, as a draw
    // without one would be scaled by the picture's resolution.
    api::GdipSetCompositingMode(graphics.get(), Gdiplus::CompositingModeSourceCopy);
    api::GdipDrawImageRectI(graphics.get(), image, 0, 0, static_cast<INT>(width), static_cast<INT>(height));
    api::GdipSetCompositingMode(graphics.get(), Gdiplus::CompositingModeSourceOver);
    if (showCaret) DrawCaret(form, FocusTextBox, graphics.get());
  }
  if (Show(form, surface, extent)) ForgetShown(form);
}

bool DrawFormBackground(HWND form, HDC dc, const RECT& area) {
  SkinImage background = api::IsWindow(form) ? ReadImageProperty(form, property::kBackImage) : nullptr;
  if (background == nullptr) return false;
  const Extent extent = WindowExtent(form);
  Gdiplus::REAL width = 0;
  Gdiplus::REAL height = 0;
  api::GdipGetImageDimension(background, &width, &height);
  if (extent.width <= 0 || extent.height <= 0 || width <= 0 || height <= 0) return false;
  UniqueGraphics graphics;
  api::GdipCreateFromHDC(dc, graphics.Put());
  if (!graphics) return false;
  // Copied, not blended: the DC's own pixels do not show through a background with alpha either.
  api::GdipSetCompositingMode(graphics.get(), Gdiplus::CompositingModeSourceCopy);
  // The picture's pixels per form pixel: 1 for a background of the form's own size, a 1:1 copy.
  const Gdiplus::REAL scaleX = width / static_cast<Gdiplus::REAL>(extent.width);
  const Gdiplus::REAL scaleY = height / static_cast<Gdiplus::REAL>(extent.height);
  const auto areaWidth = static_cast<Gdiplus::REAL>(area.right - area.left);
  const auto areaHeight = static_cast<Gdiplus::REAL>(area.bottom - area.top);
  api::GdipDrawImageRectRect(graphics.get(), background, 0, 0, areaWidth, areaHeight,
                             static_cast<Gdiplus::REAL>(area.left) * scaleX,
                             static_cast<Gdiplus::REAL>(area.top) * scaleY, areaWidth * scaleX,
                             areaHeight * scaleY, Gdiplus::UnitPixel, nullptr, nullptr, nullptr);
  return true;
}

bool LayeredForm::Attach(HWND form) {
  if (!api::IsWindow(form)) return false;
  hwnd_ = form;
  // Added to the window's other extended styles (its taskbar button among them); a window that is
  // layered already keeps its style, and with it its picture.
  const LONG exStyle = api::GetWindowLongA(form, GWL_EXSTYLE);
  if ((exStyle & WS_EX_LAYERED) == 0) api::SetWindowLongA(form, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
  // Whatever was presented before may be gone: the next refresh composes.
  ForgetShown(form);
  api::CreateCaret(form, nullptr, 1, 12);
  if (GetLayerProp(form, property::kTime) == nullptr) {
    api::SetTimer(form, kCaretTimerId, kCaretPeriodMs, CaretTick);
    WriteProperty(form, property::kTime, static_cast<std::intptr_t>(kCaretTimerId));
  }
  return true;
}

bool LayeredForm::SetBackground(SkinImage image) {
  if (!api::IsWindow(hwnd_) || image == nullptr) return false;
  WriteImageProperty(hwnd_, property::kBackImage, image);
  ComposeForm(hwnd_);
  return true;
}

bool LayeredForm::LoadBackground(ImageResource resource) {
  SkinImage image = LoadSkinImage(resource);
  if (SetBackground(image)) return true;
  // Refused (dead form): nobody else holds the freshly decoded picture.
  DisposeSkinImage(image);
  return false;
}

void LayeredForm::RefreshForm() { Refresh(false); }

void LayeredForm::RefreshOnTick() { Refresh(true); }

void LayeredForm::Refresh(bool periodic) {
  if (!api::IsWindow(hwnd_) || api::IsIconic(hwnd_)) return;  // nothing is composed while minimised
  // Nothing changed since the shown picture was composed: no child can need its layered-mode
  // procedure either (a new one, or a new subclass, is a change).
  if (ShowsCurrentFrame(hwnd_, periodic)) return;
  // One walk over the children finds what the composition draws and which children switch.
  FrameRecord record = TakeFrameRecord(hwnd_);
  for (const ChildLook& child : record.children) SwitchToLayeredMode(child.hwnd, child.type);
  // Installing the layered-mode procedures writes only the layer's bookkeeping properties, which
  // draw nothing and are not in the record: the record still describes the picture.
  record.changes = ChangeCount();
  ComposeFrom(hwnd_, std::move(record));
}

void LayeredForm::MoveControl(std::optional<int> left, std::optional<int> top, std::optional<int> width,
                              std::optional<int> height, bool noRedraw) {
  UINT flags = SWP_NOZORDER;
  if (noRedraw) flags |= SWP_NOREDRAW;
  if (!left && !top) flags |= SWP_NOMOVE;
  if (!width && !height) flags |= SWP_NOSIZE;
  RECT rect{};
  api::GetWindowRect(hwnd_, &rect);
  api::SetWindowPos(hwnd_, nullptr, left.value_or(rect.left), top.value_or(rect.top),
                    width.value_or(rect.right - rect.left), height.value_or(rect.bottom - rect.top), flags);
}

HWND LayeredForm::ControlHandle() { return hwnd_; }

bool LayeredForm::IsAlive() { return api::IsWindow(hwnd_) == TRUE; }

LRESULT LayeredForm::SendToControl(UINT message, WPARAM wParam, LPARAM lParam) {
  return api::SendMessageA(hwnd_, message, wParam, lParam);
}

}  // namespace quorlin::skin
