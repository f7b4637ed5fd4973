#include "app/path_presence.h"

#include <map>
#include <set>
#include <utility>

#include "core/ascii.h"

namespace stashly {
namespace {

bool HasDrive(std::wstring_view path) {
  return path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == L':';
}

// "server\share\rest" -> "\\server\share"; just "\\server" when no share is named.
std::wstring UncRoot(std::wstring_view rest, std::wstring_view separators) {
  const std::wstring_view server = rest.substr(0, rest.find_first_of(separators));
  if (server.empty()) return {};
  std::wstring root = L"\\\\";
  root += server;
  if (server.size() < rest.size()) {
    std::wstring_view share = rest.substr(server.size() + 1);
    share = share.substr(0, share.find_first_of(separators));
    if (!share.empty()) {
      root += L'\\';
      root += share;
    }
  }
  return root;
}

// Paths are grouped by root, so that a dead share costs one time-out. A path without a root is a
// group of its own.
std::wstring GroupOf(const std::wstring& path) {
  std::wstring root = PresenceRoot(path);
  if (root.empty()) return path;
  for (wchar_t& c : root) c = AsciiLower(c);
  return root;
}

}  // namespace

std::wstring PresenceRoot(std::wstring_view path) {
  if (path.starts_with(LR"(\\?\)") || path.starts_with(LR"(\\.\)")) {
    // These prefixes take no forward slashes.
    std::wstring_view rest = path.substr(4);
    if (rest.size() >= 4 && EqualsAsciiNoCase(rest.substr(0, 4), LR"(UNC\)")) {
      return UncRoot(rest.substr(4), L"\\");
    }
    return HasDrive(rest) ? std::wstring(rest.substr(0, 2)) : std::wstring();
  }
  auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  if (path.size() >= 2 && separator(path[0]) && separator(path[1])) {
    return UncRoot(path.substr(2), L"\\/");
  }
  return HasDrive(path) ? std::wstring(path.substr(0, 2)) : std::wstring();
}

// Everything the threads share: the user-interface thread (Refresh, Get, TakeNotice), the
// watchdog and the workers. A stuck worker holds it too, so it lives until the last of them lets
// go. The rules, all under `mutex`:
//  - The watchdog runs only while a round is under way (`watching`): Refresh starts it, and it
//    leaves once the round has no paths left and no worker in charge, so that an idle list
//    keeps no thread.
//  - One worker is in charge at a time (`probe.worker`). The watchdog starts one when the round
//    has paths left and none is in charge, and abandons one whose probe runs past the time-out;
//    an abandoned worker may stay blocked in its probe, and when it comes back it finds that it
//    is no longer in charge and leaves, touching nothing but `busy`.
//  - An answer belongs to the round it was asked in: one from an older round is dropped, and so
//    is kUnknown.
//  - A group with a probe under way (`busy`, abandoned ones included) or that timed out this
//    round (`round.skipped`) is not probed again this round.
//  - The notice is called once until TakeNotice re-arms it, outside `mutex` and under
//    `noticeMutex`, which the destructor takes to drop the notice for good.
struct PathPresence::Shared {
  struct Item {
    std::wstring path;
    std::wstring group;
  };
  // What one Refresh asked for.
  struct Round {
    std::vector<Item> queue;
    size_t next = 0;
    unsigned long long generation = 0;
    std::set<std::wstring> skipped;  // groups that timed out
  };
  // The worker in charge and the probe it is running, as the watchdog sees them.
  struct Probe {
    unsigned long long worker = 0;  // 0: none in charge
    unsigned long long lastWorker = 0;
    unsigned long long count = 0;  // tells the watchdog one probe from the next
    bool running = false;
    std::chrono::steady_clock::time_point start;
    std::wstring group;
  };

  Shared(PresenceProbe probe, PresenceNotice notice, std::chrono::milliseconds timeout)
      : probeFunction(std::move(probe)), timeout(timeout), notice(std::move(notice)) {}

  // The worker's thread: probes this round's paths in order until none is left, the owner
  // closes, or the watchdog gives up on it.
  static void Work(std::shared_ptr<Shared> self, unsigned long long id);
  // The watchdog's thread.
  static void Watch(std::shared_ptr<Shared> self);

  // The next path whose group is neither skipped nor busy.
  const Item* NextItem() {
    while (round.next < round.queue.size()) {
      const Item& item = round.queue[round.next++];
      if (!round.skipped.contains(item.group) && !busy.contains(item.group)) return &item;
    }
    return nullptr;
  }

  void StartWorker(const std::shared_ptr<Shared>& self) {
    probe.worker = ++probe.lastWorker;
    win::Thread worker;
    if (!worker.start([self, id = probe.worker] { Work(self, id); })) {
      // No thread to spare: the rest of this round stays as it is.
      probe.worker = 0;
      round.next = round.queue.size();
    }
    worker.detach();
  }

  const PresenceProbe probeFunction;
  const std::chrono::milliseconds timeout;

  win::Mutex mutex;
  win::ConditionVariable wake;  // the watchdog's: a probe started, the round done, closing
  bool closing = false;
  bool watching = false;
  std::map<std::wstring, Presence, std::less<>> known;
  Round round;
  Probe probe;
  std::set<std::wstring> busy;
  bool noticeArmed = true;

  win::Mutex noticeMutex;
  PresenceNotice notice;
};

void PathPresence::Shared::Work(std::shared_ptr<Shared> self, unsigned long long id) {
  Shared& s = *self;
  win::Lock lock(s.mutex);
  while (!s.closing && s.probe.worker == id) {
    const Item* next = s.NextItem();
    if (!next) {
      s.probe.worker = 0;
      s.wake.notify_all();
      return;
    }
    const Item item = *next;
    const unsigned long long generation = s.round.generation;
    s.busy.insert(item.group);
    s.probe.running = true;
    s.probe.start = std::chrono::steady_clock::now();
    s.probe.group = item.group;
    ++s.probe.count;
    s.wake.notify_all();
    lock.unlock();

    Presence answer = Presence::kUnknown;
    try {
      answer = s.probeFunction(item.path);
    } catch (...) {
      // A probe that fails knows nothing.
    }

    lock.lock();
    s.busy.erase(item.group);
    if (s.closing || s.probe.worker != id) return;  // abandoned: another worker has taken over
    s.probe.running = false;
    if (generation != s.round.generation || answer == Presence::kUnknown) continue;
    Presence& known = s.known[item.path];
    if (known == answer) continue;
    known = answer;
    if (!s.noticeArmed) continue;
    s.noticeArmed = false;
    lock.unlock();
    {
      std::lock_guard hold(s.noticeMutex);
      if (s.notice) s.notice();
    }
    lock.lock();
  }
}

void PathPresence::Shared::Watch(std::shared_ptr<Shared> self) {
  Shared& s = *self;
  win::Lock lock(s.mutex);
  while (!s.closing) {
    if (s.probe.worker == 0 && s.round.next < s.round.queue.size()) {
      s.StartWorker(self);
    } else if (s.probe.worker != 0 && s.probe.running) {
      const unsigned long long count = s.probe.count;
      const bool moved = s.wake.wait_until(lock, s.probe.start + s.timeout, [&] {
        return s.closing || !s.probe.running || s.probe.count != count;
      });
      if (!moved) {
        // The worker keeps its blocked call; a fresh one carries on with the rest of the round.
        s.round.skipped.insert(s.probe.group);
        s.probe.running = false;
        s.probe.worker = 0;
      }
    } else if (s.probe.worker != 0) {
      s.wake.wait(lock);
    } else {
      break;  // the round is over; the next Refresh starts a watchdog again
    }
  }
  s.watching = false;
}

PathPresence::PathPresence(PresenceProbe probe, PresenceNotice notice,
                           std::chrono::milliseconds timeout)
    : shared_(std::make_shared<Shared>(std::move(probe), std::move(notice), timeout)) {}

PathPresence::~PathPresence() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->closing = true;
  }
  shared_->wake.notify_all();
  watchdog_.join();
  std::lock_guard hold(shared_->noticeMutex);
  shared_->notice = nullptr;
}

void PathPresence::Refresh(std::vector<std::wstring> paths) {
  std::vector<Shared::Item> queue;
  std::set<std::wstring, std::less<>> seen;
  bool hasEmpty = false;
  for (std::wstring& path : paths) {
    if (path.empty()) {
      hasEmpty = true;
    } else if (seen.insert(path).second) {
      std::wstring group = GroupOf(path);
      queue.push_back({std::move(path), std::move(group)});
    }
  }

  Shared& s = *shared_;
  bool startWatchdog = false;
  {
    std::lock_guard lock(s.mutex);
    std::map<std::wstring, Presence, std::less<>> known;
    if (hasEmpty) known.emplace(std::wstring(), Presence::kMissing);
    for (const Shared::Item& item : queue) {
      if (auto found = s.known.find(item.path); found != s.known.end()) known.insert(*found);
    }
    s.known = std::move(known);
    s.round.queue = std::move(queue);
    s.round.next = 0;
    s.round.skipped.clear();
    ++s.round.generation;
    startWatchdog = !s.watching && !s.round.queue.empty();
    s.watching = s.watching || startWatchdog;
  }
  s.wake.notify_all();
  // A watchdog that has just seen its round end is joined first; it takes no more than its exit.
  if (startWatchdog && !watchdog_.start([shared = shared_] { Shared::Watch(shared); })) {
    // Without a thread to spare nothing is probed, and the round's paths stay as they are.
    std::lock_guard lock(s.mutex);
    s.watching = false;
    s.round.next = s.round.queue.size();
  }
}

Presence PathPresence::Get(std::wstring_view path) const {
  std::lock_guard lock(shared_->mutex);
  auto found = shared_->known.find(path);
  return found == shared_->known.end() ? Presence::kUnknown : found->second;
}

void PathPresence::TakeNotice() {
  std::lock_guard lock(shared_->mutex);
  shared_->noticeArmed = true;
}

}  // namespace stashly
