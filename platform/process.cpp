#include "platform/process.h"

#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "platform/handle_owners.h"
#include "platform/win_api.h"

namespace quorlin::platform {

namespace {

constexpr DWORD kInputIdleTimeoutMs = 1000;

// A created process, its thread's handle closed first.
struct Started {
  UniqueHandle process, thread;
};

// CreateProcessA with the start-up record of the show mode and a private, terminated copy of the
// command line (the call may write into it); no handles inherited, the caller's environment.
std::optional<Started> Start(const char* program, const std::string& commandLine, DWORD flags,
                             const char* directory, ShowMode showMode) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = ShowCommandFor(showMode);
  std::vector<char> command(commandLine.begin(), commandLine.end());
  command.push_back('\0');
  PROCESS_INFORMATION info{};
  if (!api::CreateProcessA(program, command.data(), nullptr, nullptr, FALSE, flags, nullptr, directory, &startup,
                           &info))
    return std::nullopt;
  return Started{UniqueHandle(info.hProcess), UniqueHandle(info.hThread)};
}

// A bare file name: anything with a directory part or a drive could step out of the system directory.
bool IsBareFileName(const std::string& name) {
  return !name.empty() && name.find_first_of("\\/:") == std::string::npos;
}

// A program that has not ended when the wait ran out is ended here: a hanging reg.exe must not keep
// the tool waiting, nor linger after it. The short wait lets the end take effect before the
// handles close.
void EndProcess(HANDLE process) {
  api::TerminateProcess(process, 1);
  api::WaitForSingleObject(process, 5000);
}

struct ThreadStart {
  ThreadEntry entry;
  std::int32_t parameter;
};

// Adapts the tool's one-argument entry to the system's thread procedure; owns the start record.
DWORD WINAPI RunThreadEntry(LPVOID raw) {
  const ThreadStart start = *std::unique_ptr<ThreadStart>(static_cast<ThreadStart*>(raw));  // freed here
  start.entry(start.parameter);
  return 0;
}

}  // namespace

bool RunCommandLine(const std::string& commandLine, bool wait, ShowMode showMode) {
  const std::optional<Started> started = Start(nullptr, commandLine, 0, nullptr, showMode);
  if (!started) return false;
  if (wait)
    api::WaitForSingleObject(started->process.get(), INFINITE);
  else
    api::WaitForInputIdle(started->process.get(), kInputIdleTimeoutMs);
  return true;
}

CommandResult RunSystemCommand(const std::string& programFileName, const std::string& commandLine,
                               ShowMode showMode, std::uint32_t timeoutMs) {
  CommandResult result;
  if (!IsBareFileName(programFileName)) return result;
  char system[MAX_PATH];
  const UINT length = api::GetSystemDirectoryA(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return result;
  const std::string directory(system, length), program = directory + "\\" + programFileName;

  // No console window at all (hidden is not enough for a console program: its console could still
  // flash up), and the system directory as the working directory, so nothing is looked up in a
  // folder the user happened to start the tool from.
  const std::optional<Started> started =
      Start(program.c_str(), commandLine, CREATE_NO_WINDOW, directory.c_str(), showMode);
  if (!started) return result;
  HANDLE process = started->process.get();
  result.started = true;
  const DWORD waited = api::WaitForSingleObject(process, timeoutMs);
  if (waited == WAIT_TIMEOUT) {
    result.timedOut = true;
    EndProcess(process);
    return result;
  }
  DWORD exitCode = 0;
  if (waited == WAIT_OBJECT_0 && api::GetExitCodeProcess(process, &exitCode)) {
    result.exited = true;
    result.exitCode = exitCode;
  }
  return result;
}

void Delay(int milliseconds) { api::Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds)); }

bool StartThread(ThreadEntry entry, std::int32_t parameter, HANDLE* handleOut) {
  if (entry == nullptr) return false;
  auto start = std::unique_ptr<ThreadStart>(new (std::nothrow) ThreadStart{entry, parameter});
  if (!start) return false;
  UniqueHandle thread(api::CreateThread(nullptr, 0, RunThreadEntry, start.get(), 0, nullptr));
  if (!thread) return false;
  start.release();  // the new thread owns it now
  if (handleOut != nullptr) *handleOut = thread.Release();
  return true;
}

}  // namespace quorlin::platform
