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

// The signed difference keeps "now is at or past it" true across the wrap of the tick count.
bool Reached(std::uint32_t now, std::uint32_t deadline) {
  return static_cast<std::int32_t>(now - deadline) >= 0;
}

// How long the current frame stays: its delay plus the extra delay, plus the play interval on
// frame 0. Negative sums mean "advance at once".
std::uint32_t FrameThreshold(const CartoonObject& object) {
  std::int64_t threshold =
      std::int64_t{object.picture->frames[static_cast<std::size_t>(object.frameIndex)].delayMs} +
      object.extraFrameDelay;
  if (object.frameIndex == 0) threshold += object.playInterval;
  return static_cast<std::uint32_t>(
      std::clamp<std::int64_t>(threshold, 0, std::numeric_limits<std::uint32_t>::max()));
}

// Whether Tick moves the object's frames on (or starts timing them).
bool Animates(const CartoonObject& object) {
  return object.visible && object.picture && object.playing && object.picture->frames.size() >= 2;
}

BoxRect Intersect(const BoxRect& a, const BoxRect& b) {
  const BoxRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                  std::min(a.bottom, b.bottom)};
  return r.Empty() ? BoxRect{} : r;
}

}  // namespace

BoxRect CartoonObject::Bounds() const {
  if (!picture) return {};
  const int left = static_cast<int>(x);
  const int top = static_cast<int>(y);
  return {left, top, ClampToInt(std::int64_t{left} + picture->width),
          ClampToInt(std::int64_t{top} + picture->height)};
}

bool TakeForcedRepaint(std::uint32_t& last, std::uint32_t now) {
  if (now - last <= kForcedRepaintPeriodMs) return false;
  last = now;
  return true;
}

ObjectId CartoonScene::CreateObject(const CartoonTemplate* design, int x, int y, bool visible,
                                    std::string tag, std::uint32_t now) {
  static const CartoonTemplate kNoTemplate;  // its defaults are those of an object without one
  const CartoonTemplate& d = design ? *design : kNoTemplate;
  std::uint32_t deadline = 0;
  if (d.existTime != 0) {
    deadline = now + static_cast<std::uint32_t>(d.existTime);
    if (deadline == 0) deadline = 1;  // 0 would mean "no deadline"
  }
  CartoonObject object{.id = nextId_, .x = double(x), .y = double(y), .visible = visible,
                       .layer = d.layer, .picture = d.picture && d.picture->Usable() ? d.picture : nullptr,
                       .playing = d.playGif, .playsLeft = d.gifAutoDestroy,
                       .destroyWhenFinished = d.gifAutoDestroy >= 1, .playInterval = d.gifDelay,
                       .alpha = d.alpha, .lifeDeadline = deadline, .tag = std::move(tag)};
  // Ids are not reused before Clear; the counter wraps only after 2^31 objects.
  nextId_ = nextId_ == std::numeric_limits<ObjectId>::max() ? 1 : nextId_ + 1;

  const auto before = std::upper_bound(objects_.begin(), objects_.end(), object.layer,
                                       [](std::int32_t layer, const CartoonObject& o) { return layer < o.layer; });
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
  object->playing = false;
  object->playsLeft = 0;
  object->playInterval = 0;
  object->extraFrameDelay = 0;
  object->destroyWhenFinished = false;
  object->picture = picture && picture->Usable() ? std::move(picture) : nullptr;
  Invalidate(*object);
}

void CartoonScene::ShowObject(ObjectId id, bool visible) {
  CartoonObject* object = FindMutable(id);
  if (!object || object->visible == visible) return;
  object->visible = visible;
  Invalidate(*object, true);
}

void CartoonScene::PlayAnimation(ObjectId id, int plays, bool destroyWhenFinished,
                                 int extraFrameDelay, int playInterval) {
  CartoonObject* object = FindMutable(id);
  if (!object) return;
  object->playing = plays >= 0;
  if (plays < 0) return;
  object->playsLeft = plays;
  object->destroyWhenFinished = destroyWhenFinished;
  object->extraFrameDelay = extraFrameDelay;
  object->playInterval = playInterval;
}

void CartoonScene::Clear() {
  for (const CartoonObject& object : objects_) Invalidate(object);
  objects_.clear();
  nextId_ = 1;
}

std::vector<ObjectId> CartoonScene::Tick(std::uint32_t now) {
  std::vector<ObjectId> finished;
  for (auto it = objects_.begin(); it != objects_.end();) {
    CartoonObject& object = *it;
    bool destroy = object.lifeDeadline != 0 && Reached(now, object.lifeDeadline);
    if (destroy) {
      Invalidate(object);
    } else if (Animates(object)) {
      if (object.frameStart == 0) object.frameStart = now;
      if (now - object.frameStart >= FrameThreshold(object)) {
        if (++object.frameIndex >= static_cast<std::int32_t>(object.picture->frames.size())) {
          object.frameIndex = 0;
          if (object.playsLeft > 0 && --object.playsLeft == 0) {
            object.playing = false;
            finished.push_back(object.id);
            destroy = object.destroyWhenFinished;
          }
        }
        object.frameStart = now;
        Invalidate(object);
      }
    }
    it = destroy ? objects_.erase(it) : it + 1;
  }
  return finished;
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
  for (std::uint32_t tick = last + period; period != 0 && Reached(now, tick) && NeedsTicks(); tick += period) {
    Tick(tick);
  }
  invalid_.clear();
}

const CartoonObject* CartoonScene::Find(ObjectId id) const {
  const auto it = std::find_if(objects_.begin(), objects_.end(),
                               [id](const CartoonObject& o) { return o.id == id; });
  return it == objects_.end() ? nullptr : &*it;
}

std::vector<BoxRect> CartoonScene::TakeInvalidRects() { return std::exchange(invalid_, {}); }

void CartoonScene::Invalidate(const CartoonObject& object, bool evenHidden) {
  if (!object.visible && !evenHidden) return;
  if (const BoxRect bounds = object.Bounds(); !bounds.Empty()) invalid_.push_back(bounds);
}

BoxBackground MakePlainBackground(int width, int height, std::uint32_t colourRef) {
  BoxBackground background{std::max(width, 0), std::max(height, 0), {}};
  background.pixels.assign(static_cast<std::size_t>(background.width) * static_cast<std::size_t>(background.height),
                           MakePixel(static_cast<std::uint8_t>(colourRef >> 16),
                                     static_cast<std::uint8_t>(colourRef >> 8), static_cast<std::uint8_t>(colourRef)));
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
  const BoxRect clip = Intersect(area, BoxRect{0, 0, background.width, background.height});
  const int stride = clip.Width();
  work.assign(static_cast<std::size_t>(stride) * static_cast<std::size_t>(clip.Height()), 0);
  for (int y = clip.top; y < clip.bottom; ++y) {
    const auto from = background.pixels.begin() + static_cast<std::ptrdiff_t>(y) * background.width + clip.left;
    std::copy(from, from + stride, work.begin() + static_cast<std::ptrdiff_t>(y - clip.top) * stride);
  }

  for (const CartoonObject& object : objects) {
    const BoxRect bounds = object.Bounds();
    const BoxRect overlap = Intersect(bounds, clip);
    if (!object.visible || overlap.Empty()) continue;
    const Frame& frame = object.picture->frames[static_cast<std::size_t>(object.frameIndex)];
    const bool keyed = frame.colourKey != kNoColourKey;
    for (int y = overlap.top; y < overlap.bottom; ++y) {
      const std::uint32_t* source = frame.pixels.data() +
                                    static_cast<std::size_t>(y - bounds.top) * object.picture->width +
                                    (overlap.left - bounds.left);
      std::uint32_t* target = work.data() + static_cast<std::size_t>(y - clip.top) * stride +
                              (overlap.left - clip.left);
      for (int x = 0; x < overlap.Width(); ++x) {
        if (keyed && PixelColourRef(source[x]) == frame.colourKey) continue;
        target[x] = BlendPixel(target[x], source[x], object.alpha);
      }
    }
  }

  for (std::uint32_t& pixel : work) pixel &= 0x00FFFFFFu;
  return clip;
}

}  // namespace quorlin::platform
