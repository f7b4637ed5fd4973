#pragma once
// The order of a thread's message loop, apart from the platform: idle processing while the
// queue is empty, filters before dispatch, and which messages start idle processing anew.
// Needs no <windows.h>, so the order is tested natively against a scripted queue.
#include <cstdint>

namespace win {

inline constexpr std::uint32_t kWmPaint = 0x000F;
inline constexpr std::uint32_t kWmNcMouseMove = 0x00A0;
inline constexpr std::uint32_t kWmSysTimer = 0x0118;  // the caret-blink timer
inline constexpr std::uint32_t kWmMouseMove = 0x0200;

// Every message restarts idle processing except mouse movement, painting and the caret blink,
// which arrive all the time without the user doing anything that idle work would follow.
constexpr bool IsIdleRestartingMessage(std::uint32_t message) {
  return message != kWmMouseMove && message != kWmNcMouseMove && message != kWmPaint &&
         message != kWmSysTimer;
}

// The result of fetching the next message.
enum class Fetched { kMessage, kQuit, kError };

// Queue needs:
//   bool HasMessage()                 a message waits (peek, not removed)
//   bool OnIdle(int idleCount)        runs every idle handler; true when one asks for more
//   Fetched Fetch()                   takes the next message, waiting for one
//   bool PreTranslate()               offers it to the filters; true when one took it
//   void Dispatch()                   translates and dispatches it
//   std::uint32_t Message()           the value of the message last fetched
//   int QuitCode()                    the quit message's code
template <typename Queue>
int RunMessageLoop(Queue& queue) {
  bool doIdle = true;
  int idleCount = 0;
  for (;;) {
    while (doIdle && !queue.HasMessage()) {
      if (!queue.OnIdle(idleCount++)) doIdle = false;
    }
    switch (queue.Fetch()) {
      case Fetched::kError:
        continue;
      case Fetched::kQuit:
        return queue.QuitCode();
      case Fetched::kMessage:
        break;
    }
    if (!queue.PreTranslate()) queue.Dispatch();
    if (IsIdleRestartingMessage(queue.Message())) {
      doIdle = true;
      idleCount = 0;
    }
  }
}

}  // namespace win
