#include "platform/win_api.h"

#include <string>
#include <string_view>

#include "platform/fatal_error.h"

namespace quorlin::platform::api {

#define QUORLIN_API_DEFINE(library, name) Slot<types::name##_t> name{Library::library, #name};
QUORLIN_WIN_API_LIST(QUORLIN_API_DEFINE)
#undef QUORLIN_API_DEFINE

namespace {

// The file names, as they appear in error messages, in the order of Library.
constexpr const char* kLibraryFiles[] = {"kernel32.dll", "user32.dll",   "gdi32.dll",   "GdiPlus.dll",
                                         "ole32.dll",    "advapi32.dll", "comctl32.dll"};
std::atomic<HMODULE> loadedModules[std::size(kLibraryFiles)];

}  // namespace

// Loads by full path from the system directory: never from the program's folder or the current
// directory, where a planted DLL of the same name could lie.
HMODULE LoadSystemLibrary(const char* fileName, LibraryLoader load) {
  wchar_t directory[MAX_PATH];
  UINT length = ::GetSystemDirectoryW(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::string_view name(fileName);  // the table's library names are ASCII
  const std::wstring path = std::wstring(directory, length) + L'\\' + std::wstring(name.begin(), name.end());
  HMODULE module = load(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER)
    module = load(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  return module;
}

void* TryResolve(Library library, const char* name) {
  // The caller sees the last error of its own call, never one of the lookup.
  const DWORD lastError = ::GetLastError();
  auto& slot = loadedModules[static_cast<int>(library)];
  HMODULE module = slot.load(std::memory_order_acquire);
  if (module == nullptr) {
    module = LoadSystemLibrary(kLibraryFiles[static_cast<int>(library)]);
    if (module != nullptr) slot.store(module, std::memory_order_release);
  }
  void* address = module != nullptr ? reinterpret_cast<void*>(::GetProcAddress(module, name)) : nullptr;
  ::SetLastError(lastError);
  return address;
}

void* Resolve(Library library, const char* name) {
  void* address = TryResolve(library, name);
  if (address == nullptr) {
    FatalError(std::string("无法找到指定DLL库文件“") + kLibraryFiles[static_cast<int>(library)] + "”中的输出命令“" +
               name + "”");
  }
  return address;
}

}  // namespace quorlin::platform::api

namespace quorlin::platform {

bool RestrictDllSearch(const api::Slot<api::types::SetDefaultDllDirectories_t>& entry) {
  auto setDefaultDllDirectories = entry.TryGet();
  return setDefaultDllDirectories != nullptr && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

}  // namespace quorlin::platform
