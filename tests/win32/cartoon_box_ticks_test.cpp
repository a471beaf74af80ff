// The animation box's timer runs only while a tick has something to do.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <optional>
#include <thread>
#include <vector>

#include "platform/cartoon_box.h"
#include "platform/logic/gif_decoder.h"
#include "platform/win_api.h"
#include "platform/window_thread.h"
#include "resources/image_resources.h"
#include "skin/logic/image_resource.h"
#include "tests/win32/skin_test_support.h"
#include "tests/win32/test_support.h"

namespace quorlin::platform {
namespace {

std::span<const std::uint8_t> Strip() { return skin::ImageBytes(resources::ProgressStrip()); }

// What the box asks of the system's timers, forwarded to the real functions.
struct TimerCall {
  HWND hwnd;
  UINT_PTR id;
  UINT period;
  DWORD thread;
};
struct TimerLog {
  api::types::SetTimer_t realSet = nullptr;
  api::types::KillTimer_t realKill = nullptr;
  std::vector<TimerCall> sets;
  std::vector<HWND> kills;
  std::map<HWND, bool> running;
};
TimerLog timers;

UINT_PTR WINAPI CountSetTimer(HWND hwnd, UINT_PTR id, UINT period, TIMERPROC proc) {
  timers.sets.push_back({hwnd, id, period, ::GetCurrentThreadId()});
  const UINT_PTR result = timers.realSet(hwnd, id, period, proc);
  if (result != 0 && id == 1) timers.running[hwnd] = true;
  return result;
}

BOOL WINAPI CountKillTimer(HWND hwnd, UINT_PTR id) {
  if (id == 1) {
    timers.kills.push_back(hwnd);
    timers.running[hwnd] = false;
  }
  return timers.realKill(hwnd, id);
}

// Rectangles the box invalidates, in client coordinates; null stands for the client area.
HWND recordedBox = nullptr;
std::vector<BoxRect> invalidated;
api::types::InvalidateRect_t realInvalidate = nullptr;
BOOL WINAPI RecordInvalidate(HWND hwnd, const RECT* rect, BOOL erase) {
  if (hwnd == recordedBox && hwnd != nullptr) {
    RECT r{};
    if (rect != nullptr) {
      r = *rect;
    } else {
      ::GetClientRect(hwnd, &r);
    }
    invalidated.push_back({r.left, r.top, r.right, r.bottom});
  }
  return realInvalidate(hwnd, rect, erase);
}

DWORD fakeNow = 0;
DWORD WINAPI FakeTickCount() { return fakeNow; }
BOOL WINAPI NoUpdateWindow(HWND) { return TRUE; }

class CartoonBoxTicksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    skin::test::EnsureSkinLayer();
    timers = {};
    timers.realSet = setTimer_.Previous();
    timers.realKill = killTimer_.Previous();
    form_.emplace(skin::test::CreateForm(60, 60, 820, 40));
    ASSERT_NE(Form(), nullptr);
    ::ShowWindow(Form(), SW_SHOWNOACTIVATE);
  }

  HWND Form() const { return form_->get(); }

  // A visible box with its first paint done, so that nothing is pending.
  CartoonBox* MakeBox(int width, int height) {
    HWND hwnd = CreateCartoonBox(Form(), 5, 0, 0, width, height, true);
    EXPECT_NE(hwnd, nullptr);
    ::UpdateWindow(hwnd);
    return CartoonBoxFromHandle(hwnd);
  }

  static bool Running(const CartoonBox* box) {
    const auto it = timers.running.find(box->Handle());
    return it != timers.running.end() && it->second;
  }

  // True when the box's timer delivers a WM_TIMER within a wait long enough for several periods.
  static bool TimerMessageArrives(HWND hwnd) {
    ::Sleep(40);
    MSG message;
    return ::PeekMessageW(&message, hwnd, WM_TIMER, WM_TIMER, PM_NOREMOVE) != FALSE;
  }

  api::ScopedOverride<api::types::SetTimer_t> setTimer_{api::SetTimer, &CountSetTimer};
  api::ScopedOverride<api::types::KillTimer_t> killTimer_{api::KillTimer, &CountKillTimer};
  std::optional<skin::test::TestWindow> form_;
};

TEST_F(CartoonBoxTicksTest, IdleBoxHasNoTimerAndAPaintOfItsOwnKeepsOneUntilDone) {
  CartoonBox* box = MakeBox(40, 6);
  ASSERT_NE(box, nullptr);
  const ObjectId id = box->CreateObject(nullptr, 0, 0);  // no picture: nothing to draw or tick
  box->PlayAnimation(id, 0);
  box->ShowObject(id, false);
  box->ShowObject(id, true);
  EXPECT_TRUE(timers.sets.empty());
  EXPECT_FALSE(TimerMessageArrives(box->Handle()));

  // A single-frame picture never moves, but its paint is pending: the timer runs until it is done.
  const std::vector<std::uint8_t> png = skin::test::EncodePng(2, 1, {0xFF102030u, 0xFF405060u});
  box->SetObjectPicture(id, png);
  box->PlayAnimation(id, 0);
  ASSERT_EQ(timers.sets.size(), 1u);
  EXPECT_EQ(timers.sets[0].hwnd, box->Handle());
  EXPECT_EQ(timers.sets[0].id, 1u);
  EXPECT_EQ(timers.sets[0].period, 5u);
  {
    api::ScopedOverride<api::types::UpdateWindow_t> noPaint{api::UpdateWindow, &NoUpdateWindow};
    box->OnTimer();  // the forced repaint does not happen: still pending
  }
  EXPECT_TRUE(Running(box));
  EXPECT_TRUE(quorlin::testing::PumpUntil([&] { return !Running(box); }));
  EXPECT_EQ(timers.sets.size(), 1u);
  EXPECT_EQ(timers.kills, std::vector<HWND>{box->Handle()});
  EXPECT_FALSE(TimerMessageArrives(box->Handle()));

  box->SetBackColor(RGB(1, 2, 3));  // repaints the whole box: ticks again until painted
  EXPECT_TRUE(Running(box));
  EXPECT_TRUE(quorlin::testing::PumpUntil([&] { return !Running(box); }));
  EXPECT_EQ(timers.sets.size(), 2u);
}

// With the real clock and the box's own WM_TIMER: a run ends and stops the timer; a new play
// later starts it again and the strip moves on by itself.
TEST_F(CartoonBoxTicksTest, RunEndsTimerAndALaterPlayRestartsIt) {
  CartoonBox* box = MakeBox(800, 6);
  ASSERT_NE(box, nullptr);
  std::vector<ObjectId> finished;
  box->SetFinishedHandler([&](ObjectId id) { finished.push_back(id); });
  const ObjectId id = box->CreateObject(nullptr, 0, 0);
  box->SetObjectPicture(id, Strip());
  box->PlayAnimation(id, 1);
  EXPECT_TRUE(Running(box));
  ASSERT_TRUE(quorlin::testing::PumpUntil([&] { return !Running(box); }, 10000));
  EXPECT_EQ(finished, std::vector<ObjectId>{id});
  EXPECT_FALSE(box->Scene().Find(id)->playing);
  EXPECT_FALSE(TimerMessageArrives(box->Handle()));
  const std::size_t setsBefore = timers.sets.size();

  box->PlayAnimation(id, 0);
  ASSERT_EQ(timers.sets.size(), setsBefore + 1);
  EXPECT_EQ(timers.sets.back().period, 5u);
  EXPECT_TRUE(quorlin::testing::PumpUntil([&] { return box->Scene().Find(id)->frameIndex == 2; }, 5000));
  EXPECT_TRUE(Running(box));  // endless: it keeps going
  box->PlayAnimation(id, -1);
  EXPECT_TRUE(quorlin::testing::PumpUntil([&] { return !Running(box); }));
}

TEST_F(CartoonBoxTicksTest, AHiddenBoxRestsItsEndlessLoopAndShownAgainIsWhereTicksWouldHaveTakenIt) {
  api::ScopedOverride<api::types::GetTickCount_t> clock(api::GetTickCount, &FakeTickCount);
  fakeNow = 50000;
  CartoonBox* box = MakeBox(800, 6);
  ASSERT_NE(box, nullptr);
  const ObjectId id = box->CreateObject(nullptr, 0, 0);
  box->SetObjectPicture(id, Strip());
  box->PlayAnimation(id, 0);
  ASSERT_TRUE(Running(box));
  // The same scene ticked every 5 ms all along: what the box must show when it is shown again.
  CartoonScene reference = box->Scene();
  for (int i = 0; i < 30; ++i) {
    fakeNow += 5;
    box->OnTimer();
    reference.Tick(fakeNow);
  }

  ::ShowWindow(box->Handle(), SW_HIDE);
  EXPECT_FALSE(Running(box)) << "nobody sees the loop: no timer";
  fakeNow += 2345;
  for (std::uint32_t t = fakeNow - 2345 + 5; t <= fakeNow; t += 5) reference.Tick(t);
  ::ShowWindow(box->Handle(), SW_SHOWNA);
  EXPECT_TRUE(Running(box));
  const CartoonObject* shown = box->Scene().Find(id);
  const CartoonObject* expected = reference.Find(id);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->frameIndex, expected->frameIndex);
  EXPECT_EQ(shown->frameStart, expected->frameStart);

  // A run that counts keeps the timer even while hidden: its end is announced on time.
  ::ShowWindow(box->Handle(), SW_HIDE);
  EXPECT_FALSE(Running(box));
  box->PlayAnimation(id, 2);
  EXPECT_TRUE(Running(box));
}

TEST_F(CartoonBoxTicksTest, LifeDeadlineKeepsTheTimerUntilTheObjectGoes) {
  api::ScopedOverride<api::types::GetTickCount_t> clock{api::GetTickCount, &FakeTickCount};
  fakeNow = 50'000;
  CartoonBox* box = MakeBox(10, 10);
  ASSERT_NE(box, nullptr);
  CartoonTemplate design;
  design.existTime = 300;
  const ObjectId id = box->CreateObject(&design, 0, 0, false);  // hidden, no picture
  EXPECT_TRUE(Running(box));
  fakeNow += 299;
  box->OnTimer();
  EXPECT_TRUE(Running(box));
  EXPECT_NE(box->Scene().Find(id), nullptr);
  fakeNow += 1;
  box->OnTimer();
  EXPECT_EQ(box->Scene().Find(id), nullptr);
  EXPECT_FALSE(Running(box));
  EXPECT_EQ(timers.kills.size(), 1u);
}

// The box ticked only while its timer runs, next to the scene logic ticked every 5 ms: the same
// rectangles are invalidated at the same moments and every frame change paints the same pixels.
TEST_F(CartoonBoxTicksTest, RestartedBoxShowsTheSameFramesAtTheSameTimes) {
  api::ScopedOverride<api::types::GetTickCount_t> clock{api::GetTickCount, &FakeTickCount};
  realInvalidate = api::InvalidateRect.Get();
  api::ScopedOverride<api::types::InvalidateRect_t> record{api::InvalidateRect, &RecordInvalidate};
  fakeNow = 200'000;
  CartoonBox* box = MakeBox(800, 6);
  ASSERT_NE(box, nullptr);
  box->SetBackColor(0xF6F6F6);
  ::UpdateWindow(box->Handle());
  box->OnTimer();  // nothing pending any more: the timer rests
  ASSERT_FALSE(Running(box));
  recordedBox = box->Handle();
  invalidated.clear();

  const auto strip = std::make_shared<const FrameSet>(DecodeGif(Strip(), kColourKeyNone).value());
  CartoonScene reference;
  std::vector<BoxRect> expected;
  const auto take = [&expected](std::vector<BoxRect> rects) {
    expected.insert(expected.end(), rects.begin(), rects.end());
  };
  int boxTicks = 0, frameChanges = 0, pauses = 0;
  std::int32_t lastFrame = 0;
  for (DWORD t = 0; t <= 4000; t += 5) {
    fakeNow = 200'000 + t;
    switch (t) {  // the same operations on both
      case 0:
        box->CreateObject(nullptr, 0, 0, false);
        reference.CreateObject(nullptr, 0, 0, false, {}, fakeNow);
        box->ShowObject(1);
        reference.ShowObject(1, true);
        box->SetObjectPicture(1, Strip());
        reference.SetObjectPicture(1, strip);
        box->PlayAnimation(1, 1);
        reference.PlayAnimation(1, 1, false, 0, 0);
        break;
      case 1500:  // long after the run ended
        box->PlayAnimation(1, 2, false, 20, 150);
        reference.PlayAnimation(1, 2, false, 20, 150);
        break;
      case 2100:
        box->ShowObject(1, false);
        reference.ShowObject(1, false);
        break;
      case 3000:
        box->ShowObject(1, true);
        reference.ShowObject(1, true);
        break;
      default:
        break;
    }
    take(reference.TakeInvalidRects());

    const bool wasRunning = Running(box);
    if (wasRunning) {
      box->OnTimer();  // what the timer's WM_TIMER does
      ++boxTicks;
    } else {
      ++pauses;
    }
    reference.Tick(fakeNow);
    take(reference.TakeInvalidRects());
    ASSERT_EQ(invalidated, expected) << "at " << t;

    const std::int32_t frame = reference.Find(1)->frameIndex;
    ASSERT_EQ(box->Scene().Find(1)->frameIndex, frame) << "at " << t;
    if (frame != lastFrame) {
      ++frameChanges;
      skin::test::PixelDc target(800, 6, 0);
      ::SendMessageW(box->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target.dc()), PRF_CLIENT);
      ::GdiFlush();
      std::vector<std::uint32_t> printed;
      for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 800; ++x) printed.push_back(target.Pixel(x, y));
      std::vector<std::uint32_t> composed;
      ComposeBoxArea(MakePlainBackground(800, 6, 0xF6F6F6), {0, 0, 800, 6}, reference.Objects(), composed);
      EXPECT_EQ(printed, composed) << "frame " << frame << " at " << t;
      lastFrame = frame;
    }
  }
  EXPECT_GE(frameChanges, 12);  // one run, two more runs, one of them interrupted by hiding
  EXPECT_GT(pauses, 300);       // the timer rested between the runs and while hidden
  EXPECT_FALSE(Running(box));
  EXPECT_GT(boxTicks, 100);
  recordedBox = nullptr;
}

// The box is used on the window thread only; a worker hands its calls over, and the timer they
// start belongs to the window thread.
TEST_F(CartoonBoxTicksTest, ACallHandedOverByAWorkerStartsTheTimerOnTheWindowThread) {
  BindWindowThread();
  CartoonBox* box = MakeBox(800, 6);
  ASSERT_NE(box, nullptr);
  const ObjectId id = box->CreateObject(nullptr, 0, 0);
  box->SetObjectPicture(id, Strip());
  ::UpdateWindow(box->Handle());
  box->OnTimer();
  ASSERT_FALSE(Running(box));

  std::atomic<bool> done{false};
  std::thread worker([&] {
    RunOnWindowThread([&] { box->PlayAnimation(id, 0); });
    done = true;
  });
  EXPECT_TRUE(quorlin::testing::PumpUntil([&] { return done.load(); }));
  worker.join();
  EXPECT_TRUE(Running(box)) << "started by the time the worker goes on";
  EXPECT_EQ(timers.sets.back().thread, ::GetCurrentThreadId());
  EXPECT_TRUE(quorlin::testing::PumpUntil([&] { return box->Scene().Find(id)->frameIndex == 1; }, 5000));
}

TEST_F(CartoonBoxTicksTest, FinishedHandlerMayPlayAgainOrDestroyTheBox) {
  api::ScopedOverride<api::types::GetTickCount_t> clock{api::GetTickCount, &FakeTickCount};
  fakeNow = 300'000;
  CartoonBox* box = MakeBox(800, 6);
  ASSERT_NE(box, nullptr);
  const HWND hwnd = box->Handle();
  const ObjectId id = box->CreateObject(nullptr, 0, 0);
  box->SetObjectPicture(id, Strip());
  box->PlayAnimation(id, 1);
  int calls = 0;
  std::size_t setsBeforeDestroy = 0;
  box->SetFinishedHandler([&](ObjectId finished) {
    if (++calls == 1) {
      box->PlayAnimation(finished, 1);  // a second run from inside the tick that ended the first
    } else {
      setsBeforeDestroy = timers.sets.size();
      ::DestroyWindow(hwnd);
    }
  });
  for (int i = 0; i < 40 && CartoonBoxFromHandle(hwnd) == box; ++i) {
    box->OnTimer();
    if (calls == 1 && CartoonBoxFromHandle(hwnd) == box) {
      EXPECT_TRUE(Running(box)) << "tick " << i;
    }
    fakeNow += 100;
  }
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(CartoonBoxFromHandle(hwnd), nullptr);
  EXPECT_FALSE(timers.running[hwnd]);  // killed with the window
  EXPECT_EQ(timers.sets.size(), setsBeforeDestroy);  // and nothing touched it afterwards
}

}  // namespace
}  // namespace quorlin::platform
