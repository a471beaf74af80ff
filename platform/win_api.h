// The table of system functions: each entry is looked up by library and name on its first call and
// then kept. Libraries come from the Windows system directory only, never from the program's folder
// or the current directory. A function that cannot be found is a fatal error.
//
// Tests replace an entry with ScopedOverride to record or fake a call without touching the code
// under test:  api::ScopedOverride fake(api::CreateProcessA, &RecordCreateProcess);
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include "platform/win_api_list.h"

#include <atomic>
#include <utility>

namespace quorlin::platform::api {

enum class Library : unsigned char { Kernel32, User32, Gdi32, GdiPlus, Ole32, Advapi32, Comctl32 };

// Loads the library from the system directory (once) and returns the function's address; a missing
// library or function ends the program with the fatal error. Preserves the thread's last error, so a
// first call through the table never disturbs a GetLastError that follows it.
void* Resolve(Library library, const char* name);
// The same lookup, but null instead of the fatal error, for the few functions older systems lack.
void* TryResolve(Library library, const char* name);

// Loads `fileName` from the system directory by full path, its own imports searched there too
// (LOAD_LIBRARY_SEARCH_SYSTEM32). A system that refuses that flag (ERROR_INVALID_PARAMETER: without
// the KB2533623 update) gets the older LOAD_WITH_ALTERED_SEARCH_PATH. `load` is the loader to call,
// replaceable for tests; the table itself cannot go through the table to load its libraries.
using LibraryLoader = HMODULE(WINAPI*)(LPCWSTR, HANDLE, DWORD);
HMODULE LoadSystemLibrary(const char* fileName, LibraryLoader load = &::LoadLibraryExW);

template <typename Fn>
class Slot {
 public:
  constexpr Slot(Library library, const char* name) : library_(library), name_(name) {}  // never copied: atomic

  template <typename... Args>
  decltype(auto) operator()(Args&&... args) const {
    return Get()(std::forward<Args>(args)...);
  }

  Fn Get() const {
    if (Fn fn = TryGet()) return fn;
    return reinterpret_cast<Fn>(Resolve(library_, name_));  // the fatal error
  }

  // For an entry that may be missing on older systems: null instead of the fatal error. An entry
  // replaced by a test is returned as it is.
  Fn TryGet() const {
    Fn fn = fn_.load(std::memory_order_acquire);
    if (fn == nullptr && (fn = reinterpret_cast<Fn>(TryResolve(library_, name_))) != nullptr)
      fn_.store(fn, std::memory_order_release);
    return fn;
  }

  // Puts another function into the entry and returns what was there (null when not yet looked up).
  Fn Exchange(Fn replacement) { return fn_.exchange(replacement, std::memory_order_acq_rel); }

 private:
  template <typename>
  friend class ScopedOverride;
  Library library_;
  const char* name_;
  mutable std::atomic<Fn> fn_{nullptr};
};

namespace types {
// Unqualified lookup finds the Win32 declarations and, through the directive, the flat GDI+ ones.
using namespace Gdiplus::DllExports;
using Gdiplus::GdiplusStartup;
#define QUORLIN_API_TYPE(library, name) using name##_t = decltype(&name);
QUORLIN_WIN_API_LIST(QUORLIN_API_TYPE)
#undef QUORLIN_API_TYPE
}  // namespace types

#define QUORLIN_API_DECLARE(library, name) extern Slot<types::name##_t> name;
QUORLIN_WIN_API_LIST(QUORLIN_API_DECLARE)
#undef QUORLIN_API_DECLARE

// Replaces a table entry for the lifetime of the object and restores the previous one afterwards.
template <typename Fn>
class ScopedOverride {
 public:
  ScopedOverride(Slot<Fn>& slot, Fn replacement) : slot_(slot), previous_(slot.Exchange(replacement)) {}
  ~ScopedOverride() { slot_.Exchange(previous_); }
  ScopedOverride(const ScopedOverride&) = delete;
  ScopedOverride& operator=(const ScopedOverride&) = delete;

  // The function that was in the entry before, looked up now if it had not been yet.
  Fn Previous() {
    if (previous_ == nullptr) previous_ = reinterpret_cast<Fn>(Resolve(slot_.library_, slot_.name_));
    return previous_;
  }

 private:
  Slot<Fn>& slot_;
  Fn previous_;
};

}  // namespace quorlin::platform::api

namespace quorlin::platform {

// Limits the search for libraries loaded by name (uxtheme.dll, dwmapi.dll and the others that
// Common Controls 6 and the shell pull in) to the system directory, so that a DLL planted in the
// program's folder is never loaded. Must run before anything else. A system without the function
// (Windows 7 without KB2533623) keeps its ordinary search; that is not an error. True when the
// search was restricted. `entry` is the table entry to call, replaceable for tests.
bool RestrictDllSearch(const api::Slot<api::types::SetDefaultDllDirectories_t>& entry = api::SetDefaultDllDirectories);

}  // namespace quorlin::platform

namespace quorlin {
namespace api = platform::api;
}
