#include "platform/logic/trans_label_model.h"

#include <algorithm>
#include <cstring>

namespace quorlin::platform {

namespace {

constexpr std::uint32_t kDtLeft = 0x0, kDtCenter = 0x1, kDtRight = 0x2, kDtVCenter = 0x4, kDtBottom = 0x8,
                        kDtWordBreak = 0x10, kDtSingleLine = 0x20, kDtNoClip = 0x100;
constexpr std::uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000;
constexpr std::size_t kFaceNameBytes = 32;

std::int32_t Clamp(std::int32_t value, std::int32_t low, std::int32_t high) {
  return std::min(std::max(value, low), high);
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Reads little-endian fields from a record, refusing any read past its end.
class RecordReader {
 public:
  explicit RecordReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::optional<std::uint32_t> U32() {
    if (bytes_.size() - offset_ < 4) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | bytes_[offset_ + static_cast<std::size_t>(i)];
    offset_ += 4;
    return value;
  }
  std::optional<std::span<const std::uint8_t>> Bytes(std::uint32_t count) {
    if (bytes_.size() - offset_ < count) return std::nullopt;
    auto part = bytes_.subspan(offset_, count);
    offset_ += count;
    return part;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t offset_ = 0;
};

}  // namespace

std::string FontRecord::Serialize() const {
  std::vector<std::uint8_t> out;
  for (std::int32_t v : {height, width, escapement, orientation, weight}) PutU32(out, static_cast<std::uint32_t>(v));
  for (std::uint8_t b : {italic, underline, strikeOut, charSet, outPrecision, clipPrecision, quality, pitchAndFamily})
    out.push_back(b);
  std::size_t nameLength = std::min(faceName.size(), kFaceNameBytes - 1);
  out.insert(out.end(), faceName.begin(), faceName.begin() + static_cast<std::ptrdiff_t>(nameLength));
  out.resize(kSize, 0);
  return std::string(out.begin(), out.end());
}

std::optional<FontRecord> FontRecord::Parse(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kSize) return std::nullopt;
  RecordReader reader(bytes);
  FontRecord font;
  for (std::int32_t* field : {&font.height, &font.width, &font.escapement, &font.orientation, &font.weight})
    *field = static_cast<std::int32_t>(*reader.U32());
  auto flags = *reader.Bytes(8);
  std::uint8_t* targets[] = {&font.italic,       &font.underline,     &font.strikeOut, &font.charSet,
                             &font.outPrecision, &font.clipPrecision, &font.quality,   &font.pitchAndFamily};
  for (std::size_t i = 0; i < 8; ++i) *targets[i] = flags[i];
  auto name = *reader.Bytes(kFaceNameBytes);
  auto end = std::find(name.begin(), name.end(), std::uint8_t{0});
  font.faceName.assign(name.begin(), end);
  return font;
}

bool LabelProperties::Set(int index, const PropertyValue& value) {
  switch (index) {
    case kPropCaption: caption = value.Text(); return true;
    case kPropEffect: effect = Clamp(value.Number(), 0, 3); return true;
    case kPropLabelFont: {
      std::string bytes = value.IsText() ? value.Text() : std::string();
      font = FontRecord::Parse(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
      return true;
    }
    case kPropForeColor: foreColor = static_cast<std::uint32_t>(value.Number()); return true;
    case kPropHAlign: hAlign = Clamp(value.Number(), 0, 2); return true;
    case kPropWordWrap: wordWrap = value.Flag(); return true;
    case kPropVAlign: vAlign = Clamp(value.Number(), 0, 2); return true;
    default: return false;
  }
}

std::optional<PropertyValue> LabelProperties::Get(int index) const {
  switch (index) {
    case kPropCaption: return PropertyValue(caption);
    case kPropEffect: return PropertyValue(effect);
    case kPropLabelFont: return PropertyValue(font ? font->Serialize() : std::string());
    case kPropForeColor: return PropertyValue(foreColor);
    case kPropHAlign: return PropertyValue(hAlign);
    case kPropWordWrap: return PropertyValue(wordWrap);
    case kPropVAlign: return PropertyValue(vAlign);
    default: return std::nullopt;
  }
}

std::uint32_t LabelFormatFlags(std::int32_t hAlign, std::int32_t vAlign, bool wordWrap) {
  std::uint32_t flags = kDtNoClip;
  switch (Clamp(hAlign, 0, 2)) {
    case 0: flags |= kDtLeft; break;
    case 1: flags |= kDtCenter; break;
    default: flags |= kDtRight; break;
  }
  if (wordWrap) return flags | kDtWordBreak | kDtVCenter;
  flags |= kDtSingleLine;
  switch (Clamp(vAlign, 0, 2)) {
    case 1: flags |= kDtVCenter; break;
    case 2: flags |= kDtBottom; break;
    default: break;
  }
  return flags;
}

std::vector<TextPass> LabelTextPasses(const LabelProperties& label) {
  if (label.caption.empty()) return {};
  std::vector<TextPass> passes;
  switch (label.effect) {
    case 1: passes.push_back({1, 1, kWhite}); break;
    case 2:
      // The white copy stays in place and the text itself moves down-right by one pixel.
      passes.push_back({0, 0, kWhite});
      passes.push_back({1, 1, label.foreColor});
      return passes;
    case 3: passes.push_back({2, 2, kBlack}); break;
    default: break;
  }
  passes.push_back({0, 0, label.foreColor});
  return passes;
}

std::optional<std::string> EnglishFamilyName(std::string_view face) {
  struct Names {
    std::string_view localized, english;
  };
  static constexpr Names kNames[] = {{"微软雅黑", "Microsoft YaHei"}};
  for (const Names& names : kNames)
    if (face == names.localized) return std::string(names.english);
  return std::nullopt;
}

void KeyOutUntouched(std::span<std::uint32_t> drawn, std::span<const std::uint32_t> backdrop,
                     std::uint32_t keyRgb) {
  constexpr std::uint32_t kRgb = 0xFFFFFF;
  keyRgb &= kRgb;
  for (std::size_t i = 0; i < drawn.size() && i < backdrop.size(); ++i) {
    std::uint32_t pixel = drawn[i] & kRgb;
    if (pixel == (backdrop[i] & kRgb))
      pixel = keyRgb;
    else if (pixel == keyRgb)
      pixel ^= 1;  // the lowest bit of blue: the nearest colour that is not the key
    drawn[i] = pixel;
  }
}

std::vector<std::uint8_t> BuildLabelRecord(const LabelProperties& label) {
  std::vector<std::uint8_t> out;
  PutU32(out, 1);
  PutU32(out, static_cast<std::uint32_t>(label.effect));
  PutU32(out, label.foreColor);
  PutU32(out, static_cast<std::uint32_t>(label.hAlign));
  PutU32(out, static_cast<std::uint32_t>(label.vAlign));
  PutU32(out, label.wordWrap ? 1 : 0);
  std::string font = label.font ? label.font->Serialize() : std::string();
  PutU32(out, static_cast<std::uint32_t>(font.size()));
  out.insert(out.end(), font.begin(), font.end());
  PutU32(out, static_cast<std::uint32_t>(label.caption.size()));
  out.insert(out.end(), label.caption.begin(), label.caption.end());
  return out;
}

std::optional<LabelProperties> ParseLabelRecord(std::span<const std::uint8_t> record) {
  RecordReader reader(record);
  auto version = reader.U32();
  if (!version || *version > 1) return std::nullopt;
  LabelProperties label;
  auto effect = reader.U32(), color = reader.U32(), hAlign = reader.U32(), vAlign = reader.U32(),
       wrap = reader.U32();
  if (!effect || !color || !hAlign || !vAlign || !wrap) return std::nullopt;
  label.Set(kPropEffect, static_cast<std::int32_t>(*effect));
  label.foreColor = *color;
  label.Set(kPropHAlign, static_cast<std::int32_t>(*hAlign));
  label.Set(kPropVAlign, static_cast<std::int32_t>(*vAlign));
  label.wordWrap = *wrap != 0;
  auto fontLength = reader.U32();
  if (!fontLength) return std::nullopt;
  auto fontBytes = reader.Bytes(*fontLength);
  if (!fontBytes) return std::nullopt;
  if (*fontLength != 0) {
    label.font = FontRecord::Parse(*fontBytes);
    if (!label.font) return std::nullopt;
  }
  auto captionLength = reader.U32();
  if (!captionLength) return std::nullopt;
  auto caption = reader.Bytes(*captionLength);
  if (!caption) return std::nullopt;
  label.caption.assign(caption->begin(), caption->end());
  return label;
}

}  // namespace quorlin::platform
