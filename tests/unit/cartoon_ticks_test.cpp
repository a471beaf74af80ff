// When an animation box may let its timer rest: CartoonScene::NeedsTicks against what Tick does.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/logic/cartoon_objects.h"
#include "tests/unit/cartoon_test_pictures.h"

namespace quorlin::platform {
namespace {

using test::Picture;

// Everything a tick may change about the objects.
struct ObjectState {
  ObjectId id;
  std::int32_t frameIndex;
  std::uint32_t frameStart;
  bool playing;
  std::int32_t playsLeft;
  friend bool operator==(const ObjectState&, const ObjectState&) = default;
};

std::vector<ObjectState> StateOf(const CartoonScene& scene) {
  std::vector<ObjectState> state;
  for (const CartoonObject& o : scene.Objects())
    state.push_back({o.id, o.frameIndex, o.frameStart, o.playing, o.playsLeft});
  return state;
}

TEST(CartoonTicksTest, NeededWhileAShownObjectPlaysSeveralFramesOrALifeDeadlineRuns) {
  CartoonScene scene;
  EXPECT_FALSE(scene.NeedsTicks());  // empty
  const ObjectId id = scene.CreateObject(nullptr, 0, 0, true, {}, 1000);
  EXPECT_FALSE(scene.NeedsTicks());  // no picture
  scene.PlayAnimation(id, 0, false, 0, 0);
  EXPECT_FALSE(scene.NeedsTicks());  // playing, but nothing to show
  scene.SetObjectPicture(id, Picture(4, 2, {100, 100}));
  EXPECT_FALSE(scene.NeedsTicks());  // a new picture stops the play
  scene.PlayAnimation(id, 0, false, 0, 0);
  EXPECT_TRUE(scene.NeedsTicks());
  scene.ShowObject(id, false);
  EXPECT_FALSE(scene.NeedsTicks());  // hidden objects keep their frame
  scene.ShowObject(id, true);
  EXPECT_TRUE(scene.NeedsTicks());
  scene.PlayAnimation(id, -1, false, 0, 0);
  EXPECT_FALSE(scene.NeedsTicks());
  scene.PlayAnimation(id, 3, false, 0, 0);
  EXPECT_TRUE(scene.NeedsTicks());
  scene.SetObjectPicture(id, Picture(4, 2, {100}));
  scene.PlayAnimation(id, 0, false, 0, 0);
  EXPECT_FALSE(scene.NeedsTicks());  // a single frame never advances

  // One animating object among idle ones is enough; clearing the box ends the need.
  const ObjectId other = scene.CreateObject(nullptr, 0, 0, true, {}, 1000);
  scene.SetObjectPicture(other, Picture(1, 1, {50, 50, 50}));
  scene.PlayAnimation(other, 0, false, 0, 0);
  EXPECT_TRUE(scene.NeedsTicks());
  scene.Clear();
  EXPECT_FALSE(scene.NeedsTicks());

  CartoonTemplate design;  // a template that starts playing at creation
  design.picture = Picture(2, 2, {100, 100});
  design.playGif = true;
  scene.CreateObject(&design, 0, 0, true, {}, 1000);
  EXPECT_TRUE(scene.NeedsTicks());
  scene.Clear();

  CartoonTemplate mortal;  // no picture and hidden: the life deadline alone counts
  mortal.existTime = 300;
  const ObjectId doomed = scene.CreateObject(&mortal, 0, 0, false, {}, 1000);
  EXPECT_TRUE(scene.NeedsTicks());
  scene.Tick(1299);
  EXPECT_TRUE(scene.NeedsTicks());
  scene.Tick(1300);
  EXPECT_EQ(scene.Find(doomed), nullptr);
  EXPECT_FALSE(scene.NeedsTicks());
}

// Scenes in every idle shape: a tick at any time leaves them exactly as they were.
TEST(CartoonTicksTest, TicksOfAnIdleSceneChangeNothing) {
  CartoonScene scene;
  const auto make = [&](std::vector<int> delays) {
    const ObjectId id = scene.CreateObject(nullptr, 3, 4, true, {}, 1000);
    if (!delays.empty()) scene.SetObjectPicture(id, Picture(2, 2, std::move(delays)));
    return id;
  };
  const ObjectId stopped = make({100, 100, 100});
  scene.PlayAnimation(make({}), 0, false, 0, 0);                // playing without a picture
  scene.PlayAnimation(make({100}), 0, false, 0, 0);             // one frame
  const ObjectId hidden = make({100, 100});
  const ObjectId frozen = make({100, 100, 100});
  const ObjectId done = make({100, 100});
  for (ObjectId id : {hidden, frozen}) scene.PlayAnimation(id, 0, false, 0, 0);
  scene.PlayAnimation(done, 1, false, 0, 0);
  for (std::uint32_t now = 1000; now <= 1250; now += 5) scene.Tick(now);
  ASSERT_EQ(scene.Find(frozen)->frameIndex, 2);  // mid-run, with a frame start
  ASSERT_FALSE(scene.Find(done)->playing);
  scene.PlayAnimation(frozen, -1, false, 0, 0);
  scene.ShowObject(hidden, false);
  ASSERT_EQ(scene.Find(stopped)->frameIndex, 0);
  scene.TakeInvalidRects();

  ASSERT_FALSE(scene.NeedsTicks());
  const std::vector<ObjectState> before = StateOf(scene);
  for (const std::uint32_t now : {1255u, 5000u, 0x7FFFFFFFu, 0xFFFFFFFFu, 0u, 1u}) {
    EXPECT_TRUE(scene.Tick(now).empty()) << now;  // nothing finished
    EXPECT_TRUE(scene.TakeInvalidRects().empty()) << now;
    EXPECT_EQ(StateOf(scene), before) << now;
  }
}

// One script of operations, applied to a scene ticked every 5 ms without pause and to one ticked
// only while NeedsTicks holds (resuming after the operation that makes it hold): both must show
// the same frames at the same times, finish the same objects and remove them at the same time.
TEST(CartoonTicksTest, ResumingAfterAPauseShowsTheSameFramesAtTheSameTimes) {
  struct Run {
    CartoonScene scene;
    bool ticking = false;
    int ticks = 0;
    std::vector<std::string> events;  // "time: what changed"
    std::vector<ObjectState> last;
  };
  const auto note = [](Run& run, std::uint32_t now) {
    const std::vector<ObjectState> state = StateOf(run.scene);
    const std::string at = std::to_string(now) + ": ";
    if (state.size() != run.last.size()) run.events.push_back(at + std::to_string(state.size()) + " objects");
    for (const ObjectState& s : state) {
      for (const ObjectState& old : run.last) {
        if (old.id == s.id && old.frameIndex != s.frameIndex)
          run.events.push_back(at + std::to_string(s.id) + " on frame " + std::to_string(s.frameIndex));
      }
    }
    run.last = state;
  };
  const auto script = [](CartoonScene& scene, std::uint32_t now) {
    switch (now) {
      case 1000: {
        const ObjectId id = scene.CreateObject(nullptr, 0, 0, true, {}, now);
        scene.SetObjectPicture(id, Picture(8, 1, {100, 60, 40}));
        scene.PlayAnimation(id, 1, false, 0, 0);  // one run, idle from 1200 on
        break;
      }
      case 3000:
        scene.PlayAnimation(1, 2, false, 10, 250);  // again, from a frame start long past
        break;
      case 3400:
        scene.ShowObject(1, false);  // mid-run: the run waits while hidden
        break;
      case 6000:
        scene.ShowObject(1, true);
        break;
      case 6500:
        scene.PlayAnimation(1, -1, false, 0, 0);
        break;
      case 9000: {
        scene.PlayAnimation(1, 0, false, 0, 0);
        CartoonTemplate mortal;
        mortal.existTime = 777;
        scene.CreateObject(&mortal, 0, 0, false, {}, now);
        break;
      }
      case 9500:
        scene.SetObjectPicture(1, Picture(8, 1, {100, 100}));  // stops it
        break;
      case 12000: {
        CartoonTemplate once;
        once.picture = Picture(2, 2, {30, 30});
        once.playGif = true;
        once.gifAutoDestroy = 2;
        scene.CreateObject(&once, 5, 0, true, {}, now);
        break;
      }
      default:
        break;
    }
  };

  Run always, onDemand;
  for (std::uint32_t now = 1000; now <= 15000; now += 5) {
    script(always.scene, now);
    script(onDemand.scene, now);
    if (onDemand.scene.NeedsTicks()) onDemand.ticking = true;
    // The operation and the tick of one moment are a few ms apart in a real box: tick just after.
    const std::uint32_t tickAt = now + 1;
    always.scene.Tick(tickAt);
    ++always.ticks;
    note(always, tickAt);
    if (onDemand.ticking) {
      onDemand.scene.Tick(tickAt);
      ++onDemand.ticks;
      onDemand.ticking = onDemand.scene.NeedsTicks();
    }
    note(onDemand, tickAt);
  }

  EXPECT_EQ(onDemand.events, always.events);
  EXPECT_GE(always.events.size(), 20u);           // the script did animate
  EXPECT_LT(onDemand.ticks, always.ticks / 2);    // and the pauses were skipped
  EXPECT_TRUE(onDemand.scene.Objects().size() == 1 && !onDemand.scene.NeedsTicks());
}

TEST(CartoonTicksTest, OnlyEndlessLoopsWhenNoTickCountsRunsOrDeadlines) {
  CartoonScene scene;
  EXPECT_TRUE(scene.OnlyEndlessLoops());
  const ObjectId loop = scene.CreateObject(nullptr, 0, 0, true, {}, 1000);
  scene.SetObjectPicture(loop, Picture(4, 2, {30, 70, 20}));
  scene.PlayAnimation(loop, 0, false, 0, 0);
  EXPECT_TRUE(scene.OnlyEndlessLoops());
  const ObjectId counted = scene.CreateObject(nullptr, 0, 0, true, {}, 1000);
  scene.SetObjectPicture(counted, Picture(4, 2, {30, 70}));
  scene.PlayAnimation(counted, 2, false, 0, 0);
  EXPECT_FALSE(scene.OnlyEndlessLoops());  // its last run would end with a notice
  scene.ShowObject(counted, false);
  EXPECT_TRUE(scene.OnlyEndlessLoops());  // a hidden object is not ticked at all
  CartoonTemplate mortal;
  mortal.existTime = 500;
  scene.CreateObject(&mortal, 0, 0, false, {}, 1000);
  EXPECT_FALSE(scene.OnlyEndlessLoops());  // its deadline is kept even while hidden
}

TEST(CartoonTicksTest, CatchingUpGivesWhatTicksEveryPeriodWouldHaveGiven) {
  const auto build = [](CartoonScene& scene) {
    const ObjectId a = scene.CreateObject(nullptr, 0, 0, true, {}, 1000);
    scene.SetObjectPicture(a, Picture(4, 2, {30, 70, 20}));
    scene.PlayAnimation(a, 0, false, 0, 0);
    const ObjectId b = scene.CreateObject(nullptr, 2, 0, true, {}, 1000);
    scene.SetObjectPicture(b, Picture(4, 2, {110, 10}));
    scene.PlayAnimation(b, 0, false, 15, 40);
  };
  CartoonScene ticked;
  CartoonScene caughtUp;
  build(ticked);
  build(caughtUp);
  for (std::uint32_t now = 1000; now <= 1200; now += 5) {
    ticked.Tick(now);
    caughtUp.Tick(now);
  }
  for (std::uint32_t now = 1205; now <= 64321; now += 5) ticked.Tick(now);
  caughtUp.CatchUp(1200, 64323, 5);  // the ticks at 1205 ... 64320
  EXPECT_EQ(StateOf(caughtUp), StateOf(ticked));
  // Nothing to make up within one period.
  const std::vector<ObjectState> before = StateOf(caughtUp);
  caughtUp.CatchUp(64320, 64324, 5);
  EXPECT_EQ(StateOf(caughtUp), before);
}

}  // namespace
}  // namespace quorlin::platform
