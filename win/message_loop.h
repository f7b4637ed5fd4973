#pragma once
// The module object and the message loop of a user-interface thread.
#include <windows.h>

#include <map>
#include <vector>

#include "win/thread.h"

namespace win {

// Sees a message before it is translated and dispatched; true takes it.
class MessageFilter {
 public:
  virtual bool PreTranslateMessage(MSG& msg) = 0;

 protected:
  ~MessageFilter() = default;
};

// Runs while the queue is empty; `idleCount` counts the calls since idle processing began.
// True asks for more idle time.
class IdleHandler {
 public:
  virtual bool OnIdle(int idleCount) = 0;

 protected:
  ~IdleHandler() = default;
};

// Filters and handlers are borrowed: whoever adds one removes it before it goes away.
class MessageLoop {
 public:
  MessageLoop() = default;
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;
  virtual ~MessageLoop() = default;

  bool AddMessageFilter(MessageFilter* filter);
  bool RemoveMessageFilter(MessageFilter* filter);
  bool AddIdleHandler(IdleHandler* handler);
  bool RemoveIdleHandler(IdleHandler* handler);

  // Runs until WM_QUIT and returns its wParam. GetMessageW failing is passed over. Idle
  // processing runs while the queue is empty, until no handler asks for more; every message
  // but mouse movement, painting and the caret blink starts it anew with a count of 0.
  int Run();

  const MSG& lastMessage() const { return msg_; }

 protected:
  // Offers the message to the filters, the one added last first.
  virtual bool PreTranslateMessage(MSG& msg);
  // Calls every idle handler; true when one of them asks for more idle time.
  virtual bool OnIdle(int idleCount);

 private:
  class Queue;

  std::vector<MessageFilter*> filters_;
  std::vector<IdleHandler*> idleHandlers_;
  MSG msg_{};
};

// One per process: the instance handle and each user-interface thread's message loop.
class AppModule {
 public:
  AppModule() = default;
  AppModule(const AppModule&) = delete;
  AppModule& operator=(const AppModule&) = delete;

  void Init(HINSTANCE instance);
  // Forgets every registered loop.
  void Term();
  HINSTANCE instance() const { return instance_; }

  // Registers the calling thread's loop; false when the thread has one already.
  bool AddMessageLoop(MessageLoop* loop);
  // Unregisters the calling thread's loop; false when it has none.
  bool RemoveMessageLoop();
  MessageLoop* GetMessageLoop(DWORD threadId = ::GetCurrentThreadId()) const;

 private:
  HINSTANCE instance_ = nullptr;
  mutable Mutex mutex_;
  std::map<DWORD, MessageLoop*> loops_;
};

}  // namespace win
