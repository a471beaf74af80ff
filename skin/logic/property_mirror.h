// A copy, kept in the process, of the window properties the layer writes, so that reading one back
// costs no call into the window system (under some systems every property read is a round trip to
// a server process). Pure bookkeeping; the Win32 side decides what is mirrored and keeps it true.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorlin::skin {

// Property names are atoms, which the window system compares without regard to ASCII case.
bool SamePropertyName(std::string_view a, std::string_view b);

class PropertyMirror {
 public:
  // The value last stored for the window's property; nullopt when the mirror does not know it.
  std::optional<std::uintptr_t> Find(std::uintptr_t window, std::string_view name) const;
  // The window's property now holds `value` (0 also for an absent or removed one: both read as 0).
  void Store(std::uintptr_t window, std::string_view name, std::uintptr_t value);
  // Nothing is known any more about the window (it was destroyed).
  void Forget(std::uintptr_t window);

  // The windows whose property `name` is known to hold something other than 0.
  std::vector<std::uintptr_t> WindowsWith(std::string_view name) const;

  std::size_t WindowCount() const { return windows_.size(); }

 private:
  struct Entry {
    std::string name;
    std::uintptr_t value = 0;
  };
  std::unordered_map<std::uintptr_t, std::vector<Entry>> windows_;
};

}  // namespace quorlin::skin
