#include "platform/dll_search.h"

namespace quorlin::platform {

bool RestrictDllSearch(const api::Slot<api::types::SetDefaultDllDirectories_t>& entry) {
  auto setDefaultDllDirectories = entry.TryGet();
  if (setDefaultDllDirectories == nullptr) return false;
  return setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

}  // namespace quorlin::platform
