#include "skin/logic/property_mirror.h"

#include <algorithm>

namespace quorlin::skin {
bool SamePropertyName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::optional<std::uintptr_t> PropertyMirror::Find(std::uintptr_t window, std::string_view name) const {
  const auto found = windows_.find(window);
  if (found == windows_.end()) return std::nullopt;
  for (const Entry& entry : found->second) {
    if (SamePropertyName(entry.name, name)) return entry.value;
  }
  return std::nullopt;
}

void PropertyMirror::Store(std::uintptr_t window, std::string_view name, std::uintptr_t value) {
  std::vector<Entry>& entries = windows_[window];
  const auto same = std::find_if(entries.begin(), entries.end(),
                                 [&](const Entry& e) { return SamePropertyName(e.name, name); });
  if (same != entries.end()) {
    same->value = value;
  } else {
    entries.push_back({std::string(name), value});
  }
}

std::vector<std::uintptr_t> PropertyMirror::WindowsWith(std::string_view name) const {
  std::vector<std::uintptr_t> found;
  for (const auto& [window, entries] : windows_) {
    for (const Entry& entry : entries) {
      if (entry.value != 0 && SamePropertyName(entry.name, name)) found.push_back(window);
    }
  }
  return found;
}

void PropertyMirror::Forget(std::uintptr_t window) { windows_.erase(window); }

}  // namespace quorlin::skin
