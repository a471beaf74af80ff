// The one message the program ever shows: a fatal error, after which the process ends with -1.
#pragma once

#include <string_view>

namespace quorlin::platform {

// Shows the error box titled "错误" with the reason (UTF-8) and ends the process with exit code -1.
[[noreturn]] void FatalError(std::string_view reason);

}  // namespace quorlin::platform
