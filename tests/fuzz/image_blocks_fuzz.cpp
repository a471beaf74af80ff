// Arbitrary bytes as a run of image blocks: the walk must stay inside the bytes, agree with the
// single-block reader, and hand every payload to the picture decoding without harm.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "fuzz_check.h"
#include "platform/logic/gif_decoder.h"
#include "skin/logic/image_resource.h"

using quorlin::platform::DecodeFrameSet;
using quorlin::platform::FrameSet;
using quorlin::skin::ImageBlock;
using quorlin::skin::kImageBlockHeaderSize;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> blob(data, size);
  bool truncated = false;
  const auto blocks = quorlin::skin::SplitImageBlocks(blob, &truncated);

  // There is no picture decoder for non-GIF bytes here: only the GIF path can give a picture.
  const auto noDecoder = [](std::span<const std::uint8_t>) -> std::optional<FrameSet> {
    return std::nullopt;
  };

  std::size_t offset = 0;
  for (const ImageBlock& block : blocks) {
    FUZZ_CHECK(size - offset >= kImageBlockHeaderSize);
    FUZZ_CHECK(block.data == data + offset + kImageBlockHeaderSize);
    FUZZ_CHECK(block.length <= size - offset - kImageBlockHeaderSize);

    // The walk and the reader of one block see the same header.
    const ImageBlock single = quorlin::skin::ReadImageResource(data + offset);
    FUZZ_CHECK(single.type == block.type && single.length == block.length &&
               single.data == block.data);
    const auto bytes = quorlin::skin::ImageBytes(data + offset);
    FUZZ_CHECK(bytes.data() == block.data && bytes.size() == block.length);

    const auto picture = DecodeFrameSet(bytes, -1, noDecoder);
    if (picture) {
      FUZZ_CHECK(quorlin::platform::LooksLikeGif(bytes));
      FUZZ_CHECK(picture->Usable());
    }
    offset += kImageBlockHeaderSize + block.length;
  }
  // Stopping early is reported exactly when bytes are left over.
  FUZZ_CHECK(offset <= size);
  FUZZ_CHECK(truncated == (offset != size));

  // A missing block reads as an empty one.
  FUZZ_CHECK(quorlin::skin::ImageBytes(nullptr).empty());

  // The same walk without the flag gives the same blocks.
  const auto again = quorlin::skin::SplitImageBlocks(blob);
  FUZZ_CHECK(again.size() == blocks.size());
  return 0;
}
