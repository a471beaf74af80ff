// Hands work from another thread to the window thread and waits for it to be done there.
#pragma once

#include <functional>

namespace quorlin::platform {

// Called once on the window thread before any other thread may hand it work.
void BindWindowThread();
bool OnWindowThread();
// Runs `step` on the window thread: at once when already there, otherwise by a sent message, so the
// caller continues only after the step has taken effect. Steps run between window messages, never in
// the middle of a composition or a paint.
void RunOnWindowThread(const std::function<void()>& step);

}  // namespace quorlin::platform
