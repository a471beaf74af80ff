// The transparent label's properties, their clamping, its stored design record and how it draws.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/logic/property_value.h"

namespace quorlin::platform {

enum LabelProperty : int {
  kPropCaption = 8,
  kPropEffect = 9,
  kPropLabelFont = 10,
  kPropForeColor = 11,
  kPropHAlign = 12,
  kPropWordWrap = 13,
  kPropVAlign = 14,
};

// A font description laid out like the 60-byte LOGFONTA record; the face name is kept as UTF-8 here
// and stored in the record's 32-byte name field with a terminating zero.
struct FontRecord {
  std::int32_t height = 0, width = 0, escapement = 0, orientation = 0, weight = 0;
  std::uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 0, outPrecision = 0, clipPrecision = 0,
               quality = 0, pitchAndFamily = 0;
  std::string faceName;

  static constexpr std::size_t kSize = 60;
  std::string Serialize() const;
  static std::optional<FontRecord> Parse(std::span<const std::uint8_t> bytes);
  bool operator==(const FontRecord&) const = default;
};

struct LabelProperties {
  std::string caption = "透明标签";
  std::int32_t effect = 0;
  std::optional<FontRecord> font;  // none: the stock GUI font
  std::uint32_t foreColor = 0;
  std::int32_t hAlign = 0;
  bool wordWrap = false;
  std::int32_t vAlign = 1;

  // Stores a clamped value; false for an index that is not a label property.
  bool Set(int index, const PropertyValue& value);
  std::optional<PropertyValue> Get(int index) const;
};

// DrawText flags for the label (values as in the Win32 headers).
std::uint32_t LabelFormatFlags(std::int32_t hAlign, std::int32_t vAlign, bool wordWrap);

// One pass of text drawing: the caption in `color`, offset by (dx, dy) from the client rectangle.
struct TextPass {
  int dx;
  int dy;
  std::uint32_t color;
  bool operator==(const TextPass&) const = default;
};
// The passes that draw a caption with its effect, in drawing order; empty for an empty caption.
std::vector<TextPass> LabelTextPasses(const LabelProperties& label);

// The family name to ask for when a localized one finds no font: GDI matches a localized family
// name such as "微软雅黑" only where the system's language is that of the name, the English name
// everywhere. Nothing for a name without a known other name.
std::optional<std::string> EnglishFamilyName(std::string_view face);

// Turns text drawn over the picture beneath a colour-keyed window into the window's own pixels:
// `drawn` held `backdrop` before the text was drawn over it. A pixel the text left as it was becomes
// the key (the window lets the picture itself through); a text pixel that happens to be the key is
// moved one step off it, so that it stays visible. Pixels are 0x00RRGGBB (the byte above is
// ignored and cleared); both spans have the same length.
void KeyOutUntouched(std::span<std::uint32_t> drawn, std::span<const std::uint32_t> backdrop,
                     std::uint32_t keyRgb);

// The stored design record of a label: version 1, effect, colour, alignments, word wrap, font block
// and caption. A record of a later version, or one that is cut short, is refused.
std::vector<std::uint8_t> BuildLabelRecord(const LabelProperties& label);
std::optional<LabelProperties> ParseLabelRecord(std::span<const std::uint8_t> record);

}  // namespace quorlin::platform
