#include "platform/trans_label.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <vector>

#include "platform/dib_info.h"
#include "platform/handle_owners.h"
#include "platform/text.h"
#include "platform/win_api.h"
#include "platform/window_binding.h"
#include "platform/window_registry.h"

namespace quorlin::platform {

namespace {

LabelBackdrop installedBackdrop = nullptr;
// Every label window of the process, for repainting them all when the picture beneath changes.
std::set<HWND> liveLabels;

UniqueFont CreateLabelFont(const FontRecord& record, const std::wstring& face, BYTE quality) {
  LOGFONTW font{.lfHeight = record.height, .lfWidth = record.width, .lfEscapement = record.escapement,
                .lfOrientation = record.orientation, .lfWeight = record.weight, .lfItalic = record.italic,
                .lfUnderline = record.underline, .lfStrikeOut = record.strikeOut, .lfCharSet = DEFAULT_CHARSET,
                .lfOutPrecision = 0, .lfClipPrecision = 0, .lfQuality = quality, .lfPitchAndFamily = 0,
                .lfFaceName = {}};
  std::copy_n(face.begin(), std::min<size_t>(face.size(), LF_FACESIZE - 1), font.lfFaceName);
  return UniqueFont(api::CreateFontIndirectW(&font));
}

// The label's font; null for the stock GUI font (no font record, or no font can be made). A
// localized family name that finds no font on this system (GDI matches it only in the name's own
// language) is asked for by its English name instead.
UniqueFont LabelFont(HDC dc, const std::optional<FontRecord>& record, BYTE quality) {
  if (!record) return {};
  const std::wstring face = Widen(record->faceName).substr(0, LF_FACESIZE - 1);
  UniqueFont font = CreateLabelFont(*record, face, quality);
  const std::optional<std::string> english = EnglishFamilyName(record->faceName);
  if (!font || !english) return font;
  // GDI gives another face when it knows no font by that name (a matched name reads back as it was
  // asked for); when it cannot tell, the font stays.
  ScopedSelect trial(dc, font.get());
  wchar_t selected[LF_FACESIZE] = {};
  if (api::GetTextFaceW(dc, LF_FACESIZE, selected) <= 0 || face == selected) return font;
  UniqueFont other = CreateLabelFont(*record, Widen(*english), quality);
  return other ? std::move(other) : std::move(font);
}

// Draws the caption with its effect in the label's font.
void DrawCaption(HDC dc, const LabelProperties& properties, const std::wstring& caption, const RECT& client,
                 BYTE quality) {
  const UniqueFont font = LabelFont(dc, properties.font, quality);
  ScopedSelect selectFont(dc, font ? font.get() : api::GetStockObject(DEFAULT_GUI_FONT));
  const UINT format = LabelFormatFlags(properties.hAlign, properties.vAlign, properties.wordWrap);
  api::SetBkMode(dc, TRANSPARENT);
  for (const TextPass& pass : LabelTextPasses(properties)) {
    RECT area{client.left + pass.dx, client.top + pass.dy, client.right + pass.dx, client.bottom + pass.dy};
    api::SetTextColor(dc, pass.color);
    api::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &area, format);
  }
}

// The window the label is drawn on: walks up the parents while the window is not a pop-up window and
// has a parent.
HWND TopLevelOf(HWND label) {
  HWND ancestor = label;
  while (HasParentCoordinates(ancestor)) ancestor = api::GetParent(ancestor);
  return ancestor;
}

// The colour key of a colour-keyed layered window.
std::optional<COLORREF> ColorKeyOf(HWND window) {
  COLORREF key = 0;
  DWORD flags = 0;
  if ((api::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED) == 0 ||
      !api::GetLayeredWindowAttributes(window, &key, nullptr, &flags) || (flags & LWA_COLORKEY) == 0)
    return std::nullopt;
  return key;
}

constexpr std::uint32_t RgbOf(COLORREF color) {
  return (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
}

// Draws the text anti-aliased over the picture seen beneath the label's keyed window, in memory, and
// keys out every pixel the text left as it was: the edges of the glyphs blend with the picture the
// user sees there, never with the key colour. False, with nothing drawn, without that picture.
bool DrawOverBackdrop(HWND label, HDC dc, const LabelProperties& properties, const std::wstring& caption,
                      const RECT& client, HWND window, COLORREF key) {
  if (installedBackdrop == nullptr) return false;
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return true;
  RECT area = client;
  api::MapWindowPoints(label, window, reinterpret_cast<POINT*>(&area), 2);

  const BITMAPINFO info = Dib32Info(width, -height);  // top-down
  void* bits = nullptr;
  UniqueBitmap bitmap(api::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueMemoryDc memory(api::CreateCompatibleDC(dc));
  if (!bitmap || !memory || bits == nullptr) return false;
  ScopedSelect selectBitmap(memory.get(), bitmap.get());
  const std::span pixels(static_cast<std::uint32_t*>(bits), static_cast<std::size_t>(width) * height);
  // Whatever the picture does not cover lies outside the window beneath and stays the key.
  std::fill(pixels.begin(), pixels.end(), RgbOf(key));
  if (!installedBackdrop(window, memory.get(), area)) return false;
  api::GdiFlush();
  const std::vector<std::uint32_t> backdrop(pixels.begin(), pixels.end());
  DrawCaption(memory.get(), properties, caption, RECT{0, 0, width, height}, PROOF_QUALITY);
  api::GdiFlush();
  KeyOutUntouched(pixels, backdrop, RgbOf(key));
  api::BitBlt(dc, client.left, client.top, width, height, memory.get(), 0, 0, SRCCOPY);
  return true;
}

void PaintLabel(HWND label, HDC dc, const LabelProperties& properties) {
  if (properties.caption.empty()) return;
  std::wstring caption = Widen(properties.caption);
  RECT client;
  api::GetClientRect(label, &client);

  HWND window = TopLevelOf(label);
  std::optional<COLORREF> key = ColorKeyOf(window);
  if (key && DrawOverBackdrop(label, dc, properties, caption, client, window, *key)) return;
  // On a keyed window without the picture beneath, smoothed edges would blend with the key, which the
  // key does not hide: a grey fringe. Without smoothing every glyph pixel is the text colour.
  DrawCaption(dc, properties, caption, client, key ? NONANTIALIASED_QUALITY : PROOF_QUALITY);
}

class TransLabel : public BoundWindow<TransLabel> {
 public:
  static constexpr const wchar_t* kClassName = L"QuorlinTransLabel";
  static void DescribeClass(WNDCLASSEXW& windowClass) {
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.hCursor = api::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW; no background brush
  }

  explicit TransLabel(const LabelProperties& properties) : properties(properties) {}

  std::optional<LRESULT> OnMessage(UINT message, WPARAM, LPARAM) {
    switch (message) {
      case WM_NCCREATE:
        liveLabels.insert(hwnd_);
        return std::nullopt;
      case WM_NCDESTROY:
        liveLabels.erase(hwnd_);
        return std::nullopt;
      case WM_ERASEBKGND:
        return 1;  // never fills: the parent's drawing shows through
      case WM_PAINT: {
        PaintScope paint(hwnd_);
        PaintLabel(hwnd_, paint.dc(), properties);
        return 0;
      }
      default:
        return std::nullopt;
    }
  }

  LabelProperties properties;
};

// Children before the window itself, depth first.
void CollectDescendants(HWND window, std::vector<HWND>& out) {
  for (HWND child = api::GetWindow(window, GW_CHILD); child != nullptr; child = api::GetWindow(child, GW_HWNDNEXT)) {
    CollectDescendants(child, out);
    out.push_back(child);
  }
}

// Repaints what lies under the label, so a changed or removed text leaves nothing behind, then the
// label itself on top.
void RefreshUnderLabel(HWND label) {
  HWND ancestor = TopLevelOf(label);
  RECT area;
  api::GetClientRect(label, &area);
  api::MapWindowPoints(label, ancestor, reinterpret_cast<POINT*>(&area), 2);
  api::InvalidateRect(ancestor, &area, TRUE);
  api::UpdateWindow(ancestor);

  RECT labelOnScreen;
  api::GetWindowRect(label, &labelOnScreen);
  std::vector<HWND> descendants;
  CollectDescendants(ancestor, descendants);
  for (auto it = descendants.rbegin(); it != descendants.rend(); ++it) {
    HWND window = *it;
    if (window == label || !api::IsWindowVisible(window)) continue;
    RECT windowRect, overlap;
    api::GetWindowRect(window, &windowRect);
    if (!api::IntersectRect(&overlap, &windowRect, &labelOnScreen)) continue;
    api::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&overlap), 2);
    api::RedrawWindow(window, &overlap, nullptr,
                      RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ERASENOW | RDW_FRAME);
  }
  api::InvalidateRect(label, nullptr, FALSE);
}

}  // namespace

HWND CreateTransLabel(HWND parent, const ControlTemplate& design) {
  const LabelProperties properties = ParseLabelRecord(design.record).value_or(LabelProperties());
  const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (design.visible ? WS_VISIBLE : 0);
  return TransLabel::Create(std::make_unique<TransLabel>(properties), WS_EX_TRANSPARENT,
                            Widen(properties.caption).c_str(), style, design.left, design.top, design.width,
                            design.height, parent, design.id);
}

void SetLabelProperty(HWND label, int index, const PropertyValue& value) {
  TransLabel* object = TransLabel::FromHandle(label);
  if (object == nullptr || !object->properties.Set(index, value)) return;
  if (index == kPropCaption) api::SetWindowTextW(label, Widen(object->properties.caption).c_str());
  RefreshUnderLabel(label);
  // The caption is the label's accessible name: a screen reader is told that a shown label says
  // something new (a notice), as it would be by a static text control.
  if (index == kPropCaption && api::IsWindowVisible(label))
    api::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, label, OBJID_CLIENT, CHILDID_SELF);
}

PropertyValue GetLabelProperty(HWND label, int index) {
  const TransLabel* object = TransLabel::FromHandle(label);
  return object ? object->properties.Get(index).value_or(PropertyValue()) : PropertyValue();
}

void SetLabelBackdrop(LabelBackdrop backdrop) { installedBackdrop = backdrop; }

void RepaintLabels() {
  // Without the picture beneath a label draws onto its parent's background: that is redrawn first.
  const std::vector<HWND> labels(liveLabels.begin(), liveLabels.end());
  for (HWND label : labels)
    if (api::IsWindowVisible(label)) RefreshUnderLabel(label);
}

}  // namespace quorlin::platform
