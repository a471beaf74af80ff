#include "tests/win32/skin_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "skin/skin_image.h"

namespace quorlin::skin::test {
namespace {

constexpr char kFormClass[] = "QuorlinSkinTestForm";

LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSCROLLBAR:
      ParentMessages().push_back(message);
      return kPreviousResult;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

void RegisterFormClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = FormProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kFormClass;
  RegisterClassExA(&windowClass);
  registered = true;
}

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}
void PutLe16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
  PutBe32(out, static_cast<std::uint32_t>(data.size()));
  std::vector<std::uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  PutBe32(out, Crc32(body.data(), body.size()));
}

// zlib stream of stored (uncompressed) blocks.
std::vector<std::uint8_t> ZlibStored(const std::vector<std::uint8_t>& raw) {
  std::vector<std::uint8_t> out{0x78, 0x01};
  std::size_t offset = 0;
  do {
    const std::size_t size = std::min<std::size_t>(raw.size() - offset, 65535);
    out.push_back(offset + size == raw.size() ? 1 : 0);
    PutLe16(out, static_cast<unsigned>(size));
    PutLe16(out, static_cast<unsigned>(~size & 0xFFFF));
    out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
               raw.begin() + static_cast<std::ptrdiff_t>(offset + size));
    offset += size;
  } while (offset < raw.size());
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBe32(out, (b << 16) | a);
  return out;
}

}  // namespace

void EnsureSkinLayer() {
  static bool started = false;
  if (started) return;
  SkinLayerStartup();
  started = true;
}

platform::UniqueImage MakeBitmap(int width, int height, const std::function<Argb(int, int)>& pixel) {
  Gdiplus::GpBitmap* bitmap = nullptr;
  api::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap);
  platform::UniqueImage image(bitmap);
  Gdiplus::GpRect all{0, 0, width, height};
  Gdiplus::BitmapData data{};
  if (api::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &data) ==
      Gdiplus::Ok) {
    for (int y = 0; y < height; ++y) {
      auto* row = reinterpret_cast<Argb*>(static_cast<std::uint8_t*>(data.Scan0) + y * data.Stride);
      for (int x = 0; x < width; ++x) row[x] = pixel(x, y);
    }
    api::GdipBitmapUnlockBits(bitmap, &data);
  }
  return image;
}

platform::UniqueImage SolidBitmap(int width, int height, Argb color) {
  return MakeBitmap(width, height, [color](int, int) { return color; });
}

std::vector<Argb> ReadPixels(SkinImage image, int width, int height) {
  std::vector<Argb> pixels;
  auto* bitmap = static_cast<Gdiplus::GpBitmap*>(image);
  Gdiplus::GpRect all{0, 0, width, height};
  Gdiplus::BitmapData data{};
  if (api::GdipBitmapLockBits(bitmap, &all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) !=
      Gdiplus::Ok) {
    return pixels;
  }
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const Argb*>(static_cast<const std::uint8_t*>(data.Scan0) + y * data.Stride);
    pixels.insert(pixels.end(), row, row + width);
  }
  api::GdipBitmapUnlockBits(bitmap, &data);
  return pixels;
}

std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<Argb>& pixels) {
  std::vector<std::uint8_t> png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<std::uint8_t> header;
  PutBe32(header, static_cast<std::uint32_t>(width));
  PutBe32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, no interlace
  PutChunk(png, "IHDR", header);
  std::vector<std::uint8_t> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    for (int x = 0; x < width; ++x) {
      const Argb p = pixels[static_cast<std::size_t>(y * width + x)];
      raw.insert(raw.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                             static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 24)});
    }
  }
  PutChunk(png, "IDAT", ZlibStored(raw));
  PutChunk(png, "IEND", {});
  return png;
}

std::vector<std::uint8_t> EncodeSolidGif(int width, int height, const std::vector<Argb>& frameColors) {
  std::vector<std::uint8_t> gif{'G', 'I', 'F', '8', '9', 'a'};
  PutLe16(gif, static_cast<unsigned>(width));
  PutLe16(gif, static_cast<unsigned>(height));
  gif.insert(gif.end(), {0xF1, 0, 0});  // global table of 4 colours
  for (int i = 0; i < 4; ++i) {
    const Argb c = i < static_cast<int>(frameColors.size()) ? frameColors[static_cast<std::size_t>(i)] : 0;
    gif.insert(gif.end(), {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                           static_cast<std::uint8_t>(c)});
  }
  const char loop[] = "NETSCAPE2.0";
  gif.insert(gif.end(), {0x21, 0xFF, 0x0B});
  gif.insert(gif.end(), loop, loop + 11);
  gif.insert(gif.end(), {0x03, 0x01, 0x00, 0x00, 0x00});
  for (std::size_t frame = 0; frame < frameColors.size(); ++frame) {
    gif.insert(gif.end(), {0x21, 0xF9, 0x04, 0x04, 10, 0, 0, 0});  // 100 ms, keep previous frame
    gif.push_back(0x2C);
    PutLe16(gif, 0);
    PutLe16(gif, 0);
    PutLe16(gif, static_cast<unsigned>(width));
    PutLe16(gif, static_cast<unsigned>(height));
    gif.push_back(0);
    gif.push_back(2);  // LZW minimum code size
    // A clear code before every literal keeps every code 3 bits wide.
    std::vector<unsigned> codes;
    for (int i = 0; i < width * height; ++i) {
      codes.push_back(4);
      codes.push_back(static_cast<unsigned>(frame));
    }
    codes.push_back(5);
    std::vector<std::uint8_t> bits;
    unsigned accumulator = 0;
    int count = 0;
    for (unsigned code : codes) {
      accumulator |= code << count;
      count += 3;
      while (count >= 8) {
        bits.push_back(static_cast<std::uint8_t>(accumulator));
        accumulator >>= 8;
        count -= 8;
      }
    }
    if (count > 0) bits.push_back(static_cast<std::uint8_t>(accumulator));
    for (std::size_t offset = 0; offset < bits.size(); offset += 255) {
      const std::size_t size = std::min<std::size_t>(255, bits.size() - offset);
      gif.push_back(static_cast<std::uint8_t>(size));
      gif.insert(gif.end(), bits.begin() + static_cast<std::ptrdiff_t>(offset),
                 bits.begin() + static_cast<std::ptrdiff_t>(offset + size));
    }
    gif.push_back(0);
  }
  gif.push_back(0x3B);
  return gif;
}

std::vector<std::uint8_t> MakeBlock(const std::vector<std::uint8_t>& bytes, std::uint32_t type) {
  std::vector<std::uint8_t> block;
  for (std::uint32_t value : {type, static_cast<std::uint32_t>(bytes.size())}) {
    for (int shift = 0; shift < 32; shift += 8) block.push_back(static_cast<std::uint8_t>(value >> shift));
  }
  block.insert(block.end(), bytes.begin(), bytes.end());
  return block;
}

TestWindow::~TestWindow() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

TestWindow::TestWindow(TestWindow&& other) noexcept : hwnd_(std::exchange(other.hwnd_, nullptr)) {}

TestWindow& TestWindow::operator=(TestWindow&& other) noexcept {
  if (this != &other) {
    TestWindow old(std::move(*this));
    hwnd_ = std::exchange(other.hwnd_, nullptr);
  }
  return *this;
}

TestWindow CreateForm(int x, int y, int width, int height) {
  RegisterFormClass();
  return TestWindow(CreateWindowExA(0, kFormClass, "skin test form", WS_POPUP, x, y, width, height, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr));
}

TestWindow CreateChild(HWND parent, const char* className, int x, int y, int width, int height, DWORD style,
                       DWORD exStyle) {
  return TestWindow(CreateWindowExA(exStyle, className, "", style, x, y, width, height, parent, nullptr,
                                    GetModuleHandleA(nullptr), nullptr));
}

std::vector<UINT>& ParentMessages() {
  static std::vector<UINT> messages;
  return messages;
}

WNDPROC TestFormProc() { return FormProc; }

PixelDc::PixelDc(int width, int height, Argb fill) : width_(width) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  previous_ = SelectObject(dc_, bitmap_);
  bits_ = static_cast<Argb*>(bits);
  for (int i = 0; i < width * height; ++i) bits_[i] = fill;
}

PixelDc::~PixelDc() {
  SelectObject(dc_, previous_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

PresentRecorder* PresentRecorder::active_ = nullptr;

PresentRecorder::PresentRecorder() : override_(api::UpdateLayeredWindow, &PresentRecorder::Record) {
  active_ = this;
}

PresentRecorder::~PresentRecorder() { active_ = nullptr; }

BOOL WINAPI PresentRecorder::Record(HWND hwnd, HDC dst, POINT* dstPoint, SIZE* size, HDC src, POINT* srcPoint,
                                    COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
  PresentRecorder& self = *active_;
  ++self.count_;
  self.window_ = hwnd;
  self.flags_ = flags;
  if (blend != nullptr) self.blend_ = *blend;
  self.pixels_.clear();
  DIBSECTION section{};
  auto bitmap = static_cast<HBITMAP>(GetCurrentObject(src, OBJ_BITMAP));
  if (GetObjectA(bitmap, sizeof(section), &section) == sizeof(section) && section.dsBm.bmBits != nullptr) {
    self.width_ = section.dsBm.bmWidth;
    self.height_ = section.dsBm.bmHeight;
    const bool bottomUp = section.dsBmih.biHeight > 0;
    const auto* bits = static_cast<const Argb*>(section.dsBm.bmBits);
    for (int y = 0; y < self.height_; ++y) {
      const int row = bottomUp ? self.height_ - 1 - y : y;
      self.pixels_.insert(self.pixels_.end(), bits + row * self.width_, bits + (row + 1) * self.width_);
    }
  } else {
    self.width_ = self.height_ = 0;
  }
  return self.override_.Previous()(hwnd, dst, dstPoint, size, src, srcPoint, key, blend, flags);
}

bool NearArgb(Argb actual, Argb expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = static_cast<int>((actual >> shift) & 0xFF);
    const int e = static_cast<int>((expected >> shift) & 0xFF);
    if (std::abs(a - e) > tolerance) return false;
  }
  return true;
}

}  // namespace quorlin::skin::test
