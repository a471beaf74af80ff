// The value of a numbered control property: a 32-bit integer (numbers, flags, colours) or a text
// (captions and tags in UTF-8, or the bytes of a font record).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace quorlin::platform {

class PropertyValue {
 public:
  PropertyValue() : value_(std::int32_t{0}) {}
  PropertyValue(std::int32_t number) : value_(number) {}                 // NOLINT: implicit by design
  PropertyValue(std::uint32_t number) : value_(static_cast<std::int32_t>(number)) {}  // NOLINT
  PropertyValue(bool flag) : value_(std::int32_t{flag ? 1 : 0}) {}       // NOLINT
  PropertyValue(const char* text) : value_(std::string(text)) {}         // NOLINT
  PropertyValue(std::string text) : value_(std::move(text)) {}           // NOLINT
  PropertyValue(std::string_view text) : value_(std::string(text)) {}    // NOLINT

  bool IsText() const { return std::holds_alternative<std::string>(value_); }
  // A text reads as number 0; a number reads as its decimal text.
  std::int32_t Number() const {
    if (auto* n = std::get_if<std::int32_t>(&value_)) return *n;
    return 0;
  }
  bool Flag() const { return Number() != 0; }
  std::string Text() const {
    if (auto* s = std::get_if<std::string>(&value_)) return *s;
    return std::to_string(std::get<std::int32_t>(value_));
  }
  bool operator==(const PropertyValue&) const = default;

 private:
  std::variant<std::int32_t, std::string> value_;
};

}  // namespace quorlin::platform
