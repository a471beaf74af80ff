// Where the process looks for libraries that are loaded by name.
#pragma once

#include "platform/win_api.h"

namespace quorlin::platform {

// Limits the search for libraries loaded by name (uxtheme.dll, dwmapi.dll and the others that
// Common Controls 6 and the shell pull in) to the system directory, so that a DLL planted in the
// program's folder is never loaded. Must run before anything else. A system without the function
// (Windows 7 without KB2533623) keeps its ordinary search; that is not an error. True when the
// search was restricted. `entry` is the table entry to call, replaceable for tests.
bool RestrictDllSearch(const api::Slot<api::types::SetDefaultDllDirectories_t>& entry =
                           api::SetDefaultDllDirectories);

}  // namespace quorlin::platform
