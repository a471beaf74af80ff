#include "skin/window_properties.h"

#include <cstdint>
#include <mutex>

#include "platform/win_api.h"
#include "skin/logic/property_mirror.h"

namespace quorlin::skin {
namespace {

struct Mirror {
  std::mutex lock;
  PropertyMirror properties;
};

Mirror& TheMirror() {
  static Mirror mirror;
  return mirror;
}

std::uintptr_t Key(HWND hwnd) { return reinterpret_cast<std::uintptr_t>(hwnd); }

// Only this process's windows are mirrored: another process could change its own properties.
bool IsOwnWindow(HWND hwnd) {
  DWORD process = 0;
  return api::GetWindowThreadProcessId(hwnd, &process) != 0 && process == api::GetCurrentProcessId();
}

}  // namespace

HANDLE GetLayerProp(HWND hwnd, const char* name) {
  Mirror& mirror = TheMirror();
  std::lock_guard guard(mirror.lock);
  if (!api::IsWindow(hwnd)) {
    // A destroyed window has no properties; forget whatever was mirrored for its handle.
    mirror.properties.Forget(Key(hwnd));
    return api::GetPropA(hwnd, name);
  }
  if (const auto known = mirror.properties.Find(Key(hwnd), name)) return reinterpret_cast<HANDLE>(*known);
  HANDLE value = api::GetPropA(hwnd, name);
  if (IsOwnWindow(hwnd)) mirror.properties.Store(Key(hwnd), name, reinterpret_cast<std::uintptr_t>(value));
  return value;
}

bool SetLayerProp(HWND hwnd, const char* name, HANDLE value) {
  Mirror& mirror = TheMirror();
  std::lock_guard guard(mirror.lock);
  if (!api::SetPropA(hwnd, name, value)) return false;
  if (IsOwnWindow(hwnd)) mirror.properties.Store(Key(hwnd), name, reinterpret_cast<std::uintptr_t>(value));
  return true;
}

void RemoveLayerProp(HWND hwnd, const char* name) {
  Mirror& mirror = TheMirror();
  std::lock_guard guard(mirror.lock);
  api::RemovePropA(hwnd, name);
  // Whether or not there was one, the window has no such property now.
  if (IsOwnWindow(hwnd)) mirror.properties.Store(Key(hwnd), name, 0);
}

void ForgetLayerProps(HWND hwnd) {
  Mirror& mirror = TheMirror();
  std::lock_guard guard(mirror.lock);
  mirror.properties.Forget(Key(hwnd));
}

}  // namespace quorlin::skin
