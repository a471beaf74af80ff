// The thread model of the platform services. Windows, controls, properties, labels, the timer and
// the animation box are used on the window thread only, the thread that runs the message loop:
// nothing in them is locked. Another thread (the worker of Apply) hands each step to the window
// thread with RunOnWindowThread and waits for it; that hand-off and the function table are the only
// parts other threads call, and they are safe to call from any thread.
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

// Ends the program with a message naming `service` when called on another thread than the bound
// window thread (any thread passes before one is bound).
void CheckWindowThread(const char* service);
// The check at the entry of a service, in debug builds only.
#ifdef NDEBUG
inline void ExpectWindowThread(const char*) {}
#else
inline void ExpectWindowThread(const char* service) { CheckWindowThread(service); }
#endif

}  // namespace quorlin::platform
