#include "skin/logic/image_resource.h"

namespace quorlin::skin {
namespace {

// Blocks sit at arbitrary byte addresses, so assemble words byte by byte
// instead of dereferencing a possibly unaligned uint32_t pointer.
std::uint32_t ReadLe32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
         (std::uint32_t{p[3]} << 24);
}

}  // namespace

ImageBlock ReadImageResource(ImageResource resource) {
  if (resource == nullptr) return {};
  return {ReadLe32(resource), ReadLe32(resource + 4), resource + kImageBlockHeaderSize};
}

std::span<const std::uint8_t> ImageBytes(ImageResource resource) {
  const ImageBlock block = ReadImageResource(resource);
  if (block.data == nullptr) return {};
  return {block.data, block.length};
}

std::vector<ImageBlock> SplitImageBlocks(std::span<const std::uint8_t> blob, bool* truncated) {
  std::vector<ImageBlock> blocks;
  std::size_t offset = 0;
  bool stoppedEarly = false;
  while (offset < blob.size()) {
    const std::size_t left = blob.size() - offset;
    if (left < kImageBlockHeaderSize) {
      stoppedEarly = true;
      break;
    }
    const ImageBlock block = ReadImageResource(blob.data() + offset);
    // Compare against what is left rather than adding to offset: no overflow with huge lengths.
    if (block.length > left - kImageBlockHeaderSize) {
      stoppedEarly = true;
      break;
    }
    blocks.push_back(block);
    offset += kImageBlockHeaderSize + block.length;
  }
  if (truncated != nullptr) *truncated = stoppedEarly;
  return blocks;
}

}  // namespace quorlin::skin
