// Conversions between the program's own text (UTF-8) and the UTF-16 of the wide Win32 API.
#pragma once

#include <string>
#include <string_view>

namespace quorlin::platform {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace quorlin::platform
