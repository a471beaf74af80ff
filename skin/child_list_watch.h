// When the skinned children of a layered form, or their order, may have changed: so that a refresh
// can reuse the list it found last time instead of walking the child windows again (every step of
// such a walk is a round trip to the window server on some systems).
#pragma once

#include <cstdint>

namespace quorlin::skin {

// Changes with every event that can add a skinned child to a form, take one away or reorder them:
// a window's type written or removed through the layer (any thread), and, on each watched thread,
// a window of that thread changing its place in the z-order or parent, or being destroyed.
std::uint64_t ChildListGeneration();
void NoteChildListChange();

// Watches the calling thread's windows from now on; false when the watch cannot be set up (then a
// list of children must never be reused on this thread).
bool WatchThisThread();

}  // namespace quorlin::skin
