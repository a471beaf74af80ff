// Decoded pictures of the skinned-control layer and the layer's one-time start-up.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstddef>
#include <utility>
#include <vector>

#include "skin/logic/image_resource.h"

namespace quorlin::skin {

// A GDI+ image; null means no picture and draws as nothing.
using SkinImage = Gdiplus::GpImage*;

// GDI+ start-up, the frame-dimension identifier and the "ZephelLoadDialog" window class. Called
// once, before the first window is shown.
void SkinLayerStartup();

// For the exit routine: frees the frame-dimension identifier. GDI+ is left running, and images
// stay drawable (decoding afterwards simply cannot select a frame).
void ReleaseSkinLayer();

// Decodes one embedded block; null on any failure. The image owns a private copy of the bytes and
// the stream GDI+ reads them through, so the block may change or vanish afterwards.
SkinImage LoadSkinImage(ImageResource resource);

// Disposes an image and then releases what it read from (stream, then memory) when it came from
// LoadSkinImage; other GDI+ images are simply disposed. The layer never calls this on pictures it
// is given: whoever stored a picture decides when it goes.
void DisposeSkinImage(SkinImage image);

// UTF-16 text with its terminating zero, converted from the system ANSI code page.
class WideText {
 public:
  WideText() = default;
  explicit WideText(std::vector<wchar_t> units) : units_(std::move(units)) {}
  // Null when the conversion failed.
  const wchar_t* c_str() const { return units_.empty() ? nullptr : units_.data(); }
  std::size_t ByteLength() const { return units_.size() * sizeof(wchar_t); }
  // Characters without the terminator.
  int Length() const { return units_.empty() ? 0 : static_cast<int>(units_.size() - 1); }
  bool empty() const { return units_.empty(); }

 private:
  std::vector<wchar_t> units_;
};

// ANSI (CP_ACP) text to UTF-16; an empty text gives the terminator alone, a failed conversion an
// empty (null) buffer.
WideText ToWideText(const char* text);

// The GDI+ time dimension {6AEDBD6D-3FB5-418A-83A6-7F45229DC872} once the layer is started, else
// null.
const GUID* FrameDimensionTime();

}  // namespace quorlin::skin
