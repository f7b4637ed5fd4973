#include "app/path_presence.h"

#include <gtest/gtest.h>

#include <map>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#include <tlhelp32.h>

#include "win/unique_any.h"
#else
#include <filesystem>
#include <iterator>
#endif

#include "win/thread.h"

namespace stashly {
namespace {

using namespace std::chrono_literals;

// Counts events across threads. Waits give up after a generous while, so a fault fails the test
// instead of hanging it.
class Tally {
 public:
  void Add() {
    std::lock_guard lock(mutex_);
    ++count_;
    changed_.notify_all();
  }
  int Count() {
    std::lock_guard lock(mutex_);
    return count_;
  }
  bool WaitFor(int count) {
    win::Lock lock(mutex_);
    return changed_.wait_for(lock, 10s, [&] { return count_ >= count; });
  }

 private:
  win::Mutex mutex_;
  win::ConditionVariable changed_;
  int count_ = 0;
};

// Stands in for the file system: scripted answers, counted calls, and paths whose next probe
// waits until the test lets it go. Tells `gone` when the last probe has let go of it.
struct FakeDisk {
  struct Hold {
    Tally entered, release;
  };
  ~FakeDisk() { gone->Add(); }

  Presence Probe(const std::wstring& path) {
    win::Lock lock(mutex);
    ++calls[path];
    std::shared_ptr<Hold> hold = std::exchange(holds[path], nullptr);
    Presence answer = answers[path];
    lock.unlock();
    if (hold) {
      hold->entered.Add();
      hold->release.WaitFor(1);
    }
    return answer;
  }
  void Answer(const std::wstring& path, Presence answer) {
    std::lock_guard lock(mutex);
    answers[path] = answer;
  }
  std::shared_ptr<Hold> HoldNext(const std::wstring& path) {
    std::lock_guard lock(mutex);
    return holds[path] = std::make_shared<Hold>();
  }
  int Calls(const std::wstring& path) {
    std::lock_guard lock(mutex);
    return calls[path];
  }

  win::Mutex mutex;
  std::map<std::wstring, Presence> answers;
  std::map<std::wstring, int> calls;
  std::map<std::wstring, std::shared_ptr<Hold>> holds;
  std::shared_ptr<Tally> gone = std::make_shared<Tally>();
};

// The threads of this process.
int ThreadCount() {
  int count = 0;
#ifdef _WIN32
  win::UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = snapshot && ::Thread32First(snapshot.get(), &entry); more;
       more = ::Thread32Next(snapshot.get(), &entry)) {
    count += entry.th32OwnerProcessID == ::GetCurrentProcessId();
  }
#else
  count = static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                         std::filesystem::directory_iterator()));
#endif
  return count;
}

// True once the process is down to `count` threads or fewer; a thread's exit is not instant.
bool ThreadsSettleAt(int count) {
  for (int i = 0; i < 1000; ++i) {
    if (ThreadCount() <= count) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

class PathPresenceTest : public testing::Test {
 protected:
  void Start(std::chrono::milliseconds timeout) {
    presence_ = std::make_unique<PathPresence>(
        [disk = disk_](const std::wstring& path) { return disk->Probe(path); },
        [notices = notices_] { notices->Add(); }, timeout);
  }
  // Waits, woken by the notices as the window would be, until `done` holds.
  bool Until(const std::function<bool()>& done) {
    for (;;) {
      const int seen = notices_->Count();
      presence_->TakeNotice();
      if (done()) return true;
      if (!notices_->WaitFor(seen + 1)) return done();
    }
  }
  Presence Get(const std::wstring& path) { return presence_->Get(path); }

  std::shared_ptr<FakeDisk> disk_ = std::make_shared<FakeDisk>();
  std::shared_ptr<Tally> notices_ = std::make_shared<Tally>();
  std::unique_ptr<PathPresence> presence_;
};

TEST(PresenceRoot, NamesTheShareOrDriveAPathDependsOn) {
  const struct {
    const wchar_t* path;
    const wchar_t* root;
  } cases[] = {
      {LR"(\\server\share\folder\file.txt)", LR"(\\server\share)"},
      {LR"(//server/share/file)", LR"(\\server\share)"},
      {LR"(\\?\UNC\server\share\file)", LR"(\\server\share)"},
      {LR"(\\?\C:\long\path)", L"C:"},
      {LR"(C:\Users\me)", L"C:"},
      {L"d:relative", L"d:"},
      {LR"(\\server)", LR"(\\server)"},
      {LR"(\\server\)", LR"(\\server)"},
      {LR"(\\)", L""},
      {LR"(\\\share\file)", L""},
      {LR"(\\?\UNC\)", L""},
      {LR"(folder\file)", L""},
      {LR"(\rooted\file)", L""},
      {L"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(PresenceRoot(c.path), c.root) << std::wstring(c.path);
}

// An idle list keeps no thread: each round starts what it needs and lets it go when answered.
// First of its suite, so that no thread another test has let go is still on its way out.
TEST_F(PathPresenceTest, ThreadsRunOnlyWhileARoundIsUnderWay) {
  const std::wstring a = LR"(C:\a)", b = LR"(\\server\share\b)";
  const int idle = ThreadCount();
  Start(10s);
  presence_->Refresh({});
  EXPECT_EQ(ThreadCount(), idle);
  for (Presence answer : {Presence::kFile, Presence::kMissing, Presence::kFolder}) {
    disk_->Answer(a, answer);
    disk_->Answer(b, answer);
    presence_->Refresh({a, b});
    ASSERT_TRUE(Until([&] { return Get(a) == answer && Get(b) == answer; }));
    EXPECT_TRUE(ThreadsSettleAt(idle));
  }
}

TEST_F(PathPresenceTest, AnswersFollowTheNewestRoundWithOneNoticeUntilTaken) {
  const std::wstring a = LR"(C:\a)", b = LR"(C:\b)", c = LR"(D:\c)";
  disk_->Answer(a, Presence::kFile);
  disk_->Answer(b, Presence::kFolder);
  disk_->Answer(c, Presence::kFolder);
  auto first = disk_->HoldNext(c);
  Start(10s);
  presence_->Refresh({a, b, L"", a, c});
  ASSERT_TRUE(first->entered.WaitFor(1));  // one worker goes in order: a and b are answered
  EXPECT_EQ(Get(a), Presence::kFile);
  EXPECT_EQ(Get(b), Presence::kFolder);
  EXPECT_EQ(Get(c), Presence::kUnknown);
  EXPECT_EQ(Get(L""), Presence::kMissing);
  EXPECT_EQ(notices_->Count(), 1);
  EXPECT_EQ(disk_->Calls(a), 1);
  EXPECT_EQ(disk_->Calls(L""), 0);

  // A new round while c's first call is out: what left the list is forgotten, what is known is
  // answered until it is known better, and the late answer of the old round is dropped.
  disk_->Answer(b, Presence::kMissing);
  disk_->Answer(c, Presence::kMissing);
  auto second = disk_->HoldNext(c);
  presence_->Refresh({b, c});
  EXPECT_EQ(Get(a), Presence::kUnknown);
  EXPECT_EQ(Get(b), Presence::kFolder);
  presence_->TakeNotice();
  first->release.Add();
  ASSERT_TRUE(second->entered.WaitFor(1));
  EXPECT_EQ(Get(b), Presence::kMissing);
  EXPECT_EQ(Get(c), Presence::kUnknown);
  EXPECT_EQ(notices_->Count(), 2);

  // Nor does the destructor wait for a call that has not timed out.
  presence_.reset();
  second->release.Add();
}

TEST_F(PathPresenceTest, DeadShareCostsOneTimeOutAndHoldsUpNothing) {
  const std::wstring a = LR"(\\dead\share\a)", b = LR"(\\DEAD\Share\b)",
                     c = LR"(\\?\UNC\dead\share\c)", x = LR"(X:\x)", y = LR"(\\live\share\y)";
  const std::vector<std::wstring> list = {a, b, c, x, y};
  for (const std::wstring& path : list) disk_->Answer(path, Presence::kFolder);
  Start(100ms);  // short, yet far above what an answered probe takes on a busy machine
  presence_->Refresh(list);
  ASSERT_TRUE(Until([&] { return Get(y) == Presence::kFolder; }));  // y last: all are answered

  // The share stops answering: its paths keep what was known, the others are still answered.
  auto stuck = disk_->HoldNext(a);
  for (const std::wstring& path : list) disk_->Answer(path, Presence::kMissing);
  presence_->Refresh(list);
  ASSERT_TRUE(Until([&] { return Get(y) == Presence::kMissing; }));
  EXPECT_EQ(Get(x), Presence::kMissing);
  for (const std::wstring& path : {a, b, c}) EXPECT_EQ(Get(path), Presence::kFolder);
  EXPECT_EQ(disk_->Calls(a) + disk_->Calls(b) + disk_->Calls(c), 4);

  // While its call is stuck, the share is not probed again.
  disk_->Answer(y, Presence::kFile);
  presence_->Refresh(list);
  ASSERT_TRUE(Until([&] { return Get(y) == Presence::kFile; }));
  EXPECT_EQ(disk_->Calls(a) + disk_->Calls(b) + disk_->Calls(c), 4);

  // The destructor does not wait for the stuck call, and nothing of the owner's is called after.
  presence_.reset();
  const int notices = notices_->Count();
  std::shared_ptr<Tally> gone = disk_->gone;
  disk_.reset();
  stuck->release.Add();
  EXPECT_TRUE(gone->WaitFor(1));
  EXPECT_EQ(notices_->Count(), notices);
}

}  // namespace
}  // namespace stashly
