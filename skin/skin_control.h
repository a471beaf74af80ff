// Control-binding objects: each binds one native window, whose properties hold all of its state.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "skin/control_properties.h"

namespace quorlin::skin {

// Binds one native window; all state lives on the window, so one object may serve several windows
// in turn and always acts on the last one. The virtual operations keep a fixed slot order (slots 0
// and 1 are construction and copy); slots 9 and 12 repeat slots 3 and 6, filled by const overloads
// of the same operations.
class SkinControl {
 public:
  SkinControl() = default;
  SkinControl(const SkinControl&) = default;
  SkinControl& operator=(const SkinControl&) = default;

  virtual bool Attach(HWND hwnd);                                        // slot 2
  virtual HWND ControlHandle();                                          // slot 3
  virtual bool SetProperty(const char* name, std::intptr_t value);       // slot 4
  virtual std::intptr_t GetProperty(const char* name);                   // slot 5
  virtual LRESULT SendToControl(UINT message, WPARAM wParam, LPARAM lParam);  // slot 6
  virtual void SetToolTip(const char* text, std::optional<bool> atCursor = std::nullopt);  // slot 7
  // Absent coordinates keep the current ones; absent noRedraw means redraw.
  virtual void MoveControl(std::optional<int> x = std::nullopt, std::optional<int> y = std::nullopt,
                           std::optional<int> width = std::nullopt, std::optional<int> height = std::nullopt,
                           std::optional<bool> noRedraw = std::nullopt);  // slot 8
  virtual HWND ControlHandle() const;                                    // slot 9
  virtual bool IsAlive();                                                // slot 10
  virtual void Invalidate();                                             // slot 11
  virtual LRESULT SendToControl(UINT message, WPARAM wParam, LPARAM lParam) const;  // slot 12

 protected:
  // Not deleted through the base: the concrete classes are final.
  ~SkinControl() = default;

  HWND hwnd_ = nullptr;
};

}  // namespace quorlin::skin
