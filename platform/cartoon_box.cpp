#include "platform/cartoon_box.h"

#include <objidl.h>

#include <memory>

#include "platform/dib_info.h"
#include "platform/handle_owners.h"
#include "platform/memory_stream.h"
#include "platform/win_api.h"

namespace quorlin::platform {
namespace {

constexpr UINT_PTR kTickTimerId = 1;
constexpr UINT kTickPeriodMs = 5;

}  // namespace

HWND CreateCartoonBox(HWND parent, int controlId, int x, int y, int width, int height, bool visible) {
  const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
  return CartoonBox::Create(std::make_unique<CartoonBox>(), 0, L"", style, x, y, width, height, parent, controlId);
}

void CartoonBox::DescribeClass(WNDCLASSEXW& windowClass) {
  windowClass.style = CS_HREDRAW | CS_VREDRAW;  // no background brush
  windowClass.hCursor = api::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
}

std::optional<LRESULT> CartoonBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_WINDOWPOSCHANGED:
      if ((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) != 0)
        VisibilityChanged();
      return std::nullopt;
    case WM_STYLECHANGED:
      if (wParam == static_cast<WPARAM>(GWL_STYLE)) VisibilityChanged();
      return std::nullopt;
    case WM_DESTROY:
      api::KillTimer(hwnd_, kTickTimerId);  // whether it runs or not
      return 0;
    case WM_TIMER:
      if (wParam != kTickTimerId) return std::nullopt;
      OnTimer();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel itself
    case WM_PAINT: {
      PaintScope paint(hwnd_);
      Paint(paint.dc(), paint.area());
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client;
      api::GetClientRect(hwnd_, &client);
      Paint(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_SYSCOLORCHANGE:
      BackgroundChanged();
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

ObjectId CartoonBox::CreateObject(const CartoonTemplate* design, int x, int y, bool visible,
                                  std::string tag) {
  ObjectId id = 0;
  ChangeScene([&] { id = scene_.CreateObject(design, x, y, visible, std::move(tag), api::GetTickCount()); });
  return id;
}

void CartoonBox::SetObjectPicture(ObjectId id, std::optional<std::span<const std::uint8_t>> bytes,
                                  std::int32_t colourKey) {
  if (scene_.Find(id) == nullptr) return;
  std::shared_ptr<const FrameSet> picture = bytes ? DecodeFrameSet(*bytes, colourKey, DecodeWithGdiplus) : nullptr;
  ChangeScene([&] { scene_.SetObjectPicture(id, std::move(picture)); });
}

void CartoonBox::ShowObject(ObjectId id, bool visible) {
  ChangeScene([&] { scene_.ShowObject(id, visible); });
}

void CartoonBox::PlayAnimation(ObjectId id, int plays, bool destroyWhenFinished, int extraDelay,
                               int interval) {
  ChangeScene([&] { scene_.PlayAnimation(id, plays, destroyWhenFinished, extraDelay, interval); });
}

void CartoonBox::ChangeScene(const std::function<void()>& change) {
  CatchUp();
  change();
  InvalidateQueued();
  UpdateTimer(false);
}

void CartoonBox::SetBackColor(std::uint32_t colour) {
  backColor_ = colour;
  BackgroundChanged();
}

void CartoonBox::BackgroundChanged() {
  background_ = {};
  api::InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateTimer(false);
}

// Invalidations from outside (exposure, resizing) need no tick: the message loop hands out a
// window's WM_PAINT before any of its thread's WM_TIMER. The box's own invalidations count, so
// that they still meet the forced repaint they met with a timer that never stopped.
bool CartoonBox::TicksNeeded() const {
  return scene_.NeedsTicks() || api::GetUpdateRect(hwnd_, nullptr, FALSE) != FALSE;
}

// A hidden window is never painted and its forced repaint does nothing, so while the scene only
// loops animations without counting runs, its ticks can be made up later all at once.
bool CartoonBox::CanRest() const {
  return (api::GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE) == 0 && scene_.OnlyEndlessLoops();
}

void CartoonBox::UpdateTimer(bool mayStop) {
  const bool needed = TicksNeeded();
  if (needed && CanRest()) {
    if (ticking_) StopTimer();
    if (!resting_) restingSince_ = lastTick_ != 0 ? lastTick_ : api::GetTickCount();
    resting_ = true;
  } else if (needed && !ticking_) {
    // A failed SetTimer leaves ticking_ false: the next operation tries again.
    ticking_ = api::SetTimer(hwnd_, kTickTimerId, kTickPeriodMs, nullptr) != 0;
  } else if (!needed && mayStop && ticking_) {
    StopTimer();
  }
}

// Shown again: the ticks left out are made up and the timer runs again. Hidden while ticking: it
// may rest from now on.
void CartoonBox::VisibilityChanged() {
  if (!resting_ && !ticking_) return;
  CatchUp();
  UpdateTimer(false);
}

void CartoonBox::StopTimer() {
  api::KillTimer(hwnd_, kTickTimerId);
  ticking_ = false;
}

void CartoonBox::CatchUp() {
  if (!resting_) return;
  resting_ = false;
  const std::uint32_t now = api::GetTickCount();
  scene_.CatchUp(restingSince_, now, kTickPeriodMs);
  lastTick_ = now;
  api::InvalidateRect(hwnd_, nullptr, FALSE);
}

void CartoonBox::OnTimer() {
  const std::uint32_t now = api::GetTickCount();
  lastTick_ = now;
  const std::vector<ObjectId> finished = scene_.Tick(now);
  InvalidateQueued();
  static std::uint32_t lastForcedRepaint = 0;  // one for every box of the process
  if (TakeForcedRepaint(lastForcedRepaint, now)) api::UpdateWindow(hwnd_);

  // The handler may destroy objects or even the box: take nothing from `this` once it is gone.
  const HWND hwnd = hwnd_;
  if (const auto handler = onFinished_) {
    for (ObjectId id : finished) {
      handler(id);
      if (CartoonBoxFromHandle(hwnd) != this) return;
    }
  }
  UpdateTimer(true);  // until something needs ticks again, skipped ticks would change nothing
}

void CartoonBox::Paint(HDC dc, const RECT& area) {
  if (dc == nullptr) return;
  RECT client{};
  api::GetClientRect(hwnd_, &client);
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (background_.pixels.empty() || background_.width != width || background_.height != height) {
    background_ = MakePlainBackground(
        width, height, backColor_ == kButtonFaceBackColor ? api::GetSysColor(COLOR_BTNFACE) : backColor_);
  }
  const BoxRect painted =
      ComposeBoxArea(background_, {area.left, area.top, area.right, area.bottom}, scene_.Objects(), work_);
  if (painted.Empty()) return;

  const BITMAPINFO info = Dib32Info(painted.Width(), -painted.Height());  // top-down
  api::SetDIBitsToDevice(dc, painted.left, painted.top, static_cast<DWORD>(painted.Width()),
                         static_cast<DWORD>(painted.Height()), 0, 0, 0,
                         static_cast<UINT>(painted.Height()), work_.data(), &info, DIB_RGB_COLORS);
}

void CartoonBox::InvalidateQueued() {
  for (const BoxRect& r : scene_.TakeInvalidRects()) {
    const RECT rect{r.left, r.top, r.right, r.bottom};
    api::InvalidateRect(hwnd_, &rect, FALSE);
  }
}

std::optional<FrameSet> DecodeWithGdiplus(std::span<const std::uint8_t> bytes) {
  const MemoryStream source = OpenMemoryStream(bytes);
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (!source.stream || api::GdipCreateBitmapFromStream(source.stream.get(), &bitmap) != Gdiplus::Ok ||
      bitmap == nullptr) {
    return std::nullopt;
  }
  const UniqueImage image(bitmap);  // disposed before the stream and memory it reads from

  UINT width = 0, height = 0;
  api::GdipGetImageWidth(bitmap, &width);
  api::GdipGetImageHeight(bitmap, &height);
  const GifLimits bounds;  // the same as for a GIF's canvas
  if (width == 0 || height == 0 || width > UINT(bounds.maxSide) || height > UINT(bounds.maxSide) ||
      std::uint64_t{width} * height > bounds.maxCanvasPixels) {
    return std::nullopt;
  }
  const Gdiplus::GpRect rect(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  const LockedBits locked(bitmap, rect, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
  if (!locked) return std::nullopt;
  FrameSet picture{static_cast<int>(width), static_cast<int>(height), {Frame{}}};
  std::vector<std::uint32_t>& pixels = picture.frames[0].pixels;
  pixels.reserve(std::size_t{width} * height);
  for (UINT y = 0; y < height; ++y) {
    const auto* argb = reinterpret_cast<const std::uint8_t*>(locked.Row(static_cast<int>(y)));
    for (UINT x = 0; x < width; ++x, argb += 4) {  // B, G, R, A in memory
      pixels.push_back(MakePixel(argb[0], argb[1], argb[2], static_cast<std::uint8_t>(255 - argb[3])));
    }
  }
  return picture;
}

}  // namespace quorlin::platform
