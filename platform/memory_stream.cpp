#include "platform/memory_stream.h"

#include <cstring>

namespace quorlin::platform {

MemoryStream OpenMemoryStream(std::span<const std::uint8_t> bytes) {
  MemoryStream result;
  if (bytes.empty()) return result;
  UniqueGlobal memory(api::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
  if (!memory) return result;
  void* target = api::GlobalLock(memory.get());
  if (target == nullptr) return result;
  std::memcpy(target, bytes.data(), bytes.size());
  api::GlobalUnlock(memory.get());
  UniqueStream stream;
  if (api::CreateStreamOnHGlobal(memory.get(), FALSE, stream.Put()) != S_OK || !stream) return result;
  result.memory = std::move(memory);
  result.stream = std::move(stream);
  return result;
}

}  // namespace quorlin::platform
