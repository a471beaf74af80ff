#include "platform/trans_label.h"

#include <memory>
#include <vector>

#include "platform/handle_owners.h"
#include "platform/text.h"
#include "platform/win_api.h"

namespace quorlin::platform {

namespace {

constexpr wchar_t kLabelClass[] = L"QuorlinTransLabel";

LabelProperties* PropertiesOf(HWND label) {
  return reinterpret_cast<LabelProperties*>(api::GetWindowLongPtrA(label, GWLP_USERDATA));
}

UniqueFont CreateLabelFont(const FontRecord& record) {
  LOGFONTW font{};
  font.lfHeight = record.height;
  font.lfWidth = record.width;
  font.lfEscapement = record.escapement;
  font.lfOrientation = record.orientation;
  font.lfWeight = record.weight;
  font.lfItalic = record.italic;
  font.lfUnderline = record.underline;
  font.lfStrikeOut = record.strikeOut;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = 0;
  font.lfClipPrecision = 0;
  font.lfQuality = PROOF_QUALITY;
  font.lfPitchAndFamily = 0;
  std::wstring face = Widen(record.faceName);
  face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
  std::copy(face.begin(), face.end(), font.lfFaceName);
  return UniqueFont(api::CreateFontIndirectW(&font));
}

void PaintLabel(HWND label, HDC dc) {
  const LabelProperties* properties = PropertiesOf(label);
  if (properties == nullptr || properties->caption.empty()) return;
  std::wstring caption = Widen(properties->caption);

  UniqueFont createdFont;
  if (properties->font) createdFont = CreateLabelFont(*properties->font);
  HGDIOBJ font = createdFont ? static_cast<HGDIOBJ>(createdFont.get()) : api::GetStockObject(DEFAULT_GUI_FONT);
  ScopedSelect selectFont(dc, font);

  UINT format = LabelFormatFlags(properties->hAlign, properties->vAlign, properties->wordWrap);
  api::SetBkMode(dc, TRANSPARENT);
  RECT client;
  api::GetClientRect(label, &client);
  for (const TextPass& pass : LabelTextPasses(*properties)) {
    RECT area = client;
    area.left += pass.dx;
    area.right += pass.dx;
    area.top += pass.dy;
    area.bottom += pass.dy;
    api::SetTextColor(dc, pass.color);
    api::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &area, format);
  }
}

LRESULT CALLBACK LabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      auto* initial = static_cast<const LabelProperties*>(create->lpCreateParams);
      api::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new LabelProperties(*initial)));
      break;
    }
    case WM_NCDESTROY:
      delete PropertiesOf(hwnd);
      api::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      break;
    case WM_ERASEBKGND:
      return 1;  // never fills: the parent's drawing shows through
    case WM_PAINT: {
      PaintScope paint(hwnd);
      PaintLabel(hwnd, paint.dc());
      return 0;
    }
    default:
      break;
  }
  return api::DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterLabelClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = LabelProc;
  windowClass.hInstance = api::GetModuleHandleW(nullptr);
  windowClass.hCursor = api::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = nullptr;
  windowClass.lpszClassName = kLabelClass;
  registered = api::RegisterClassExW(&windowClass) != 0;
}

bool IsPopup(HWND hwnd) { return (api::GetWindowLongA(hwnd, GWL_STYLE) & WS_POPUP) != 0; }

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
  HWND ancestor = label;
  while (!IsPopup(ancestor)) {
    HWND parent = api::GetParent(ancestor);
    if (parent == nullptr) break;
    ancestor = parent;
  }
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

HWND CreateTransLabel(HWND parent, int controlId, int left, int top, int width, int height, bool visible,
                      const LabelProperties& properties) {
  RegisterLabelClass();
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
  HWND label = api::CreateWindowExW(WS_EX_TRANSPARENT, kLabelClass, Widen(properties.caption).c_str(), style, left,
                                    top, width, height, parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                    api::GetModuleHandleW(nullptr), const_cast<LabelProperties*>(&properties));
  return label;
}

void SetLabelProperty(HWND label, int index, const PropertyValue& value) {
  LabelProperties* properties = PropertiesOf(label);
  if (properties == nullptr || !properties->Set(index, value)) return;
  if (index == kPropCaption) api::SetWindowTextW(label, Widen(properties->caption).c_str());
  RefreshUnderLabel(label);
}

PropertyValue GetLabelProperty(HWND label, int index) {
  const LabelProperties* properties = PropertiesOf(label);
  if (properties == nullptr) return {};
  return properties->Get(index).value_or(PropertyValue());
}

}  // namespace quorlin::platform
