#include "platform/window_thread.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "tests/win32/test_support.h"

namespace quorlin::platform {
namespace {

TEST(WindowThread, AWorkersStepRunsOnTheWindowThreadBeforeTheWorkerGoesOn) {
  BindWindowThread();  // the test thread is the window thread
  std::atomic<DWORD> stepThread{0};
  std::atomic<bool> ranBeforeReturn{false}, done{false};
  std::thread worker([&] {
    RunOnWindowThread([&] { stepThread = ::GetCurrentThreadId(); });
    ranBeforeReturn = stepThread.load() != 0;
    done = true;
  });
  EXPECT_TRUE(quorlin::testing::PumpUntil([&] { return done.load(); }));
  worker.join();
  EXPECT_EQ(stepThread.load(), ::GetCurrentThreadId());
  EXPECT_TRUE(ranBeforeReturn.load());
  EXPECT_TRUE(OnWindowThread());
}

TEST(WindowThreadDeathTest, AServiceCalledOffTheWindowThreadEndsTheProgramNamingIt) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  BindWindowThread();
  CheckWindowThread("SetControlProperty");  // on the window thread: passes
  EXPECT_DEATH(std::thread([] { CheckWindowThread("SetControlProperty"); }).join(),
               "SetControlProperty called off the window thread");
}

// The services check in debug builds only; a release build (the default) makes no call.
TEST(WindowThreadDeathTest, TheEntryCheckIsCompiledOutOfReleaseBuilds) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  BindWindowThread();
  auto offThread = [] { std::thread([] { ExpectWindowThread("LoadWindow"); }).join(); };
#ifdef NDEBUG
  offThread();
#else
  EXPECT_DEATH(offThread(), "LoadWindow called off the window thread");
#endif
}

}  // namespace
}  // namespace quorlin::platform
