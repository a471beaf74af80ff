#include "platform/logic/cartoon_objects.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace quorlin::platform {
namespace {

constexpr std::uint32_t kForcedRepaintPeriodMs = 100;

int ClampToInt(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

// A deadline is reached once `now` is at or past it; the signed difference keeps that true
// across the wrap of the 32-bit tick count.
bool DeadlineReached(std::uint32_t now, std::uint32_t deadline) {
  return static_cast<std::int32_t>(now - deadline) >= 0;
}

// How long the current frame stays: its delay plus the extra delay, plus the play interval on
// frame 0. Negative sums mean "advance at once".
std::uint32_t FrameThreshold(const CartoonObject& object, const Frame& frame) {
  std::int64_t threshold = std::int64_t{frame.delayMs} + object.extraFrameDelay;
  if (object.frameIndex == 0) threshold += object.playInterval;
  return static_cast<std::uint32_t>(
      std::clamp<std::int64_t>(threshold, 0, std::numeric_limits<std::uint32_t>::max()));
}

// Whether Tick moves the object's frames on (or starts timing them).
bool Animates(const CartoonObject& object) {
  return object.visible && object.HasUsablePicture() && object.playing &&
         object.picture->frames.size() >= 2;
}

}  // namespace

BoxRect Intersect(const BoxRect& a, const BoxRect& b) {
  BoxRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
  if (r.Empty()) return {};
  return r;
}

BoxRect CartoonObject::Bounds() const {
  if (!HasUsablePicture()) return {};
  const int left = static_cast<int>(x);
  const int top = static_cast<int>(y);
  return {left, top, ClampToInt(std::int64_t{left} + picture->width),
          ClampToInt(std::int64_t{top} + picture->height)};
}

bool TakeForcedRepaint(ForcedRepaintClock& clock, std::uint32_t now) {
  if (now - clock.last <= kForcedRepaintPeriodMs) return false;
  clock.last = now;
  return true;
}

ObjectId CartoonScene::CreateObject(const CartoonTemplate* design, int x, int y, bool visible,
                                    std::string tag, std::uint32_t now) {
  CartoonObject object;
  object.id = nextId_;
  // Ids are not reused before Clear; the counter wraps only after 2^31 objects.
  nextId_ = nextId_ == std::numeric_limits<ObjectId>::max() ? 1 : nextId_ + 1;
  object.x = x;
  object.y = y;
  object.visible = visible;
  object.tag = std::move(tag);
  if (design) {
    object.layer = design->layer;
    object.alpha = design->alpha;
    object.playing = design->playGif;
    object.playsLeft = design->gifAutoDestroy;
    object.destroyWhenFinished = design->gifAutoDestroy >= 1;
    object.playInterval = design->gifDelay;
    if (design->existTime != 0) {
      const std::uint32_t deadline = now + static_cast<std::uint32_t>(design->existTime);
      object.lifeDeadline = deadline == 0 ? 1 : deadline;  // 0 would mean "no deadline"
    }
    if (design->picture && design->picture->Usable()) object.picture = design->picture;
  }

  const auto before = std::find_if(objects_.begin(), objects_.end(), [&](const CartoonObject& o) {
    return o.layer > object.layer;
  });
  const CartoonObject& inserted = *objects_.insert(before, std::move(object));
  Invalidate(inserted);
  return inserted.id;
}

void CartoonScene::SetObjectPicture(ObjectId id, std::shared_ptr<const FrameSet> picture) {
  CartoonObject* object = FindMutable(id);
  if (!object) return;
  Invalidate(*object);
  object->frameIndex = 0;
  object->frameStart = 0;
  object->picture.reset();
  object->playing = false;
  object->playsLeft = 0;
  object->playInterval = 0;
  object->extraFrameDelay = 0;
  object->destroyWhenFinished = false;
  if (picture && picture->Usable()) {
    object->picture = std::move(picture);
    Invalidate(*object);
  }
}

void CartoonScene::ShowObject(ObjectId id, bool visible) {
  CartoonObject* object = FindMutable(id);
  if (!object || object->visible == visible) return;
  object->visible = visible;
  if (const BoxRect bounds = object->Bounds(); !bounds.Empty()) invalid_.push_back(bounds);
}

void CartoonScene::PlayAnimation(ObjectId id, int plays, bool destroyWhenFinished,
                                 int extraFrameDelay, int playInterval) {
  CartoonObject* object = FindMutable(id);
  if (!object) return;
  if (plays < 0) {
    object->playing = false;
    return;
  }
  object->playsLeft = plays;
  object->playing = true;
  object->destroyWhenFinished = destroyWhenFinished;
  object->extraFrameDelay = extraFrameDelay;
  object->playInterval = playInterval;
}

void CartoonScene::DestroyObject(ObjectId id) {
  const auto it = std::find_if(objects_.begin(), objects_.end(),
                               [id](const CartoonObject& o) { return o.id == id; });
  if (it == objects_.end()) return;
  Invalidate(*it);
  objects_.erase(it);
}

void CartoonScene::Clear() {
  for (const CartoonObject& object : objects_) Invalidate(object);
  objects_.clear();
  nextId_ = 1;
}

TickResult CartoonScene::Tick(std::uint32_t now) {
  TickResult result;
  auto addInvalid = [&result](const CartoonObject& object) {
    if (!object.visible) return;
    if (const BoxRect bounds = object.Bounds(); !bounds.Empty()) result.invalid.push_back(bounds);
  };

  for (std::size_t i = 0; i < objects_.size();) {
    CartoonObject& object = objects_[i];
    if (object.lifeDeadline != 0 && DeadlineReached(now, object.lifeDeadline)) {
      addInvalid(object);
      objects_.erase(objects_.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    if (!Animates(object)) {
      ++i;
      continue;
    }

    const auto frameCount = static_cast<std::int32_t>(object.picture->frames.size());
    if (object.frameIndex < 0 || object.frameIndex >= frameCount) object.frameIndex = 0;
    if (object.frameStart == 0) object.frameStart = now;
    const Frame& frame = object.picture->frames[static_cast<std::size_t>(object.frameIndex)];
    if (now - object.frameStart < FrameThreshold(object, frame)) {
      ++i;
      continue;
    }

    bool destroy = false;
    if (++object.frameIndex >= frameCount) {
      object.frameIndex = 0;
      if (object.playsLeft > 0 && --object.playsLeft == 0) {
        object.playing = false;
        result.finished.push_back(object.id);
        destroy = object.destroyWhenFinished;
      }
    }
    object.frameStart = now;
    addInvalid(object);
    if (destroy) {
      objects_.erase(objects_.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    ++i;
  }
  return result;
}

bool CartoonScene::NeedsTicks() const {
  return std::any_of(objects_.begin(), objects_.end(),
                     [](const CartoonObject& o) { return o.lifeDeadline != 0 || Animates(o); });
}

bool CartoonScene::OnlyEndlessLoops() const {
  return std::none_of(objects_.begin(), objects_.end(), [](const CartoonObject& o) {
    return o.lifeDeadline != 0 || (Animates(o) && o.playsLeft != 0);
  });
}

void CartoonScene::CatchUp(std::uint32_t last, std::uint32_t now, std::uint32_t period) {
  if (period == 0) return;
  for (std::uint32_t tick = last + period; static_cast<std::int32_t>(now - tick) >= 0; tick += period) {
    if (!NeedsTicks()) return;
    Tick(tick);
  }
}

const CartoonObject* CartoonScene::Find(ObjectId id) const {
  const auto it = std::find_if(objects_.begin(), objects_.end(),
                               [id](const CartoonObject& o) { return o.id == id; });
  return it == objects_.end() ? nullptr : &*it;
}

CartoonObject* CartoonScene::FindMutable(ObjectId id) {
  return const_cast<CartoonObject*>(std::as_const(*this).Find(id));
}

std::vector<BoxRect> CartoonScene::TakeInvalidRects() { return std::exchange(invalid_, {}); }

void CartoonScene::Invalidate(const CartoonObject& object) {
  if (!object.visible) return;
  if (const BoxRect bounds = object.Bounds(); !bounds.Empty()) invalid_.push_back(bounds);
}

BoxBackground MakePlainBackground(int width, int height, std::uint32_t colourRef) {
  BoxBackground background;
  background.width = std::max(width, 0);
  background.height = std::max(height, 0);
  const std::uint32_t fill =
      MakePixel(static_cast<std::uint8_t>(colourRef >> 16), static_cast<std::uint8_t>(colourRef >> 8),
                static_cast<std::uint8_t>(colourRef));
  background.pixels.assign(
      static_cast<std::size_t>(background.width) * static_cast<std::size_t>(background.height), fill);
  return background;
}

std::uint32_t BlendPixel(std::uint32_t buffer, std::uint32_t pixel, std::int32_t alpha) {
  const std::int64_t t = std::int64_t{alpha} * 255 / 100 + PixelTransparency(pixel);
  if (t <= 0) return pixel;
  if (t >= 255) return buffer;
  const auto toward = [t](int from, int to) {
    return static_cast<std::uint8_t>(from + (to - from) * (255 - t) / 255);
  };
  return MakePixel(toward(PixelBlue(buffer), PixelBlue(pixel)),
                   toward(PixelGreen(buffer), PixelGreen(pixel)),
                   toward(PixelRed(buffer), PixelRed(pixel)), PixelTransparency(buffer));
}

BoxRect ComposeBoxArea(const BoxBackground& background, const BoxRect& area,
                       std::span<const CartoonObject> objects, std::vector<std::uint32_t>& work) {
  const bool backgroundValid =
      background.pixels.size() ==
      static_cast<std::size_t>(std::max(background.width, 0)) *
          static_cast<std::size_t>(std::max(background.height, 0));
  const BoxRect clip = backgroundValid
                           ? Intersect(area, BoxRect{0, 0, background.width, background.height})
                           : BoxRect{};
  work.assign(static_cast<std::size_t>(clip.Width()) * static_cast<std::size_t>(clip.Height()), 0);
  if (clip.Empty()) return {};

  const int stride = clip.Width();
  for (int y = clip.top; y < clip.bottom; ++y) {
    const auto from = background.pixels.begin() +
                      static_cast<std::ptrdiff_t>(y) * background.width + clip.left;
    std::copy(from, from + stride, work.begin() + static_cast<std::ptrdiff_t>(y - clip.top) * stride);
  }

  for (const CartoonObject& object : objects) {
    if (!object.visible || !object.HasUsablePicture()) continue;
    const FrameSet& picture = *object.picture;
    if (object.frameIndex < 0 || static_cast<std::size_t>(object.frameIndex) >= picture.frames.size()) {
      continue;
    }
    const BoxRect bounds = object.Bounds();
    const BoxRect overlap = Intersect(bounds, clip);
    if (overlap.Empty()) continue;
    const Frame& frame = picture.frames[static_cast<std::size_t>(object.frameIndex)];
    const bool keyed = frame.colourKey != kNoColourKey;
    for (int y = overlap.top; y < overlap.bottom; ++y) {
      const std::uint32_t* source = frame.pixels.data() +
                                    static_cast<std::size_t>(y - bounds.top) * picture.width +
                                    (overlap.left - bounds.left);
      std::uint32_t* target = work.data() + static_cast<std::size_t>(y - clip.top) * stride +
                              (overlap.left - clip.left);
      for (int x = 0; x < overlap.Width(); ++x) {
        const std::uint32_t pixel = source[x];
        if (keyed && PixelColourRef(pixel) == frame.colourKey) continue;
        target[x] = BlendPixel(target[x], pixel, object.alpha);
      }
    }
  }

  for (std::uint32_t& pixel : work) pixel &= 0x00FFFFFFu;
  return clip;
}

}  // namespace quorlin::platform
