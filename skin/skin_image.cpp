#include "skin/skin_image.h"

#include <memory>
#include <unordered_map>
#include <utility>

#include "platform/memory_stream.h"
#include "skin/load_dialog.h"

namespace quorlin::skin {
namespace {

using platform::MemoryStream;

// Streams of the images LoadSkinImage returned, by image. A stream-backed GDI+ image may read its
// stream at any time while it exists, so each entry lives exactly as long as its image.
// Intentionally never destroyed: pictures live until the process ends and may still be drawn while
// static objects are being torn down. Used on the window thread only, like every composition.
std::unordered_map<SkinImage, MemoryStream>& StreamsByImage() {
  static auto* streams = new std::unordered_map<SkinImage, MemoryStream>();
  return *streams;
}

ULONG_PTR gdiplusToken = 0;
std::unique_ptr<GUID> frameDimensionTime;

}  // namespace

void SkinLayerStartup() {
  Gdiplus::GdiplusStartupInput input;
  input.GdiplusVersion = 1;
  input.DebugEventCallback = nullptr;
  input.SuppressBackgroundThread = FALSE;
  input.SuppressExternalCodecs = FALSE;
  api::GdiplusStartup(&gdiplusToken, &input, nullptr);

  frameDimensionTime = std::make_unique<GUID>();
  const WideText guidText = ToWideText("{6AEDBD6D-3FB5-418A-83A6-7F45229DC872}");
  if (!guidText.empty()) api::CLSIDFromString(guidText.c_str(), frameDimensionTime.get());

  RegisterLoadDialogClass();
}

void ReleaseSkinLayer() { frameDimensionTime.reset(); }

const GUID* FrameDimensionTime() { return frameDimensionTime.get(); }

SkinImage LoadSkinImage(ImageResource resource) {
  const ImageBlock block = ReadImageResource(resource);
  // An empty block cannot hold a picture; GDI+ would only refuse it after an allocation.
  if (block.data == nullptr || block.length == 0) return nullptr;
  MemoryStream source = platform::OpenMemoryStream({block.data, block.length});
  if (!source.stream) return nullptr;
  SkinImage image = nullptr;
  if (api::GdipLoadImageFromStream(source.stream.get(), &image) != Gdiplus::Ok || image == nullptr) return nullptr;
  // Frame 0 of the time dimension: a GIF shows its first frame; a PNG has none and stays as it is.
  api::GdipImageSelectActiveFrame(image, FrameDimensionTime(), 0);
  StreamsByImage()[image] = std::move(source);
  return image;
}

void DisposeSkinImage(SkinImage image) {
  if (image == nullptr) return;
  api::GdipDisposeImage(image);
  StreamsByImage().erase(image);
}

WideText ToWideText(const char* text) {
  if (text == nullptr) return {};
  const int count = api::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (count <= 0) return {};
  std::vector<wchar_t> units(static_cast<std::size_t>(count), L'\0');
  if (api::MultiByteToWideChar(CP_ACP, 0, text, -1, units.data(), count) <= 0) return {};
  return WideText(std::move(units));
}

}  // namespace quorlin::skin
