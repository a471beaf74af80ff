#include "app/scaling_write.h"

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/process.h"
#include "platform/win_api.h"

namespace quorlin::app {

namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kSystemPolicyKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

bool RunRegistryCommand(const std::string& commandLine) {
  // The system's own reg.exe, never one lying next to the tool or in the current directory.
  return platform::RunSystemCommand(kRegProgram, commandLine, platform::kShowModeHidden).Succeeded();
}

// A REG_DWORD of the current user's registry; nullopt when it is missing or of another type.
std::optional<std::uint32_t> ReadUserDword(const wchar_t* key, const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (api::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<std::uint32_t> StoredLogPixels() { return ReadUserDword(kDesktopKey, L"LogPixels"); }

WriteOutcome WriteScaling(DpiLevel level, bool (*mayGoOn)()) {
  if (RunRegistryCommand(LogPixelsCommandLine(level))) {
    // Once the tool is closed nothing more is written or read.
    if (!mayGoOn()) return WriteOutcome::Failed;
    if (RunRegistryCommand(Win8DpiScalingCommandLine())) {
      const DesktopValues values{ReadUserDword(kDesktopKey, L"LogPixels"),
                                 ReadUserDword(kDesktopKey, L"Win8DpiScaling")};
      if (WrittenAsAsked(values, level)) return WriteOutcome::Written;
    }
  }
  return RegistryToolsDisabled(ReadUserDword(kSystemPolicyKey, L"DisableRegistryTools")) ? WriteOutcome::BlockedByPolicy
                                                                                        : WriteOutcome::Failed;
}

}  // namespace quorlin::app
