// Starting other programs, pausing the calling thread, and starting a worker thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/logic/process_rules.h"

namespace quorlin::platform {

// Starts `commandLine` (program first, found by the ordinary search rules). With `wait` it blocks
// until the program has ended, otherwise until it is idle for input or 1000 ms have passed. True
// when the process was created; its exit code is not looked at.
bool RunCommandLine(const std::string& commandLine, bool wait = false, ShowMode showMode = kShowModeNormal);

struct CommandResult {
  bool started = false;       // the process was created
  bool exited = false;        // it ran to its end and its exit code was read
  bool timedOut = false;      // it was still running when the wait ran out, and was ended
  std::uint32_t exitCode = 0;

  bool Succeeded() const { return started && exited && exitCode == 0; }
};

// How long RunSystemCommand waits for the program before ending it.
inline constexpr std::uint32_t kSystemCommandTimeoutMs = 30000;

// Runs `programFileName` (a bare file name such as "reg.exe") from the Windows system directory
// only, with `commandLine` as its command line, without a console window and with the system
// directory as its working directory, and waits at most `timeoutMs` for it to end. A program still
// running then is terminated and reported as timed out, not as exited.
CommandResult RunSystemCommand(const std::string& programFileName, const std::string& commandLine,
                               ShowMode showMode, std::uint32_t timeoutMs = kSystemCommandTimeoutMs);

// Suspends the calling thread; a negative count sleeps 0 ms. Dispatches no window messages.
void Delay(int milliseconds);

using ThreadEntry = void (*)(std::int32_t parameter);

// Runs `entry(parameter)` on a new thread. With `handleOut` the thread's handle is stored there and
// belongs to the caller; without it the handle is closed at once. True when the thread was created.
bool StartThread(ThreadEntry entry, std::int32_t parameter = 0, HANDLE* handleOut = nullptr);

}  // namespace quorlin::platform
