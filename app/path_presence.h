#pragma once
// Whether the favourites' paths still exist, found off the user-interface thread. A call on a
// disconnected network share can block for tens of seconds, so every check has a time-out and
// painting only ever reads what is known so far.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "win/thread.h"

namespace stashly {

enum class Presence : unsigned char { kUnknown, kFile, kFolder, kMissing };

// Answers for one path and may block for a long time. A stuck call can outlive the PathPresence
// that made it, so the probe must refer to nothing its owner frees. kUnknown leaves the previous
// answer in place.
using PresenceProbe = std::function<Presence(const std::wstring& path)>;

// Called on a worker thread when what Get() answers has changed, then not again until
// TakeNotice(): a long list costs one posted message per round, not one per path. It must not
// wait for the user-interface thread (post, don't send).
using PresenceNotice = std::function<void()>;

class PathPresence {
 public:
  // `timeout` bounds one probe: past it, the path keeps its previous answer and the other paths
  // of its root are skipped until the next Refresh. Threads run only while a round is under
  // way; without one to spare, a round's paths keep what was known (kUnknown at first).
  PathPresence(PresenceProbe probe, PresenceNotice notice, std::chrono::milliseconds timeout);
  // Returns at once even while a probe is stuck; no notice is called once it has returned.
  ~PathPresence();
  PathPresence(const PathPresence&) = delete;
  PathPresence& operator=(const PathPresence&) = delete;

  // Checks every path anew, in the given order. What is known stays answered until a fresh
  // answer replaces it; paths not in the list are forgotten. Paths compare as spelled.
  void Refresh(std::vector<std::wstring> paths);
  // kUnknown until a probe has answered; an empty path in the list is kMissing.
  Presence Get(std::wstring_view path) const;
  // Re-arms the notice. Call it before reading, so that no change slips in between.
  void TakeNotice();

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  win::Thread watchdog_;
};

// The root a path's reachability depends on: "\\server\share" for a UNC path (also written
// \\?\UNC\server\share), "X:" for a drive path, empty otherwise. Spelled as in the path; the
// grouping of paths by root ignores ASCII case.
std::wstring PresenceRoot(std::wstring_view path);

}  // namespace stashly
