#include "win/message_loop.h"

#include <atomic>
#include <vector>

#include <gtest/gtest.h>

#include "win/thread.h"
#include "win/unique_any.h"

namespace {

struct RecordingFilter : win::MessageFilter {
  UINT takes = 0;
  std::vector<UINT> seen;
  bool PreTranslateMessage(MSG& msg) override {
    if (msg.message < WM_USER) return false;
    seen.push_back(msg.message);
    return msg.message == takes;
  }
};

struct RecordingIdle : win::IdleHandler {
  std::vector<int> counts;
  int askMore = 0;  // calls that ask for more idle time
  HANDLE ran = nullptr;
  bool OnIdle(int idleCount) override {
    counts.push_back(idleCount);
    if (ran) ::SetEvent(ran);
    return askMore-- > 0;
  }
};

// Makes sure the calling thread has a message queue and drops whatever waits in it.
void FreshQueue() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST(MessageLoop, FiltersNewestFirstThenDispatchAndQuitCode) {
  FreshQueue();
  win::MessageLoop loop;
  RecordingFilter older, newer;
  older.takes = WM_USER + 1;
  newer.takes = WM_USER + 2;
  ASSERT_TRUE(loop.AddMessageFilter(&older));
  ASSERT_TRUE(loop.AddMessageFilter(&newer));
  EXPECT_FALSE(loop.AddMessageFilter(&newer));
  ::PostThreadMessageW(::GetCurrentThreadId(), WM_USER + 1, 0, 0);
  ::PostThreadMessageW(::GetCurrentThreadId(), WM_USER + 2, 0, 0);
  ::PostQuitMessage(3);
  EXPECT_EQ(loop.Run(), 3);
  EXPECT_EQ(newer.seen, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
  // The newer filter took WM_USER + 2: the older one never saw it.
  EXPECT_EQ(older.seen, (std::vector<UINT>{WM_USER + 1}));
  EXPECT_EQ(loop.lastMessage().message, static_cast<UINT>(WM_QUIT));

  EXPECT_TRUE(loop.RemoveMessageFilter(&newer));
  EXPECT_FALSE(loop.RemoveMessageFilter(&newer));
}

// Another thread posts with pauses, so that the queue really runs empty between messages.
TEST(MessageLoop, MouseMovementDoesNotRestartIdleProcessingAKeyDoes) {
  FreshQueue();
  win::MessageLoop loop;
  RecordingIdle idle;
  win::UniqueHandle ran(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
  idle.ran = ran.get();
  idle.askMore = 1;
  ASSERT_TRUE(loop.AddIdleHandler(&idle));
  const DWORD thread = ::GetCurrentThreadId();
  std::atomic<int> quietAfterMove{-1};
  win::Thread poster;
  ASSERT_TRUE(poster.start([&] {
    ::WaitForSingleObject(ran.get(), 5000);  // the loop is idle
    ::Sleep(100);
    ::ResetEvent(ran.get());
    ::PostThreadMessageW(thread, WM_MOUSEMOVE, 0, 0);
    quietAfterMove = ::WaitForSingleObject(ran.get(), 300) == WAIT_TIMEOUT;
    ::PostThreadMessageW(thread, WM_KEYDOWN, 'A', 0);
    ::WaitForSingleObject(ran.get(), 5000);
    ::PostThreadMessageW(thread, WM_QUIT, 9, 0);
  }));
  EXPECT_EQ(loop.Run(), 9);
  poster.join();
  EXPECT_EQ(quietAfterMove, 1);
  // Two calls at the start (the first asked for more), one after the key.
  EXPECT_EQ(idle.counts, (std::vector<int>{0, 1, 0}));
  EXPECT_TRUE(loop.RemoveIdleHandler(&idle));
}

TEST(AppModule, KeepsOneLoopPerThread) {
  win::AppModule module;
  module.Init(::GetModuleHandleW(nullptr));
  EXPECT_EQ(module.instance(), ::GetModuleHandleW(nullptr));
  win::MessageLoop mine, again;
  EXPECT_EQ(module.GetMessageLoop(), nullptr);
  ASSERT_TRUE(module.AddMessageLoop(&mine));
  EXPECT_FALSE(module.AddMessageLoop(&again));
  EXPECT_EQ(module.GetMessageLoop(), &mine);

  const DWORD mainThread = ::GetCurrentThreadId();
  std::atomic<int> failures{0};
  std::vector<win::Thread> threads(4);
  for (auto& t : threads) {
    ASSERT_TRUE(t.start([&] {
      win::MessageLoop theirs;
      for (int i = 0; i < 200; ++i) {
        if (module.GetMessageLoop() != nullptr) ++failures;
        if (!module.AddMessageLoop(&theirs) || module.GetMessageLoop() != &theirs) ++failures;
        if (module.GetMessageLoop(mainThread) != &mine) ++failures;
        if (!module.RemoveMessageLoop()) ++failures;
      }
    }));
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures, 0);

  EXPECT_TRUE(module.RemoveMessageLoop());
  EXPECT_FALSE(module.RemoveMessageLoop());
  ASSERT_TRUE(module.AddMessageLoop(&mine));
  module.Term();
  EXPECT_EQ(module.GetMessageLoop(), nullptr);
}

}  // namespace
