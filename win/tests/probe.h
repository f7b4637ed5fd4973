#pragma once
// Test helpers shared by the window and dialog suites.
#include <windows.h>

#include <utility>
#include <vector>

#include "win/window.h"

namespace win::test {

// Adopts a system control and records what comes back to it; answers the messages in `answers`.
class Probe : public win::Window {
 public:
  struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  std::vector<Seen> seen;
  std::vector<std::pair<UINT, LRESULT>> answers;

  const Seen* Find(UINT message) const {
    for (const Seen& s : seen)
      if (s.message == message) return &s;
    return nullptr;
  }

 protected:
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    seen.push_back({message, wParam, lParam});
    for (const auto& [m, answer] : answers) {
      if (m == message) {
        result = answer;
        return true;
      }
    }
    return Window::HandleMessage(message, wParam, lParam, result);
  }
};

inline HWND MakeChild(HWND parent, const wchar_t* cls, DWORD style, int id) {
  return ::CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, 10, 10, 120, 24, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

}  // namespace win::test
