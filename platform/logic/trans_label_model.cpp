#include "platform/logic/trans_label_model.h"

#include <algorithm>

namespace quorlin::platform {

namespace {

constexpr std::uint32_t kDtVCenter = 0x4, kDtBottom = 0x8, kDtWordBreak = 0x10, kDtSingleLine = 0x20,
                        kDtNoClip = 0x100;
constexpr std::uint32_t kWhite = 0xFFFFFF, kBlack = 0x000000;
constexpr std::size_t kFaceNameBytes = 32;

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A length, then that many bytes.
void PutBlock(std::vector<std::uint8_t>& out, const std::string& bytes) {
  PutU32(out, static_cast<std::uint32_t>(bytes.size()));
  out.insert(out.end(), bytes.begin(), bytes.end());
}

// Reads little-endian fields from a record. A read past its end gives zeros and marks the whole
// read as failed.
class RecordReader {
 public:
  explicit RecordReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint32_t U32() {
    const std::span<const std::uint8_t> bytes = Bytes(4);
    std::uint32_t value = 0;
    for (std::size_t i = bytes.size(); i > 0; --i) value = (value << 8) | bytes[i - 1];
    return value;
  }
  std::span<const std::uint8_t> Bytes(std::uint32_t count) {
    if (bytes_.size() - offset_ < count) {
      ok_ = false;
      return {};
    }
    offset_ += count;
    return bytes_.subspan(offset_ - count, count);
  }
  bool ok() const { return ok_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t offset_ = 0;
  bool ok_ = true;
};

}  // namespace

std::string FontRecord::Serialize() const {
  std::vector<std::uint8_t> out;
  for (std::int32_t v : {height, width, escapement, orientation, weight}) PutU32(out, static_cast<std::uint32_t>(v));
  for (std::uint8_t b : {italic, underline, strikeOut, charSet, outPrecision, clipPrecision, quality, pitchAndFamily})
    out.push_back(b);
  out.insert(out.end(), faceName.begin(), faceName.begin() + std::min(faceName.size(), kFaceNameBytes - 1));
  out.resize(kSize, 0);
  return {out.begin(), out.end()};
}

std::optional<FontRecord> FontRecord::Parse(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kSize) return std::nullopt;
  RecordReader reader(bytes);
  FontRecord font;
  for (std::int32_t* field : {&font.height, &font.width, &font.escapement, &font.orientation, &font.weight})
    *field = static_cast<std::int32_t>(reader.U32());
  for (std::uint8_t* field : {&font.italic, &font.underline, &font.strikeOut, &font.charSet, &font.outPrecision,
                              &font.clipPrecision, &font.quality, &font.pitchAndFamily})
    *field = reader.Bytes(1)[0];
  auto name = reader.Bytes(kFaceNameBytes);
  font.faceName.assign(name.begin(), std::find(name.begin(), name.end(), std::uint8_t{0}));
  return font;
}

bool LabelProperties::Set(int index, const PropertyValue& value) {
  switch (index) {
    case kPropCaption: caption = value.Text(); return true;
    case kPropEffect: effect = std::clamp<std::int32_t>(value.Number(), 0, 3); return true;
    case kPropLabelFont: {
      std::string bytes = value.IsText() ? value.Text() : std::string();
      font = FontRecord::Parse(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
      return true;
    }
    case kPropForeColor: foreColor = static_cast<std::uint32_t>(value.Number()); return true;
    case kPropHAlign: hAlign = std::clamp<std::int32_t>(value.Number(), 0, 2); return true;
    case kPropWordWrap: wordWrap = value.Flag(); return true;
    case kPropVAlign: vAlign = std::clamp<std::int32_t>(value.Number(), 0, 2); return true;
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
  // DT_LEFT, DT_CENTER and DT_RIGHT are 0, 1 and 2: the horizontal alignment itself.
  const std::uint32_t flags = kDtNoClip | static_cast<std::uint32_t>(std::clamp<std::int32_t>(hAlign, 0, 2));
  if (wordWrap) return flags | kDtWordBreak | kDtVCenter;
  constexpr std::uint32_t kVertical[] = {0, kDtVCenter, kDtBottom};
  return flags | kDtSingleLine | kVertical[std::clamp<std::int32_t>(vAlign, 0, 2)];
}

std::vector<TextPass> LabelTextPasses(const LabelProperties& label) {
  if (label.caption.empty()) return {};
  switch (label.effect) {
    case 1: return {{1, 1, kWhite}, {0, 0, label.foreColor}};
    case 2: return {{0, 0, kWhite}, {1, 1, label.foreColor}};  // the text itself moves, not the copy
    case 3: return {{2, 2, kBlack}, {0, 0, label.foreColor}};
    default: return {{0, 0, label.foreColor}};
  }
}

std::optional<std::string> EnglishFamilyName(std::string_view face) {
  if (face == "微软雅黑") return "Microsoft YaHei";
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
  for (std::uint32_t field : {1u, static_cast<std::uint32_t>(label.effect), label.foreColor,
                              static_cast<std::uint32_t>(label.hAlign), static_cast<std::uint32_t>(label.vAlign),
                              label.wordWrap ? 1u : 0u})
    PutU32(out, field);
  PutBlock(out, label.font ? label.font->Serialize() : std::string());
  PutBlock(out, label.caption);
  return out;
}

std::optional<LabelProperties> ParseLabelRecord(std::span<const std::uint8_t> record) {
  RecordReader reader(record);
  if (reader.U32() > 1) return std::nullopt;
  LabelProperties label;
  label.Set(kPropEffect, static_cast<std::int32_t>(reader.U32()));
  label.foreColor = reader.U32();
  label.Set(kPropHAlign, static_cast<std::int32_t>(reader.U32()));
  label.Set(kPropVAlign, static_cast<std::int32_t>(reader.U32()));
  label.wordWrap = reader.U32() != 0;
  if (auto font = reader.Bytes(reader.U32()); !font.empty()) {
    label.font = FontRecord::Parse(font);
    if (!label.font) return std::nullopt;
  }
  auto caption = reader.Bytes(reader.U32());
  if (!reader.ok()) return std::nullopt;
  label.caption.assign(caption.begin(), caption.end());
  return label;
}

}  // namespace quorlin::platform
