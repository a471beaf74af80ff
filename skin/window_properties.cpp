#include "skin/window_properties.h"

#include <cstdint>
#include <mutex>

#include "platform/win_api.h"
#include "skin/child_list_watch.h"
#include "skin/logic/property_mirror.h"
#include "skin/skin_control.h"

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

// A window's type decides whether it is a skinned child of its form.
bool IsTypeProperty(const char* name) { return SamePropertyName(name, property::kType); }

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
  if (IsTypeProperty(name)) NoteChildListChange();
  if (!api::SetPropA(hwnd, name, value)) return false;
  if (IsOwnWindow(hwnd)) mirror.properties.Store(Key(hwnd), name, reinterpret_cast<std::uintptr_t>(value));
  return true;
}

void RemoveLayerProp(HWND hwnd, const char* name) {
  Mirror& mirror = TheMirror();
  std::lock_guard guard(mirror.lock);
  if (IsTypeProperty(name)) NoteChildListChange();
  api::RemovePropA(hwnd, name);
  // Whether or not there was one, the window has no such property now.
  if (IsOwnWindow(hwnd)) mirror.properties.Store(Key(hwnd), name, 0);
}

std::vector<HWND> WindowsWithLayerProp(const char* name) {
  Mirror& mirror = TheMirror();
  std::lock_guard guard(mirror.lock);
  std::vector<HWND> windows;
  for (std::uintptr_t key : mirror.properties.WindowsWith(name)) windows.push_back(reinterpret_cast<HWND>(key));
  return windows;
}

void ForgetLayerProps(HWND hwnd) {
  Mirror& mirror = TheMirror();
  std::lock_guard guard(mirror.lock);
  mirror.properties.Forget(Key(hwnd));
}

}  // namespace quorlin::skin
