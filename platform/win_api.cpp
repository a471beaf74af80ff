#include "platform/win_api.h"

#include <string>

#include "platform/fatal_error.h"

namespace quorlin::platform::api {

#define QUORLIN_API_DEFINE(library, name) Slot<types::name##_t> name{Library::library, #name};
QUORLIN_WIN_API_LIST(QUORLIN_API_DEFINE)
#undef QUORLIN_API_DEFINE

namespace {

constexpr int kLibraryCount = 7;

std::atomic<HMODULE> loadedModules[kLibraryCount];

// Keeps the thread's last error across the lookup, so the caller sees the error of its own call.
class LastErrorKeeper {
 public:
  LastErrorKeeper() : saved_(::GetLastError()) {}
  ~LastErrorKeeper() { ::SetLastError(saved_); }

 private:
  DWORD saved_;
};

}  // namespace

// Loads by full path from the system directory: never from the program's folder or the current
// directory, where a planted DLL of the same name could lie.
HMODULE LoadSystemLibrary(const char* fileName, LibraryLoader load) {
  wchar_t directory[MAX_PATH];
  UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path(directory, length);
  path += L'\\';
  for (const char* c = fileName; *c != '\0'; ++c) path += static_cast<wchar_t>(*c);
  HMODULE module = load(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    module = load(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  return module;
}

namespace {

HMODULE ModuleFor(Library library) {
  auto& slot = loadedModules[static_cast<int>(library)];
  HMODULE module = slot.load(std::memory_order_acquire);
  if (module == nullptr) {
    module = LoadSystemLibrary(LibraryFileName(library));
    if (module != nullptr) slot.store(module, std::memory_order_release);
  }
  return module;
}

}  // namespace

const char* LibraryFileName(Library library) {
  switch (library) {
    case Library::Kernel32: return "kernel32.dll";
    case Library::User32: return "user32.dll";
    case Library::Gdi32: return "gdi32.dll";
    case Library::GdiPlus: return "GdiPlus.dll";
    case Library::Ole32: return "ole32.dll";
    case Library::Advapi32: return "advapi32.dll";
    case Library::Comctl32: return "comctl32.dll";
  }
  return "";
}

void* TryResolve(Library library, const char* name) {
  LastErrorKeeper keepLastError;
  HMODULE module = ModuleFor(library);
  return module != nullptr ? reinterpret_cast<void*>(::GetProcAddress(module, name)) : nullptr;
}

void* Resolve(Library library, const char* name) {
  void* address = TryResolve(library, name);
  if (address == nullptr) {
    FatalError(std::string("无法找到指定DLL库文件“") + LibraryFileName(library) + "”中的输出命令“" + name + "”");
  }
  return address;
}

}  // namespace quorlin::platform::api
