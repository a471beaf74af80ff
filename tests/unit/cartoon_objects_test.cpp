#include "platform/logic/cartoon_objects.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/unit/cartoon_test_pictures.h"

namespace quorlin::platform {
namespace {

using test::Picture;

std::shared_ptr<const FrameSet> Solid(int width, int height, std::uint32_t pixel) {
  auto set = std::make_shared<FrameSet>();
  set->width = width;
  set->height = height;
  set->frames.push_back(Frame{kNoColourKey, 100,
                              std::vector<std::uint32_t>(static_cast<std::size_t>(width * height), pixel)});
  return set;
}

struct FrameChange {
  std::uint32_t at;
  int frame;
  friend bool operator==(const FrameChange&, const FrameChange&) = default;
};

// Ticks every `step` ms over [from, to] and notes each frame change of `id`.
struct TickLog {
  std::vector<FrameChange> changes;
  std::vector<ObjectId> finished;
  std::size_t invalidCount = 0;
};

TickLog RunTicks(CartoonScene& scene, ObjectId id, std::uint32_t from, std::uint32_t to,
                 std::uint32_t step = 5) {
  TickLog log;
  const CartoonObject* object = scene.Find(id);
  int frame = object ? object->frameIndex : -1;
  for (std::uint32_t now = from;; now += step) {
    const std::vector<ObjectId> finished = scene.Tick(now);
    log.invalidCount += scene.TakeInvalidRects().size();
    log.finished.insert(log.finished.end(), finished.begin(), finished.end());
    object = scene.Find(id);
    const int current = object ? object->frameIndex : -1;
    if (current != frame) log.changes.push_back({now, current});
    frame = current;
    if (now - from >= to - from) break;
  }
  return log;
}

class CartoonSceneTest : public testing::Test {
 protected:
  ObjectId Playing(std::shared_ptr<const FrameSet> picture, int plays = 0, bool destroy = false,
                   int extra = 0, int interval = 0) {
    const ObjectId id = scene.CreateObject(nullptr, 10, 20, true, {}, 1);
    scene.SetObjectPicture(id, std::move(picture));
    scene.PlayAnimation(id, plays, destroy, extra, interval);
    scene.TakeInvalidRects();
    return id;
  }

  CartoonScene scene;
};

TEST_F(CartoonSceneTest, IdsCountUpAndRestartAfterClear) {
  EXPECT_EQ(scene.CreateObject(nullptr, 0, 0, true, {}, 0), 1);
  CartoonTemplate mortal;
  mortal.existTime = 1;
  EXPECT_EQ(scene.CreateObject(&mortal, 0, 0, true, {}, 0), 2);
  scene.Tick(1);
  EXPECT_EQ(scene.CreateObject(nullptr, 0, 0, true, {}, 0), 3);  // not reused before a clear
  EXPECT_EQ(scene.Find(2), nullptr);
  scene.Clear();
  EXPECT_TRUE(scene.Objects().empty());
  EXPECT_EQ(scene.CreateObject(nullptr, 0, 0, true, {}, 0), 1);
}

TEST_F(CartoonSceneTest, ObjectsAreOrderedByLayerThenCreation) {
  CartoonTemplate design;
  std::vector<ObjectId> ids;
  for (int layer : {2, 0, 1, 0, 2, -1}) {
    design.layer = layer;
    ids.push_back(scene.CreateObject(&design, 0, 0, true, {}, 0));
  }
  std::vector<ObjectId> order;
  for (const CartoonObject& o : scene.Objects()) order.push_back(o.id);
  EXPECT_EQ(order, (std::vector<ObjectId>{ids[5], ids[1], ids[3], ids[2], ids[0], ids[4]}));
}

TEST_F(CartoonSceneTest, CreateTakesTheTemplatesSettings) {
  CartoonTemplate design;
  design.picture = Picture(4, 3, {100, 100});
  design.playGif = true;
  design.gifDelay = 300;
  design.gifAutoDestroy = 2;
  design.existTime = 1000;
  design.layer = 3;
  design.alpha = 40;
  const ObjectId id = scene.CreateObject(&design, 7, -2, true, "tag", 5000);
  const CartoonObject* o = scene.Find(id);
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->picture, design.picture);
  EXPECT_TRUE(o->playing);
  EXPECT_EQ(o->playInterval, 300);
  EXPECT_EQ(o->playsLeft, 2);
  EXPECT_TRUE(o->destroyWhenFinished);
  EXPECT_EQ(o->extraFrameDelay, 0);
  EXPECT_EQ(o->lifeDeadline, 6000u);
  EXPECT_EQ(o->layer, 3);
  EXPECT_EQ(o->alpha, 40);
  EXPECT_EQ(o->tag, "tag");
  EXPECT_EQ(scene.TakeInvalidRects(), (std::vector<BoxRect>{{7, -2, 11, 1}}));

  // Hidden, or without a picture: nothing to repaint.
  scene.CreateObject(&design, 0, 0, false, {}, 0);
  scene.CreateObject(nullptr, 0, 0, true, {}, 0);
  EXPECT_TRUE(scene.TakeInvalidRects().empty());
  const CartoonObject* plain = scene.Find(3);
  ASSERT_NE(plain, nullptr);
  EXPECT_FALSE(plain->playing);
  EXPECT_EQ(plain->lifeDeadline, 0u);
  EXPECT_FALSE(plain->picture);
}

TEST_F(CartoonSceneTest, LifeDeadlineDestroysTheObject) {
  CartoonTemplate design;
  design.picture = Picture(2, 2, {100});
  design.existTime = 100;
  const ObjectId id = scene.CreateObject(&design, 0, 0, true, {}, 1000);
  const ObjectId keeper = scene.CreateObject(nullptr, 0, 0, true, {}, 1000);
  scene.TakeInvalidRects();
  scene.Tick(1099);
  EXPECT_TRUE(scene.TakeInvalidRects().empty());
  EXPECT_NE(scene.Find(id), nullptr);
  scene.Tick(1100);
  EXPECT_EQ(scene.Find(id), nullptr);
  EXPECT_EQ(scene.TakeInvalidRects(), (std::vector<BoxRect>{{0, 0, 2, 2}}));  // it disappears from the box
  EXPECT_NE(scene.Find(keeper), nullptr);
}

// How PlayAnimation's settings move the frames on, ticked every `step` ms over [1000, to].
struct PlayCase {
  const char* what;
  std::vector<int> delays;
  int plays, extra, interval;
  bool destroy;
  std::uint32_t to, step;
  std::vector<FrameChange> changes;  // frame -1: the object is gone
  bool finishes, playingAfter;
};

class CartoonPlayTest : public CartoonSceneTest, public testing::WithParamInterface<PlayCase> {};

TEST_P(CartoonPlayTest, FramesChangeWhenTheirTimeIsUp) {
  const PlayCase& c = GetParam();
  SCOPED_TRACE(c.what);
  const ObjectId id = Playing(Picture(2, 2, c.delays), c.plays, c.destroy, c.extra, c.interval);
  const TickLog log = RunTicks(scene, id, 1000, c.to, c.step);
  EXPECT_EQ(log.changes, c.changes);
  EXPECT_EQ(log.finished, c.finishes ? std::vector<ObjectId>{id} : std::vector<ObjectId>{});
  // Exactly one rectangle per frame change (and one when the object goes).
  EXPECT_EQ(log.invalidCount, c.changes.size());
  EXPECT_EQ(scene.Find(id) != nullptr && scene.Find(id)->playing, c.playingAfter);
}

// The first tick starts frame 0; each frame then lasts its delay.
INSTANTIATE_TEST_SUITE_P(Plays, CartoonPlayTest, testing::Values(
    PlayCase{"endless", {100, 100, 100}, 0, 0, 0, false, 1700, 5,
             {{1100, 1}, {1200, 2}, {1300, 0}, {1400, 1}, {1500, 2}, {1600, 0}, {1700, 1}}, false, true},
    PlayCase{"extra delay on every frame", {100, 40}, 0, 10, 0, false, 1160, 5, {{1110, 1}, {1160, 0}}, false, true},
    PlayCase{"interval on frame 0 of every run", {100, 100}, 0, 0, 300, false, 2000, 1,
             {{1400, 1}, {1500, 0}, {1900, 1}, {2000, 0}}, false, true},
    PlayCase{"two runs, then destroyed", {100, 100}, 2, 0, 0, true, 2000, 5,
             {{1100, 1}, {1200, 0}, {1300, 1}, {1400, -1}}, true, false},
    PlayCase{"one run, kept on frame 0", {100, 100}, 1, 0, 0, false, 1600, 5, {{1100, 1}, {1200, 0}}, true, false},
    PlayCase{"a single frame never advances", {0}, 0, 0, 0, false, 3000, 5, {}, false, true}),
    [](const testing::TestParamInfo<PlayCase>& info) { return "Case" + std::to_string(info.index); });

TEST_F(CartoonSceneTest, NegativePlaysFreezeAndZeroContinuesFromThatFrame) {
  const ObjectId id = Playing(Picture(1, 1, {100, 100, 100}));
  RunTicks(scene, id, 1000, 1100);
  ASSERT_EQ(scene.Find(id)->frameIndex, 1);
  scene.PlayAnimation(id, -1, false, 0, 0);
  EXPECT_TRUE(RunTicks(scene, id, 1105, 2000).changes.empty());
  scene.PlayAnimation(id, 0, false, 0, 0);
  const TickLog log = RunTicks(scene, id, 2005, 2300);
  ASSERT_FALSE(log.changes.empty());
  EXPECT_EQ(log.changes.front().frame, 2);
}

TEST_F(CartoonSceneTest, PlayIntervalLengthensFrameZeroOfEveryRun) {
  const ObjectId id = Playing(Picture(1, 1, {100, 100}), 0, false, 0, 300);
  const TickLog log = RunTicks(scene, id, 1000, 2000, 1);
  EXPECT_EQ(log.changes, (std::vector<FrameChange>{{1400, 1}, {1500, 0}, {1900, 1}, {2000, 0}}));
}

TEST_F(CartoonSceneTest, HiddenObjectKeepsItsFrame) {
  const ObjectId id = Playing(Picture(1, 1, {100, 100, 100}));
  RunTicks(scene, id, 1000, 1100);
  scene.ShowObject(id, false);
  EXPECT_EQ(scene.TakeInvalidRects().size(), 1u);
  const TickLog hidden = RunTicks(scene, id, 1105, 3000);
  EXPECT_TRUE(hidden.changes.empty());
  EXPECT_EQ(hidden.invalidCount, 0u);
  scene.ShowObject(id, true);
  scene.ShowObject(id, true);  // no change, no second repaint
  EXPECT_EQ(scene.TakeInvalidRects().size(), 1u);
  const TickLog shown = RunTicks(scene, id, 3005, 3400);
  ASSERT_FALSE(shown.changes.empty());
  EXPECT_EQ(shown.changes.front().frame, 2);
}

TEST_F(CartoonSceneTest, NewPictureStopsOnItsFrameZero) {
  const ObjectId id = Playing(Picture(2, 2, {100, 100, 100}), 3, true, 20, 50);
  RunTicks(scene, id, 1000, 1300);
  ASSERT_NE(scene.Find(id)->frameIndex, 0);
  scene.SetObjectPicture(id, Picture(5, 1, {100, 100}));
  // The old area and the new one are repainted.
  EXPECT_EQ(scene.TakeInvalidRects(), (std::vector<BoxRect>{{10, 20, 12, 22}, {10, 20, 15, 21}}));
  const CartoonObject* o = scene.Find(id);
  EXPECT_EQ(o->frameIndex, 0);
  EXPECT_FALSE(o->playing);
  EXPECT_EQ(o->playsLeft, 0);
  EXPECT_FALSE(o->destroyWhenFinished);
  EXPECT_EQ(o->extraFrameDelay, 0);
  EXPECT_EQ(o->playInterval, 0);
  EXPECT_TRUE(RunTicks(scene, id, 1305, 2000).changes.empty());

  scene.SetObjectPicture(id, nullptr);  // an undecodable picture leaves none
  EXPECT_FALSE(scene.Find(id)->picture);
  EXPECT_EQ(scene.TakeInvalidRects().size(), 1u);
}

TEST_F(CartoonSceneTest, TickCounterWrapAround) {
  const ObjectId id = Playing(Picture(1, 1, {100, 100}));
  const TickLog log = RunTicks(scene, id, 0xFFFFFF00u, 0x00000100u, 8);
  // Started at 0xFFFFFF00: changes every 100 ms (ticks land on multiples of 8) straight across 0.
  EXPECT_EQ(log.changes, (std::vector<FrameChange>{{0xFFFFFF68u, 1}, {0xFFFFFFD0u, 0},
                                                   {0x00000038u, 1}, {0x000000A0u, 0}}));

  CartoonTemplate design;
  design.existTime = 0x80;
  const ObjectId mortal = scene.CreateObject(&design, 0, 0, true, {}, 0xFFFFFFF0u);
  scene.Tick(0xFFFFFFFFu);
  scene.Tick(0x00000010u);
  EXPECT_NE(scene.Find(mortal), nullptr);
  scene.Tick(0x00000070u);
  EXPECT_EQ(scene.Find(mortal), nullptr);
}

TEST_F(CartoonSceneTest, UnknownIdsAreIgnored) {
  const ObjectId id = Playing(Picture(2, 2, {100, 100}));
  const CartoonObject before = *scene.Find(id);
  scene.SetObjectPicture(99, Picture(1, 1, {1}));
  scene.ShowObject(99, false);
  scene.PlayAnimation(99, -1, false, 0, 0);
  EXPECT_EQ(scene.Objects().size(), 1u);
  EXPECT_TRUE(scene.TakeInvalidRects().empty());
  EXPECT_EQ(scene.Find(id)->picture, before.picture);
  EXPECT_TRUE(scene.Find(id)->playing);
}

TEST(ForcedRepaintTest, AtMostOncePer100MsAcrossBoxes) {
  std::uint32_t shared = 0;
  EXPECT_TRUE(TakeForcedRepaint(shared, 1000));   // box A
  EXPECT_FALSE(TakeForcedRepaint(shared, 1005));  // box B shares the clock
  EXPECT_FALSE(TakeForcedRepaint(shared, 1100));  // exactly 100 ms is not more than 100
  EXPECT_TRUE(TakeForcedRepaint(shared, 1101));
  shared = 0xFFFFFFF0u;
  EXPECT_FALSE(TakeForcedRepaint(shared, 0x00000050u));
  EXPECT_TRUE(TakeForcedRepaint(shared, 0x00000080u));
}

// --- painting ---

TEST(BlendPixelTest, FollowsTheTransparencyFormula) {
  const std::uint32_t buffer = MakePixel(10, 20, 30);
  const std::uint32_t pixel = MakePixel(200, 100, 0);
  // alpha 50: t = 127; each channel moves by (pixel - buffer) * 128 / 255, truncated toward zero.
  EXPECT_EQ(BlendPixel(buffer, pixel, 50), MakePixel(105, 60, 15));
  // t from the transparency byte alone: 200 -> moves by 55 / 255.
  EXPECT_EQ(BlendPixel(buffer, MakePixel(200, 100, 0, 200), 0), MakePixel(50, 37, 24));
  EXPECT_EQ(BlendPixel(buffer, pixel, 0), pixel);                    // t = 0 copies
  EXPECT_EQ(BlendPixel(buffer, MakePixel(1, 2, 3, 20), -10), MakePixel(1, 2, 3, 20));  // t < 0
  EXPECT_EQ(BlendPixel(buffer, pixel, 100), buffer);                 // t = 255 keeps
  EXPECT_EQ(BlendPixel(buffer, MakePixel(1, 2, 3, 255), 0), buffer);
  EXPECT_EQ(BlendPixel(buffer, MakePixel(1, 2, 3, 100), 70), buffer);  // t > 255
}

TEST(ComposeBoxAreaTest, BackgroundThenObjectsInListOrderTopByteCleared) {
  CartoonScene scene;
  const BoxBackground background = MakePlainBackground(6, 4, 0x00332211);  // R 0x11 G 0x22 B 0x33
  EXPECT_EQ(background.pixels.front(), MakePixel(0x33, 0x22, 0x11));

  CartoonTemplate upper;
  upper.layer = 1;
  const ObjectId top = scene.CreateObject(&upper, 3, 0, true, {}, 0);
  scene.SetObjectPicture(top, Solid(2, 2, MakePixel(9, 9, 9, 0)));
  const ObjectId first = scene.CreateObject(nullptr, 0, 0, true, {}, 0);
  scene.SetObjectPicture(first, Solid(4, 2, MakePixel(1, 1, 1, 0)));
  const ObjectId second = scene.CreateObject(nullptr, 2, 1, true, {}, 0);  // same layer, later
  scene.SetObjectPicture(second, Solid(2, 2, MakePixel(2, 2, 2, 0)));
  const ObjectId hidden = scene.CreateObject(nullptr, 0, 0, false, {}, 0);
  scene.SetObjectPicture(hidden, Solid(6, 4, MakePixel(7, 7, 7, 0)));

  std::vector<std::uint32_t> work;
  const BoxRect area = ComposeBoxArea(background, {0, 0, 6, 4}, scene.Objects(), work);
  ASSERT_EQ(area, (BoxRect{0, 0, 6, 4}));
  auto at = [&](int x, int y) { return work[static_cast<std::size_t>(y * 6 + x)]; };
  EXPECT_EQ(at(0, 0), MakePixel(1, 1, 1));
  EXPECT_EQ(at(2, 1), MakePixel(2, 2, 2));  // later object of the same layer on top
  EXPECT_EQ(at(3, 1), MakePixel(9, 9, 9));  // higher layer on top of both
  EXPECT_EQ(at(3, 2), MakePixel(2, 2, 2));
  EXPECT_EQ(at(0, 3), MakePixel(0x33, 0x22, 0x11));
  for (std::uint32_t p : work) EXPECT_EQ(p >> 24, 0u);
}

TEST(ComposeBoxAreaTest, OnlyTheAreaIsComposedAndKeyedPixelsSkipped) {
  CartoonScene scene;
  auto keyed = std::make_shared<FrameSet>();
  keyed->width = 3;
  keyed->height = 1;
  keyed->frames.push_back(Frame{0x00030201, 100,
                                {MakePixel(9, 9, 9, 0), MakePixel(5, 5, 5, 255), MakePixel(3, 2, 1, 9)}});
  const ObjectId id = scene.CreateObject(nullptr, -1, 1, true, {}, 0);
  scene.SetObjectPicture(id, keyed);
  const BoxBackground background = MakePlainBackground(4, 3, 0x00404040);
  const std::uint32_t grey = MakePixel(0x40, 0x40, 0x40);

  std::vector<std::uint32_t> work;
  // Area partly outside the box: clipped to it.
  const BoxRect area = ComposeBoxArea(background, {0, 1, 10, 2}, scene.Objects(), work);
  ASSERT_EQ(area, (BoxRect{0, 1, 4, 2}));
  ASSERT_EQ(work.size(), 4u);
  // x -1 is outside; x 0 fully transparent; x 1 has the key colour (its T byte does not matter).
  EXPECT_EQ(work, (std::vector<std::uint32_t>{grey, grey, grey, grey}));

  EXPECT_TRUE(ComposeBoxArea(background, {5, 0, 8, 3}, scene.Objects(), work).Empty());
  EXPECT_TRUE(work.empty());
}

}  // namespace
}  // namespace quorlin::platform
