#include "platform/process.h"

#include <memory>
#include <new>
#include <vector>

#include "platform/handle_owners.h"
#include "platform/win_api.h"

namespace quorlin::platform {

namespace {

constexpr DWORD kInputIdleTimeoutMs = 1000;

STARTUPINFOA StartupRecord(ShowMode showMode) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = ShowCommandFor(showMode);
  return startup;
}

// CreateProcessA may write into the command line, so it gets a private, terminated copy.
std::vector<char> WritableCopy(const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  return buffer;
}

// Owners for both handles of a created process; the thread's is declared last so it closes first.
struct ProcessHandles {
  UniqueHandle process;
  UniqueHandle thread;
  explicit ProcessHandles(const PROCESS_INFORMATION& info) : process(info.hProcess), thread(info.hThread) {}
};

// A bare file name: anything with a directory part or a drive could step out of the system directory.
bool IsBareFileName(const std::string& name) {
  return !name.empty() && name.find_first_of("\\/:") == std::string::npos;
}

std::string SystemDirectoryPath(const std::string& fileName) {
  char directory[MAX_PATH];
  UINT length = api::GetSystemDirectoryA(directory, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(directory, length) + "\\" + fileName;
}

struct ThreadStart {
  ThreadEntry entry;
  std::int32_t parameter;
};

// Adapts the tool's one-argument entry to the system's thread procedure; owns the start record.
DWORD WINAPI RunThreadEntry(LPVOID raw) {
  std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(raw));
  ThreadEntry entry = start->entry;
  std::int32_t parameter = start->parameter;
  start.reset();
  entry(parameter);
  return 0;
}

}  // namespace

bool RunCommandLine(const std::string& commandLine, bool wait, ShowMode showMode) {
  STARTUPINFOA startup = StartupRecord(showMode);
  PROCESS_INFORMATION info{};
  std::vector<char> command = WritableCopy(commandLine);
  if (!api::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &info)) {
    return false;
  }
  ProcessHandles handles(info);
  if (wait) {
    api::WaitForSingleObject(handles.process.get(), INFINITE);
  } else {
    api::WaitForInputIdle(handles.process.get(), kInputIdleTimeoutMs);
  }
  return true;
}

CommandResult RunSystemCommand(const std::string& programFileName, const std::string& commandLine,
                               ShowMode showMode) {
  CommandResult result;
  if (!IsBareFileName(programFileName)) return result;
  std::string program = SystemDirectoryPath(programFileName);
  if (program.empty()) return result;

  STARTUPINFOA startup = StartupRecord(showMode);
  PROCESS_INFORMATION info{};
  std::vector<char> command = WritableCopy(commandLine);
  if (!api::CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &info)) {
    return result;
  }
  ProcessHandles handles(info);
  result.started = true;
  DWORD exitCode = 0;
  if (api::WaitForSingleObject(handles.process.get(), INFINITE) == WAIT_OBJECT_0 &&
      api::GetExitCodeProcess(handles.process.get(), &exitCode)) {
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
