#pragma once

// The pictures compiled into the program (generated from resources/ by
// cmake/EmbedImages.cmake). Each accessor returns the address of the picture's
// image block: type word, byte count, then the PNG or GIF file. Blocks lie
// back to back without padding, so an address may have any alignment.

#include <cstdint>
#include <span>

namespace quorlin::resources {

const std::uint8_t* IntroBackground();  // 800 x 540 PNG, opaque
const std::uint8_t* DoneBackground();   // 800 x 540 PNG, opaque
const std::uint8_t* RadioOn();          // 22 x 22 PNG with alpha
const std::uint8_t* RadioOff();
const std::uint8_t* ApplyNormal();      // 160 x 52 PNG with alpha
const std::uint8_t* ApplyOver();
const std::uint8_t* ApplyPressed();
const std::uint8_t* LogOffNormal();     // 160 x 52 PNG with alpha
const std::uint8_t* LogOffOver();
const std::uint8_t* LogOffPressed();
const std::uint8_t* CloseNormal();      // 18 x 18 PNG with alpha
const std::uint8_t* CloseOver();
const std::uint8_t* ClosePressed();
const std::uint8_t* ProgressStrip();    // 800 x 6 animated GIF

// Every block above, in this order, as one span.
std::span<const std::uint8_t> AllImageBlocks();

}  // namespace quorlin::resources
