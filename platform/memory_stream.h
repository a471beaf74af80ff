// Bytes in memory as a COM stream, for the system's picture decoders.
#pragma once

#include <cstdint>
#include <span>

#include "platform/handle_owners.h"

namespace quorlin::platform {

// A copy of the bytes in global memory and a stream over it that leaves the memory alone on release.
// Members go in reverse order: the stream first, then the memory it reads. A picture decoded from
// the stream may read it for as long as the picture exists.
struct MemoryStream {
  UniqueGlobal memory;
  UniqueStream stream;
};

// An empty MemoryStream when the bytes are empty or any step fails.
MemoryStream OpenMemoryStream(std::span<const std::uint8_t> bytes);

}  // namespace quorlin::platform
