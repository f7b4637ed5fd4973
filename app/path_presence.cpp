#include "app/path_presence.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <system_error>
#include <utility>

namespace stashly {
namespace {

bool IsAsciiLetter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

wchar_t FoldAscii(wchar_t c) {
  return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c;
}

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
  for (wchar_t& c : root) c = FoldAscii(c);
  return root;
}

}  // namespace

std::wstring PresenceRoot(std::wstring_view path) {
  if (path.starts_with(LR"(\\?\)") || path.starts_with(LR"(\\.\)")) {
    // These prefixes take no forward slashes.
    std::wstring_view rest = path.substr(4);
    if (rest.size() >= 4 && FoldAscii(rest[0]) == L'u' && FoldAscii(rest[1]) == L'n' &&
        FoldAscii(rest[2]) == L'c' && rest[3] == L'\\') {
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

// Everything the threads share. A stuck worker holds it too, so it lives until the last of them
// lets go.
struct PathPresence::Shared {
  struct Item {
    std::wstring path;
    std::wstring group;
  };

  Shared(PresenceProbe probe, PresenceNotice notice, std::chrono::milliseconds timeout)
      : probe(std::move(probe)), timeout(timeout), notice(std::move(notice)) {}

  // The worker's thread: probes this round's paths in order until none is left, the owner
  // closes, or the watchdog gives up on it.
  static void Work(std::shared_ptr<Shared> self, unsigned long long id);
  // The watchdog's thread: starts a worker when there is work and none is in charge, and
  // abandons one whose probe has run past the time-out.
  static void Watch(std::shared_ptr<Shared> self);

  // The next path whose root neither timed out this round nor is held by a stuck probe.
  const Item* NextItem() {
    while (next < queue.size()) {
      const Item& item = queue[next++];
      if (!skipped.contains(item.group) && !busy.contains(item.group)) return &item;
    }
    return nullptr;
  }

  void StartWorker(const std::shared_ptr<Shared>& self) {
    worker = ++lastWorker;
    try {
      std::thread(&Shared::Work, self, worker).detach();
    } catch (const std::system_error&) {
      // No thread to spare: the rest of this round stays as it is.
      worker = 0;
      next = queue.size();
    }
  }

  const PresenceProbe probe;
  const std::chrono::milliseconds timeout;

  std::mutex mutex;
  std::condition_variable wake;  // the watchdog's: work queued, a probe started, closing
  bool closing = false;
  std::map<std::wstring, Presence, std::less<>> known;
  std::vector<Item> queue;
  size_t next = 0;
  unsigned long long generation = 0;  // one per Refresh; older answers are dropped
  std::set<std::wstring> skipped;     // groups that timed out this round
  std::set<std::wstring> busy;        // groups with a probe under way, abandoned ones included
  bool noticeArmed = true;
  unsigned long long worker = 0;  // the worker in charge, 0 for none
  unsigned long long lastWorker = 0;
  unsigned long long probes = 0;  // tells the watchdog one probe from the next
  bool probing = false;
  std::chrono::steady_clock::time_point probeStart;
  std::wstring probeGroup;

  // Held while the notice runs, so that the destructor can wait one out and drop it.
  std::mutex noticeMutex;
  PresenceNotice notice;
};

void PathPresence::Shared::Work(std::shared_ptr<Shared> self, unsigned long long id) {
  Shared& s = *self;
  std::unique_lock lock(s.mutex);
  while (!s.closing && s.worker == id) {
    const Item* next = s.NextItem();
    if (!next) {
      s.worker = 0;
      return;
    }
    const Item item = *next;
    const unsigned long long generation = s.generation;
    s.busy.insert(item.group);
    s.probing = true;
    s.probeStart = std::chrono::steady_clock::now();
    s.probeGroup = item.group;
    ++s.probes;
    s.wake.notify_all();
    lock.unlock();

    Presence answer = Presence::kUnknown;
    try {
      answer = s.probe(item.path);
    } catch (...) {
      // A probe that fails knows nothing.
    }

    lock.lock();
    s.busy.erase(item.group);
    if (s.closing || s.worker != id) return;  // abandoned: another worker has taken over
    s.probing = false;
    if (generation != s.generation || answer == Presence::kUnknown) continue;
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
  std::unique_lock lock(s.mutex);
  while (!s.closing) {
    if (s.worker == 0 && s.next < s.queue.size()) {
      s.StartWorker(self);
    } else if (s.worker != 0 && s.probing) {
      const unsigned long long probe = s.probes;
      const bool moved = s.wake.wait_until(lock, s.probeStart + s.timeout, [&] {
        return s.closing || !s.probing || s.probes != probe;
      });
      if (!moved) {
        // The worker keeps its blocked call; a fresh one carries on with the rest of the round.
        s.skipped.insert(s.probeGroup);
        s.probing = false;
        s.worker = 0;
      }
    } else {
      s.wake.wait(lock);
    }
  }
}

PathPresence::PathPresence(PresenceProbe probe, PresenceNotice notice,
                           std::chrono::milliseconds timeout)
    : shared_(std::make_shared<Shared>(std::move(probe), std::move(notice), timeout)),
      watchdog_(&Shared::Watch, shared_) {}

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
  {
    std::lock_guard lock(s.mutex);
    std::map<std::wstring, Presence, std::less<>> known;
    if (hasEmpty) known.emplace(std::wstring(), Presence::kMissing);
    for (const Shared::Item& item : queue) {
      if (auto found = s.known.find(item.path); found != s.known.end()) known.insert(*found);
    }
    s.known = std::move(known);
    s.queue = std::move(queue);
    s.next = 0;
    s.skipped.clear();
    ++s.generation;
  }
  s.wake.notify_all();
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
