// Embedded picture blocks: a 32-bit type word, a 32-bit byte count, then a complete
// PNG or GIF file, all little-endian and stored back to back with no padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quorlin::skin {

// Address of one block; null stands for "no picture" and reads as an empty block.
using ImageResource = const std::uint8_t*;

struct ImageBlock {
  std::uint32_t type = 0;    // always 1 in our data; never needed for decoding
  std::uint32_t length = 0;  // count of picture bytes at `data`
  const std::uint8_t* data = nullptr;
};

// Header size of a block; the next block starts at kImageBlockHeaderSize + length.
inline constexpr std::size_t kImageBlockHeaderSize = 8;

// Reads the header of the block at `resource` (any alignment). Trusts the length field: the
// caller vouches that the block is complete, as the compiled-in blocks are.
ImageBlock ReadImageResource(ImageResource resource);

// The picture bytes of the block (empty for null).
std::span<const std::uint8_t> ImageBytes(ImageResource resource);

// Walks blocks back to back through `blob`, never reading outside it. Stops at the first header
// or picture that would run past the end; `truncated` (if given) tells whether it stopped early
// rather than at the exact end of the blob.
std::vector<ImageBlock> SplitImageBlocks(std::span<const std::uint8_t> blob,
                                         bool* truncated = nullptr);

}  // namespace quorlin::skin
