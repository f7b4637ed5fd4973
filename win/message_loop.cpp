#include "win/message_loop.h"

#include <algorithm>

#include "win/message_loop_core.h"

namespace win {
namespace {

static_assert(kWmPaint == WM_PAINT && kWmNcMouseMove == WM_NCMOUSEMOVE &&
              kWmMouseMove == WM_MOUSEMOVE);

template <typename T>
bool AddUnique(std::vector<T*>& list, T* item) {
  if (!item || std::find(list.begin(), list.end(), item) != list.end()) return false;
  list.push_back(item);
  return true;
}

template <typename T>
bool RemoveOne(std::vector<T*>& list, T* item) {
  auto found = std::find(list.begin(), list.end(), item);
  if (found == list.end()) return false;
  list.erase(found);
  return true;
}

}  // namespace

// The thread's queue as the loop's order sees it.
class MessageLoop::Queue {
 public:
  explicit Queue(MessageLoop& loop) : loop_(loop) {}
  bool HasMessage() { return ::PeekMessageW(&loop_.msg_, nullptr, 0, 0, PM_NOREMOVE) != FALSE; }
  bool OnIdle(int idleCount) { return loop_.OnIdle(idleCount); }
  Fetched Fetch() {
    switch (::GetMessageW(&loop_.msg_, nullptr, 0, 0)) {
      case -1:
        return Fetched::kError;
      case 0:
        return Fetched::kQuit;
      default:
        return Fetched::kMessage;
    }
  }
  bool PreTranslate() { return loop_.PreTranslateMessage(loop_.msg_); }
  void Dispatch() {
    ::TranslateMessage(&loop_.msg_);
    ::DispatchMessageW(&loop_.msg_);
  }
  std::uint32_t Message() const { return loop_.msg_.message; }
  int QuitCode() const { return static_cast<int>(loop_.msg_.wParam); }

 private:
  MessageLoop& loop_;
};

bool MessageLoop::AddMessageFilter(MessageFilter* filter) {
  return AddUnique(filters_, filter);
}
bool MessageLoop::RemoveMessageFilter(MessageFilter* filter) {
  return RemoveOne(filters_, filter);
}
bool MessageLoop::AddIdleHandler(IdleHandler* handler) {
  return AddUnique(idleHandlers_, handler);
}
bool MessageLoop::RemoveIdleHandler(IdleHandler* handler) {
  return RemoveOne(idleHandlers_, handler);
}

int MessageLoop::Run() {
  Queue queue(*this);
  return RunMessageLoop(queue);
}

bool MessageLoop::PreTranslateMessage(MSG& msg) {
  // A copy, so that a filter may add or remove filters while it runs.
  const std::vector<MessageFilter*> filters = filters_;
  for (auto it = filters.rbegin(); it != filters.rend(); ++it)
    if (std::find(filters_.begin(), filters_.end(), *it) != filters_.end() &&
        (*it)->PreTranslateMessage(msg))
      return true;
  return false;
}

bool MessageLoop::OnIdle(int idleCount) {
  const std::vector<IdleHandler*> handlers = idleHandlers_;
  bool more = false;
  for (IdleHandler* handler : handlers)
    if (std::find(idleHandlers_.begin(), idleHandlers_.end(), handler) != idleHandlers_.end() &&
        handler->OnIdle(idleCount))
      more = true;
  return more;
}

void AppModule::Init(HINSTANCE instance) {
  instance_ = instance;
}

void AppModule::Term() {
  std::lock_guard lock(mutex_);
  loops_.clear();
}

bool AppModule::AddMessageLoop(MessageLoop* loop) {
  if (!loop) return false;
  std::lock_guard lock(mutex_);
  return loops_.emplace(::GetCurrentThreadId(), loop).second;
}

bool AppModule::RemoveMessageLoop() {
  std::lock_guard lock(mutex_);
  return loops_.erase(::GetCurrentThreadId()) != 0;
}

MessageLoop* AppModule::GetMessageLoop(DWORD threadId) const {
  std::lock_guard lock(mutex_);
  auto found = loops_.find(threadId);
  return found == loops_.end() ? nullptr : found->second;
}

}  // namespace win
