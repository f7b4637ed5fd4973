#include "win/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Two threads take turns, each turn waiting for the other's notice: a lost wake-up stalls a turn
// (hence the time-outs), a lock that lets both in loses one.
TEST(Thread, TakesTurnsThroughOneLockAndConditionVariable) {
  constexpr int kTurns = 2000;
  win::Mutex mutex;
  win::ConditionVariable turned;
  int turn = 0;  // even: this thread's, odd: the other's
  std::atomic<bool> stalled{false};
  auto takeTurn = [&](int mine) {
    win::Lock lock(mutex);
    if (!turned.wait_for(lock, 10s, [&] { return turn == mine; })) return false;
    ++turn;
    turned.notify_one();
    return true;
  };
  win::Thread other;
  ASSERT_TRUE(other.start([&] {
    for (int i = 1; i < kTurns && !stalled; i += 2) stalled = !takeTurn(i);
  }));
  for (int i = 0; i < kTurns && !stalled; i += 2) stalled = !takeTurn(i);
  other.join();
  EXPECT_FALSE(stalled);
  EXPECT_EQ(turn, kTurns);
}

// A timed wait ends as soon as its condition holds and never before its time-out otherwise, even
// while notices that change nothing keep waking it (a wait that started its time afresh on each
// would never end).
TEST(ConditionVariable, TimedWaitEndsWhenTheConditionHoldsOrPastTheTimeOut) {
  const struct {
    const char* what;
    bool holdsAtStart;
    bool notices;     // another thread notifies every 10 ms, for 5 s at most
    bool holdsLater;  // its notices from 50 ms on find the condition holding
    Clock::duration timeOut;
    bool result;
    Clock::duration atLeast, atMost;
  } cases[] = {
      {"holds at the start", true, false, false, 5s, true, 0ms, 1s},
      {"nobody notifies", false, false, false, 200ms, false, 200ms, 2s},
      {"a notice makes it hold", false, true, true, 5s, true, 0ms, 2s},
      {"notices that change nothing", false, true, false, 200ms, false, 200ms, 2s},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    win::Mutex mutex;
    win::ConditionVariable changed;
    bool holds = c.holdsAtStart;
    std::atomic<bool> waiting{true};
    win::Thread notifier;
    if (c.notices) {
      ASSERT_TRUE(notifier.start([&] {
        for (int ms = 10; waiting && ms <= 5000; ms += 10) {
          ::Sleep(10);
          std::lock_guard lock(mutex);
          if (ms >= 50 && c.holdsLater) holds = true;
          changed.notify_all();
        }
      }));
    }
    const Clock::time_point start = Clock::now();
    bool result;
    {
      win::Lock lock(mutex);
      result = changed.wait_for(lock, c.timeOut, [&] { return holds; });
    }
    const Clock::duration took = Clock::now() - start;
    waiting = false;
    notifier.join();
    EXPECT_EQ(result, c.result);
    EXPECT_GE(took, c.atLeast);
    EXPECT_LE(took, c.atMost);
  }
}

// The callable runs on a thread of its own and goes with it: destroyed once it has run, whether
// the owner joins, lets the thread go, or goes first (and then waits for it).
TEST(Thread, RunsTheCallableElsewhereAndFreesItAfterwards) {
  enum class End { kJoin, kDetach, kOwnerGoes };
  const struct {
    const char* what;
    End end;
  } cases[] = {{"joined", End::kJoin}, {"detached", End::kDetach}, {"owner goes", End::kOwnerGoes}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto token = std::make_shared<int>(0);
    std::atomic<DWORD> ranOn{0};
    {
      win::Thread thread;
      ASSERT_TRUE(thread.start([token, &ranOn] {
        ::Sleep(50);
        ranOn = ::GetCurrentThreadId();
      }));
      EXPECT_TRUE(thread.joinable());
      if (c.end == End::kJoin) thread.join();
      if (c.end == End::kDetach) thread.detach();
      EXPECT_EQ(thread.joinable(), c.end == End::kOwnerGoes);
    }
    if (c.end == End::kDetach)
      for (int i = 0; i < 500 && token.use_count() > 1; ++i) ::Sleep(10);
    EXPECT_EQ(token.use_count(), 1);
    EXPECT_NE(ranOn, 0u);
    EXPECT_NE(ranOn, ::GetCurrentThreadId());
  }
}

}  // namespace
