#include "platform/logic/keyboard_rules.h"

#include <vector>

namespace quorlin::platform {

namespace {

// The first and one-past-last index of the radio group that holds `index`; a control that is no
// radio is a group of its own.
struct Group {
  std::size_t begin = 0;
  std::size_t end = 0;
};

Group GroupOf(std::span<const KeyStop> stops, std::size_t index) {
  Group group{index, index + 1};
  if (!stops[index].radio) return group;
  while (group.begin > 0 && stops[group.begin - 1].radio) --group.begin;
  while (group.end < stops.size() && stops[group.end].radio) ++group.end;
  return group;
}

// Where Tab lands in the group: its checked usable stop, else its first usable one.
std::optional<std::size_t> GroupEntry(std::span<const KeyStop> stops, Group group) {
  std::optional<std::size_t> first;
  for (std::size_t i = group.begin; i < group.end; ++i) {
    if (!stops[i].usable || !stops[i].tabStop) continue;
    if (stops[i].checked) return i;
    if (!first) first = i;
  }
  return first;
}

// One Tab stop: a control, or a whole radio group, with the control the focus goes to there.
struct Stop {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t target = 0;
};

std::vector<Stop> StopsOf(std::span<const KeyStop> stops) {
  std::vector<Stop> result;
  for (std::size_t i = 0; i < stops.size();) {
    const Group group = GroupOf(stops, i);
    if (std::optional<std::size_t> entry = GroupEntry(stops, group)) result.push_back({group.begin, group.end, *entry});
    i = group.end;
  }
  return result;
}

}  // namespace

std::optional<std::size_t> TabTarget(std::span<const KeyStop> stops, std::optional<std::size_t> from, bool backward) {
  const std::vector<Stop> order = StopsOf(stops);
  const std::size_t n = order.size();
  if (n == 0) return std::nullopt;
  if (!from || *from >= stops.size()) return order[backward ? n - 1 : 0].target;
  // The stop that holds `from` or, for a control that is no stop itself (disabled, say), the first
  // stop after it (n: none).
  std::size_t at = 0;
  while (at < n && order[at].end <= *from) ++at;
  const bool inside = at < n && order[at].begin <= *from;
  return order[backward ? (at + n - 1) % n : (at + (inside ? 1 : 0)) % n].target;
}

std::optional<std::size_t> ArrowTarget(std::span<const KeyStop> stops, std::size_t from, bool backward) {
  if (from >= stops.size() || !stops[from].radio) return std::nullopt;
  const Group group = GroupOf(stops, from);
  const std::size_t size = group.end - group.begin;
  for (std::size_t step = 1; step < size; ++step) {
    const std::size_t offset = from - group.begin;
    const std::size_t i = group.begin + (backward ? (offset + size - step) : (offset + step)) % size;
    if (stops[i].usable) return i;
  }
  return from;
}

}  // namespace quorlin::platform
