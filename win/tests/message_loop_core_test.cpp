#include "win/message_loop_core.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kKeyDown = 0x0100;
constexpr std::uint32_t kUser = 0x0400;
constexpr std::uint32_t kError = 0xFFFFFFFF;  // stands for GetMessageW failing
constexpr std::uint32_t kQuit = 0x0012;

// A thread's queue as a script: each batch arrives while the loop waits for a message, all at
// once. The trace records what the loop did, in order.
struct ScriptedQueue {
  std::vector<std::vector<std::uint32_t>> batches;
  int moreIdleCalls = 0;  // idle calls that ask for more, counted from each idle start
  std::uint32_t filterTakes = 0;
  std::map<int, std::uint32_t> arriveDuringIdle;  // by the number of the idle call

  std::deque<std::uint32_t> waiting;
  size_t nextBatch = 0;
  std::uint32_t current = 0;
  std::vector<std::string> trace;
  int idleCalls = 0;

  bool HasMessage() { return !waiting.empty(); }
  bool OnIdle(int idleCount) {
    trace.push_back("idle" + std::to_string(idleCount));
    if (auto arrives = arriveDuringIdle.find(idleCalls++); arrives != arriveDuringIdle.end())
      waiting.push_back(arrives->second);
    return idleCount < moreIdleCalls;
  }
  win::Fetched Fetch() {
    if (waiting.empty()) {
      if (nextBatch == batches.size()) {
        ADD_FAILURE() << "the loop waits for a message that never comes";
        current = kQuit;
        return win::Fetched::kQuit;
      }
      for (std::uint32_t m : batches[nextBatch++]) waiting.push_back(m);
    }
    current = waiting.front();
    waiting.pop_front();
    if (current == kError) return win::Fetched::kError;
    return current == kQuit ? win::Fetched::kQuit : win::Fetched::kMessage;
  }
  bool PreTranslate() { return current == filterTakes; }
  void Dispatch() { trace.push_back("dispatch" + std::to_string(current)); }
  std::uint32_t Message() const { return current; }
  int QuitCode() const { return 7; }
};

TEST(MessageLoopCore, OnlyMouseMovementPaintAndCaretBlinkLeaveIdleAlone) {
  EXPECT_FALSE(win::IsIdleRestartingMessage(0x0200));
  EXPECT_FALSE(win::IsIdleRestartingMessage(0x00A0));
  EXPECT_FALSE(win::IsIdleRestartingMessage(0x000F));
  EXPECT_FALSE(win::IsIdleRestartingMessage(0x0118));
  for (std::uint32_t m : {0x0000u, 0x0100u, 0x0113u, 0x0201u, 0x02A3u, 0x0400u, 0x0401u, 0xC000u})
    EXPECT_TRUE(win::IsIdleRestartingMessage(m)) << m;
}

TEST(MessageLoopCore, IdleRunsUntilNoHandlerAsksForMoreThenWaits) {
  ScriptedQueue q;
  q.moreIdleCalls = 2;
  q.batches = {{kQuit}};
  EXPECT_EQ(win::RunMessageLoop(q), 7);
  EXPECT_EQ(q.trace, (std::vector<std::string>{"idle0", "idle1", "idle2"}));
}

TEST(MessageLoopCore, RestartingMessagesStartIdleAgainFromZero) {
  struct Case {
    std::uint32_t message;
    std::vector<std::string> trace;
  };
  const Case cases[] = {
      {kKeyDown, {"idle0", "dispatch256", "idle0"}},
      {kUser, {"idle0", "dispatch1024", "idle0"}},
      {0x0200, {"idle0", "dispatch512"}},
      {0x00A0, {"idle0", "dispatch160"}},
      {0x000F, {"idle0", "dispatch15"}},
      {0x0118, {"idle0", "dispatch280"}},
  };
  for (const Case& c : cases) {
    ScriptedQueue q;
    q.batches = {{c.message}, {kQuit}};
    EXPECT_EQ(win::RunMessageLoop(q), 7);
    EXPECT_EQ(q.trace, c.trace) << c.message;
  }
}

TEST(MessageLoopCore, IdleWaitsForAnEmptyQueue) {
  ScriptedQueue q;
  q.batches = {{kKeyDown, 0x0200, kUser}, {0x0200}, {kQuit}};
  win::RunMessageLoop(q);
  // The key restarts idle processing, but it runs only once the batch is through; the mouse
  // movement after it does not start it again.
  EXPECT_EQ(q.trace, (std::vector<std::string>{"idle0", "dispatch256", "dispatch512",
                                               "dispatch1024", "idle0", "dispatch512"}));
}

TEST(MessageLoopCore, IdleInterruptedByAMessageGoesOnOrStartsAgain) {
  struct Case {
    std::uint32_t message;
    std::vector<std::string> trace;
  };
  const Case cases[] = {
      // Mouse movement interrupts idle processing but leaves its count alone.
      {0x0200, {"idle0", "idle1", "dispatch512", "idle2", "idle3"}},
      {kKeyDown, {"idle0", "idle1", "dispatch256", "idle0", "idle1", "idle2", "idle3"}},
  };
  for (const Case& c : cases) {
    ScriptedQueue q;
    q.moreIdleCalls = 3;
    q.arriveDuringIdle = {{1, c.message}};
    q.batches = {{kQuit}};
    win::RunMessageLoop(q);
    EXPECT_EQ(q.trace, c.trace) << c.message;
  }
}

TEST(MessageLoopCore, FailedFetchIsPassedOverWithoutRestartingIdle) {
  ScriptedQueue q;
  q.batches = {{kError}, {kUser}, {kQuit}};
  EXPECT_EQ(win::RunMessageLoop(q), 7);
  EXPECT_EQ(q.trace, (std::vector<std::string>{"idle0", "dispatch1024", "idle0"}));
}

TEST(MessageLoopCore, AFilteredMessageIsNotDispatchedButStillRestartsIdle) {
  ScriptedQueue q;
  q.filterTakes = kUser;
  q.batches = {{kUser}, {kKeyDown}, {kQuit}};
  win::RunMessageLoop(q);
  EXPECT_EQ(q.trace, (std::vector<std::string>{"idle0", "idle0", "dispatch256", "idle0"}));
}

}  // namespace
