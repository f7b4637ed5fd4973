#pragma once
// GoogleTest looks for this header on its include path before its own. The win32-thread MinGW
// compilers we build with have no std::mutex or std::condition_variable, of which GoogleTest
// makes its Notification (it starts its own threads with it); ours waits on a Windows event.

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
 public:
  Notification();
  ~Notification();
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify();
  void WaitForNotification();

 private:
  void* event_;  // a manual-reset event, owned; a HANDLE, without <windows.h> in every test
};

}  // namespace testing::internal
