// The animation box's picture objects: their list, play state, tick rules and painting, with the
// clock passed in so the rules run without a window.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/logic/frame_set.h"

namespace quorlin::platform {

using ObjectId = std::int32_t;  // greater than 0 for a real object

// A rectangle in box client coordinates; right and bottom are exclusive.
struct BoxRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool Empty() const { return right <= left || bottom <= top; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const BoxRect&, const BoxRect&) = default;
};

// Design-time properties an object can be created from. The display transforms of a template
// (zoom, rotation, ...) are not supported: the display picture is always the picture itself.
struct CartoonTemplate {
  std::shared_ptr<const FrameSet> picture;
  bool playGif = false;            // start playing at creation
  std::int32_t gifDelay = 0;       // play interval, ms
  std::int32_t gifAutoDestroy = 0; // runs to play; 1 or more also destroys when they are done
  std::int32_t existTime = 0;      // ms from creation to destruction, 0 for no limit
  std::int32_t layer = 0;
  std::int32_t alpha = 0;          // percent, 0 opaque, 100 invisible
};

struct CartoonObject {
  ObjectId id = 0;
  double x = 0;
  double y = 0;
  bool visible = true;
  std::int32_t layer = 0;
  std::shared_ptr<const FrameSet> picture;  // null: no picture; otherwise usable
  std::int32_t frameIndex = 0;
  std::uint32_t frameStart = 0;  // tick when the current frame was first shown, 0 = not yet
  bool playing = false;
  std::int32_t playsLeft = 0;  // 0 endless
  bool destroyWhenFinished = false;
  std::int32_t extraFrameDelay = 0;
  std::int32_t playInterval = 0;
  std::int32_t alpha = 0;
  std::uint32_t lifeDeadline = 0;  // 0 none
  std::string tag;

  // Where the picture is drawn (the integer part of x, y); empty without a picture.
  BoxRect Bounds() const;
};

// True, and notes `now` in `last`, when more than 100 ms have passed since the forced repaint
// noted there.
bool TakeForcedRepaint(std::uint32_t& last, std::uint32_t now);

// The object list of one box. Operations and ticks queue the rectangles whose content changed
// (TakeInvalidRects). Ids that name no object are ignored.
class CartoonScene {
 public:
  ObjectId CreateObject(const CartoonTemplate* design, int x, int y, bool visible, std::string tag,
                        std::uint32_t now);
  // Replaces the picture (null or unusable: none) and stops any animation on frame 0.
  void SetObjectPicture(ObjectId id, std::shared_ptr<const FrameSet> picture);
  void ShowObject(ObjectId id, bool visible);
  // plays < 0 stops; 0 endless; n > 0 that many complete runs. Frame and its start are kept.
  void PlayAnimation(ObjectId id, int plays, bool destroyWhenFinished, int extraFrameDelay,
                     int playInterval);
  void Clear();  // removes every object; ids count from 1 again

  // Returns the objects whose last run ended, in list order.
  std::vector<ObjectId> Tick(std::uint32_t now);
  // True while a Tick could change something: an object has a life deadline, or one is shown and
  // playing a picture of more than one frame.
  bool NeedsTicks() const;
  // True when ticks would do nothing but move endlessly looping animations on: no life deadline,
  // no animation with runs left to count (so no finished notice either). A box nobody can see
  // may then leave its ticks out and make them up with CatchUp before anything else happens.
  bool OnlyEndlessLoops() const;
  // The ticks a timer of `period` ms would have made after `last` up to `now`, at once. What
  // they would have invalidated is dropped: the caller repaints the whole box.
  void CatchUp(std::uint32_t last, std::uint32_t now, std::uint32_t period);

  const CartoonObject* Find(ObjectId id) const;
  const std::vector<CartoonObject>& Objects() const { return objects_; }
  std::vector<BoxRect> TakeInvalidRects();

 private:
  CartoonObject* FindMutable(ObjectId id) { return const_cast<CartoonObject*>(Find(id)); }
  // Queues the object's rectangle; a hidden one only when `evenHidden` (it was just hidden).
  void Invalidate(const CartoonObject& object, bool evenHidden = false);

  std::vector<CartoonObject> objects_;  // ascending by layer, creation order within a layer
  ObjectId nextId_ = 1;
  std::vector<BoxRect> invalid_;
};

// The box's filled background: width * height pixels, rows top-down.
struct BoxBackground {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

BoxBackground MakePlainBackground(int width, int height, std::uint32_t colourRef);

// One source pixel over one buffer pixel with the object's alpha (percent).
std::uint32_t BlendPixel(std::uint32_t buffer, std::uint32_t pixel, std::int32_t alpha);

// Composes `area` (clipped to the background) into `work`, area-width * area-height pixels
// top-down: the background, then every visible object with a picture in list order, then the
// top byte of each pixel cleared. Returns the clipped area.
BoxRect ComposeBoxArea(const BoxBackground& background, const BoxRect& area,
                       std::span<const CartoonObject> objects, std::vector<std::uint32_t>& work);

}  // namespace quorlin::platform
