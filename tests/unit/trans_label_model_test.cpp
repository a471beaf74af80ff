#include "platform/logic/trans_label_model.h"

#include <gtest/gtest.h>

namespace quorlin::platform {
namespace {

constexpr std::uint32_t kNoClip = 0x100, kCenter = 0x1, kRight = 0x2, kVCenter = 0x4, kBottom = 0x8,
                        kWordBreak = 0x10, kSingleLine = 0x20;

TEST(LabelProperties, AlignmentsAndEffectAreClampedIntoRange) {
  LabelProperties label;
  label.Set(kPropHAlign, 5);
  label.Set(kPropVAlign, -1);
  label.Set(kPropEffect, 9);
  EXPECT_EQ(label.hAlign, 2);
  EXPECT_EQ(label.vAlign, 0);
  EXPECT_EQ(label.effect, 3);
  label.Set(kPropEffect, -4);
  EXPECT_EQ(label.effect, 0);
  EXPECT_FALSE(label.Set(15, 1)) << "index 15 is not a label property";
}

TEST(LabelProperties, DefaultsMatchANewLabel) {
  LabelProperties label;
  EXPECT_EQ(label.caption, "透明标签");
  EXPECT_EQ(label.vAlign, 1);
  EXPECT_EQ(label.Get(kPropForeColor)->Number(), 0);
  EXPECT_FALSE(label.Get(kPropWordWrap)->Flag());
}

TEST(LabelFormatFlags, SingleLineUsesTheVerticalAlignment) {
  EXPECT_EQ(LabelFormatFlags(0, 0, false), kNoClip | kSingleLine);
  EXPECT_EQ(LabelFormatFlags(1, 1, false), kNoClip | kCenter | kSingleLine | kVCenter);
  EXPECT_EQ(LabelFormatFlags(2, 2, false), kNoClip | kRight | kSingleLine | kBottom);
  EXPECT_EQ(LabelFormatFlags(5, -1, false), kNoClip | kRight | kSingleLine) << "out-of-range values clamp";
}

TEST(LabelFormatFlags, WordWrapIgnoresTheVerticalAlignment) {
  for (int vAlign = 0; vAlign <= 2; ++vAlign)
    EXPECT_EQ(LabelFormatFlags(0, vAlign, true), kNoClip | kWordBreak | kVCenter);
}

TEST(LabelTextPasses, EachEffectDrawsItsCopiesBehindTheText) {
  LabelProperties label;
  label.caption = "x";
  label.foreColor = 0x123456;
  label.effect = 0;
  EXPECT_EQ(LabelTextPasses(label), (std::vector<TextPass>{{0, 0, 0x123456}}));
  label.effect = 1;
  EXPECT_EQ(LabelTextPasses(label), (std::vector<TextPass>{{1, 1, 0xFFFFFF}, {0, 0, 0x123456}}));
  label.effect = 2;
  EXPECT_EQ(LabelTextPasses(label), (std::vector<TextPass>{{0, 0, 0xFFFFFF}, {1, 1, 0x123456}}));
  label.effect = 3;
  EXPECT_EQ(LabelTextPasses(label), (std::vector<TextPass>{{2, 2, 0x000000}, {0, 0, 0x123456}}));
}

TEST(LabelTextPasses, AnEmptyCaptionDrawsNothingNotEvenItsEffect) {
  LabelProperties label;
  label.caption.clear();
  label.effect = 3;
  EXPECT_TRUE(LabelTextPasses(label).empty());
}

TEST(LabelRecord, RoundTripsEveryStoredValue) {
  LabelProperties label;
  label.caption = "版本号：V1.0.0.1";
  label.effect = 2;
  label.foreColor = 0xC0C0C0;
  label.hAlign = 1;
  label.vAlign = 2;
  label.wordWrap = true;
  FontRecord font;
  font.height = -10;
  font.weight = 400;
  font.charSet = 134;
  font.faceName = "微软雅黑";
  label.font = font;

  std::vector<std::uint8_t> record = BuildLabelRecord(label);
  auto parsed = ParseLabelRecord(record);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->caption, label.caption);
  EXPECT_EQ(parsed->effect, 2);
  EXPECT_EQ(parsed->foreColor, 0xC0C0C0u);
  EXPECT_EQ(parsed->hAlign, 1);
  EXPECT_EQ(parsed->vAlign, 2);
  EXPECT_TRUE(parsed->wordWrap);
  ASSERT_TRUE(parsed->font);
  EXPECT_EQ(*parsed->font, font);
}

TEST(LabelRecord, ALaterVersionOrACutRecordIsRefused) {
  LabelProperties label;
  label.caption = "abc";
  std::vector<std::uint8_t> record = BuildLabelRecord(label);
  std::vector<std::uint8_t> later = record;
  later[0] = 2;
  EXPECT_FALSE(ParseLabelRecord(later));
  for (std::size_t length = 0; length < record.size(); ++length)
    EXPECT_FALSE(ParseLabelRecord(std::span(record.data(), length))) << "cut at " << length;
  EXPECT_TRUE(ParseLabelRecord(record));
}

TEST(LabelRecord, AHugeLengthFieldDoesNotReadPastTheRecord) {
  LabelProperties label;
  label.font.reset();
  std::vector<std::uint8_t> record = BuildLabelRecord(label);
  // The caption length sits after the six words and the empty font block.
  record[28] = 0xFF;
  record[29] = 0xFF;
  record[30] = 0xFF;
  record[31] = 0xFF;
  EXPECT_FALSE(ParseLabelRecord(record));
}

TEST(FontRecord, LaysOutLikeALogFontAndCutsLongFaceNames) {
  FontRecord font;
  font.height = -16;
  font.weight = 700;
  font.italic = 1;
  font.faceName = std::string(40, 'a');
  std::string bytes = font.Serialize();
  ASSERT_EQ(bytes.size(), 60u);
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xF0);  // -16, little-endian
  EXPECT_EQ(static_cast<unsigned char>(bytes[16]), 0xBC);  // 700 = 0x2BC
  EXPECT_EQ(bytes[20], 1);                                  // italic
  EXPECT_EQ(bytes[59], '\0') << "the name keeps its terminator";
  auto parsed = FontRecord::Parse(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->faceName, std::string(31, 'a'));
}

TEST(EnglishFamilyName, TheLabelsLocalizedFaceHasItsEnglishNameAndOthersNone) {
  EXPECT_EQ(EnglishFamilyName("微软雅黑"), "Microsoft YaHei");
  EXPECT_EQ(EnglishFamilyName("Microsoft YaHei"), std::nullopt) << "an English name is tried only once";
  EXPECT_EQ(EnglishFamilyName(""), std::nullopt);
  EXPECT_EQ(EnglishFamilyName("微软雅黑 "), std::nullopt);
}

TEST(KeyOutUntouched, UntouchedPixelsBecomeTheKeyAndTextOnTheKeyMovesOffIt) {
  constexpr std::uint32_t kKey = 0x787878;
  struct Case {
    const char* what;
    std::uint32_t backdrop, drawn, expected;
  };
  const Case cases[] = {
      {"untouched", 0x1C2129, 0x1C2129, kKey},
      {"untouched, the byte above RGB differs", 0x001C2129, 0xFF1C2129, kKey},
      {"text colour", 0x1C2129, 0xC0C0C0, 0xC0C0C0},
      {"blend of text and backdrop", 0x1C2129, 0x6E7075, 0x6E7075},
      {"text pixel equal to the key", 0x1C2129, 0xFF787878, 0x787879},
      {"backdrop equal to the key, untouched", kKey, kKey, kKey},
  };
  for (const Case& c : cases) {
    std::uint32_t drawn[] = {c.drawn};
    const std::uint32_t backdrop[] = {c.backdrop};
    KeyOutUntouched(drawn, backdrop, kKey);
    EXPECT_EQ(drawn[0], c.expected) << c.what;
  }
}

}  // namespace
}  // namespace quorlin::platform
