#include "skin/logic/image_resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace quorlin::skin {
namespace {

// One block: type word and length little-endian, then the payload.
std::vector<std::uint8_t> MakeBlock(std::uint32_t type, const std::vector<std::uint8_t>& payload,
                                    std::uint32_t length) {
  std::vector<std::uint8_t> out;
  for (std::uint32_t word : {type, length}) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(word >> shift));
  }
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

std::vector<std::uint8_t> MakeBlock(std::uint32_t type, const std::vector<std::uint8_t>& payload) {
  return MakeBlock(type, payload, static_cast<std::uint32_t>(payload.size()));
}

std::vector<std::uint8_t> Payload(std::size_t n, std::uint8_t seed) {
  std::vector<std::uint8_t> p(n);
  for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<std::uint8_t>(seed + i * 7);
  return p;
}

void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

TEST(ReadImageResourceTest, NullIsAnEmptyBlock) {
  const ImageBlock block = ReadImageResource(nullptr);
  EXPECT_EQ(block.type, 0u);
  EXPECT_EQ(block.length, 0u);
  EXPECT_EQ(block.data, nullptr);
  EXPECT_TRUE(ImageBytes(nullptr).empty());
}

TEST(ReadImageResourceTest, ReadsLittleEndianAtEveryAlignment) {
  // 0x0105 bytes: a big-endian or byte-swapped read would give a wildly different length.
  const auto payload = Payload(0x105, 3);
  const auto block = MakeBlock(0x0A0B0C0D, payload);
  for (std::size_t shift = 0; shift < 8; ++shift) {
    SCOPED_TRACE(shift);
    std::vector<std::uint8_t> storage(shift, 0xEE);
    Append(storage, block);
    const ImageResource at = storage.data() + shift;

    const ImageBlock read = ReadImageResource(at);
    EXPECT_EQ(read.type, 0x0A0B0C0Du);
    EXPECT_EQ(read.length, 0x105u);
    EXPECT_EQ(read.data, at + kImageBlockHeaderSize);

    const auto bytes = ImageBytes(at);
    ASSERT_EQ(bytes.size(), payload.size());
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), payload.begin()));
  }
}

TEST(ReadImageResourceTest, TypeWordDoesNotChangeThePictureBytes) {
  const auto payload = Payload(40, 11);
  const auto usual = MakeBlock(1, payload);
  const auto odd = MakeBlock(0xFFFFFFFF, payload);
  const auto a = ImageBytes(usual.data());
  const auto b = ImageBytes(odd.data());
  ASSERT_EQ(a.size(), b.size());
  EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin()));
  EXPECT_EQ(ReadImageResource(odd.data()).type, 0xFFFFFFFFu);
}

TEST(ReadImageResourceTest, BackToBackBlocksReadOnlyTheirOwnLength) {
  std::vector<std::uint8_t> blob = MakeBlock(1, Payload(5, 1));
  const std::size_t second = blob.size();
  Append(blob, MakeBlock(1, Payload(9, 100)));

  EXPECT_EQ(ImageBytes(blob.data()).size(), 5u);
  const auto bytes = ImageBytes(blob.data() + second);
  ASSERT_EQ(bytes.size(), 9u);
  EXPECT_EQ(bytes.front(), 100);
  EXPECT_EQ(bytes.data() + bytes.size(), blob.data() + blob.size());
}

class SplitImageBlocksTest : public ::testing::Test {
 protected:
  std::vector<ImageBlock> Split(std::span<const std::uint8_t> blob) {
    truncated_ = !expectTruncated_;  // make sure the walker writes the flag
    return SplitImageBlocks(blob, &truncated_);
  }
  bool truncated_ = false;
  bool expectTruncated_ = false;
};

TEST_F(SplitImageBlocksTest, WalksBlocksBackToBack) {
  std::vector<std::uint8_t> blob;
  // Odd sizes put every later header at an odd address; an empty picture sits in the middle.
  Append(blob, MakeBlock(1, Payload(3, 1)));
  Append(blob, MakeBlock(7, {}));
  Append(blob, MakeBlock(1, Payload(1001, 2)));

  const auto blocks = Split(blob);
  EXPECT_FALSE(truncated_);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].length, 3u);
  EXPECT_EQ(blocks[1].type, 7u);
  EXPECT_EQ(blocks[1].length, 0u);
  EXPECT_EQ(blocks[1].data, blob.data() + 11 + 8);
  EXPECT_EQ(blocks[2].length, 1001u);
  EXPECT_EQ(blocks[2].data, blob.data() + 11 + 8 + 8);
  EXPECT_EQ(blocks[2].data + blocks[2].length, blob.data() + blob.size());
}

TEST_F(SplitImageBlocksTest, EmptyBlobHasNoBlocksAndIsNotTruncated) {
  expectTruncated_ = false;
  EXPECT_TRUE(Split({}).empty());
  EXPECT_FALSE(truncated_);
  EXPECT_TRUE(SplitImageBlocks({}).empty());  // the flag is optional
}

TEST_F(SplitImageBlocksTest, StopsAtAPictureRunningPastTheEnd) {
  expectTruncated_ = true;
  std::vector<std::uint8_t> blob = MakeBlock(1, Payload(4, 1));
  Append(blob, MakeBlock(1, Payload(4, 2), 5));  // claims one byte more than there is

  const auto blocks = Split(blob);
  EXPECT_TRUE(truncated_);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].length, 4u);
}

TEST_F(SplitImageBlocksTest, StopsAtAPartialHeader) {
  expectTruncated_ = true;
  std::vector<std::uint8_t> blob = MakeBlock(1, Payload(2, 1));
  blob.insert(blob.end(), {1, 0, 0, 0, 0, 0, 0});  // seven of the eight header bytes

  const auto blocks = Split(blob);
  EXPECT_TRUE(truncated_);
  EXPECT_EQ(blocks.size(), 1u);
}

TEST_F(SplitImageBlocksTest, HugeLengthDoesNotWrapAround) {
  expectTruncated_ = true;
  // Lengths near 2^32: an offset + 8 + length bound would wrap where size_t is 32 bits wide.
  for (std::uint32_t length : {0xFFFFFFFFu, 0xFFFFFFF8u, 0x80000000u}) {
    SCOPED_TRACE(length);
    const auto blob = MakeBlock(1, Payload(16, 0), length);
    EXPECT_TRUE(Split(blob).empty());
    EXPECT_TRUE(truncated_);
  }
}

TEST_F(SplitImageBlocksTest, NeverLooksPastTheSpan) {
  expectTruncated_ = true;
  // The storage holds two complete blocks, but the span ends inside the second one's picture:
  // the walker must judge by the span, not by what happens to lie behind it.
  std::vector<std::uint8_t> storage = MakeBlock(1, Payload(6, 1));
  const std::size_t firstSize = storage.size();
  Append(storage, MakeBlock(1, Payload(6, 2)));

  const std::span<const std::uint8_t> view(storage.data(), firstSize + 8 + 5);
  const auto blocks = Split(view);
  EXPECT_TRUE(truncated_);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].data + blocks[0].length, storage.data() + firstSize);
}

}  // namespace
}  // namespace quorlin::skin
