// Helpers shared by the Win32 tests: pumping messages and capturing what the screen shows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace quorlin::testing {

// Dispatches messages until `done` holds or `timeoutMs` has passed; returns whether it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);
// Dispatches what is queued now, for at most 50 ms.
void PumpPending();

// The screen pixels of a rectangle (screen coordinates) as 0x00RRGGBB, row by row.
std::vector<std::uint32_t> CaptureScreen(const RECT& area);
// What a window has drawn in its client area, as 0x00RRGGBB, row by row; also the pixels of its
// colour key, which the screen does not show.
std::vector<std::uint32_t> CaptureClient(HWND window);

}  // namespace quorlin::testing
