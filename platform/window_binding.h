// One way to tie a C++ object to each window of a window class of our own. The object is handed to
// the window at creation, bound on WM_NCCREATE and deleted on WM_NCDESTROY; every message in between
// goes to its OnMessage, and a message while no object is bound goes to DefWindowProcW.
//
// A kind T derives from BoundWindow<T> and provides
//   static constexpr const wchar_t* kClassName;
//   static void DescribeClass(WNDCLASSEXW& windowClass);   // style, cursor, icon, brush
//   std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);  // none: default
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "platform/win_api.h"

namespace quorlin::platform {

template <typename T>
class BoundWindow {
 public:
  BoundWindow(const BoundWindow&) = delete;
  BoundWindow& operator=(const BoundWindow&) = delete;

  HWND Handle() const { return hwnd_; }

  // The object bound to a window of T's class; null for any other window, also one of another
  // kind whose user data holds something else.
  static T* FromHandle(HWND hwnd) {
    if (hwnd == nullptr || atom_ == 0 || api::GetClassLongW(hwnd, GCW_ATOM) != atom_) return nullptr;
    return reinterpret_cast<T*>(api::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }

  // Creates a window of T's class, registered on first use, that owns `object`. Null when the class
  // or the window cannot be made; the object is then gone.
  static HWND Create(std::unique_ptr<T> object, DWORD exStyle, const wchar_t* text, DWORD style, int x, int y,
                     int width, int height, HWND parent, int controlId = 0) {
    if (!Register()) return nullptr;
    return api::CreateWindowExW(exStyle, T::kClassName, text, style, x, y, width, height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                api::GetModuleHandleW(nullptr), &object);
  }

 protected:
  BoundWindow() = default;
  ~BoundWindow() = default;

  HWND hwnd_ = nullptr;

 private:
  static bool Register() {
    if (atom_ != 0) return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = api::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = T::kClassName;
    T::DescribeClass(windowClass);
    atom_ = api::RegisterClassExW(&windowClass);  // a failure is tried again by the next window
    return atom_ != 0;
  }

  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* pending = static_cast<std::unique_ptr<T>*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      if (pending != nullptr && *pending) {
        T* object = pending->release();
        object->hwnd_ = hwnd;
        api::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
      }
    }
    T* object = reinterpret_cast<T*>(api::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (object == nullptr) return api::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      api::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      const std::unique_ptr<T> owned(object);  // deleted once it has seen its last message
      owned->OnMessage(message, wParam, lParam);
      return api::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // The handler may destroy the window and with it the object: nothing of it is used afterwards.
    if (std::optional<LRESULT> result = object->OnMessage(message, wParam, lParam)) return *result;
    return api::DefWindowProcW(hwnd, message, wParam, lParam);
  }

  static inline ATOM atom_ = 0;
};

}  // namespace quorlin::platform
