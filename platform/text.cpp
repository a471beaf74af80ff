#include "platform/text.h"

#include <algorithm>

#include "platform/win_api.h"

namespace quorlin::platform {

std::wstring Widen(std::string_view utf8) {
  const int size = static_cast<int>(utf8.size());
  const int length = utf8.empty() ? 0 : api::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
  if (!wide.empty()) api::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string Narrow(std::wstring_view wide) {
  const int size = static_cast<int>(wide.size());
  const int length =
      wide.empty() ? 0 : api::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(std::max(length, 0)), '\0');
  if (!utf8.empty()) api::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

}  // namespace quorlin::platform
