#pragma once
// A lock, a condition variable and a thread owner over the system's own primitives (slim
// reader/writer lock, condition variable, _beginthreadex), so that no thread library comes into
// our binaries. Mutex works with std::lock_guard as std::mutex does; a condition variable waits
// with a held Lock. A thread that cannot be made is reported by start() returning false, not by
// an exception.
//
// Logic that runs threads is built natively as well; there the same names sit over the standard
// library.
#ifdef _WIN32
#include <windows.h>
#include <process.h>

#include <chrono>
#include <memory>
#include <mutex>  // std::lock_guard only
#include <type_traits>
#include <utility>

#include "win/unique_any.h"
#else
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#endif

namespace win {

#ifdef _WIN32

class Mutex {
 public:
  Mutex() = default;
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  void lock() { ::AcquireSRWLockExclusive(&lock_); }
  bool try_lock() { return ::TryAcquireSRWLockExclusive(&lock_) != FALSE; }
  void unlock() { ::ReleaseSRWLockExclusive(&lock_); }

 private:
  friend class ConditionVariable;
  SRWLOCK lock_ = SRWLOCK_INIT;
};

// A Mutex held for a scope, which may be let go of and taken again meanwhile: what
// std::unique_lock<Mutex> does, without its checks for misuse, whose std::system_error would
// bring that part of the C++ library into the binary.
class Lock {
 public:
  explicit Lock(Mutex& mutex) : mutex_(mutex) { mutex_.lock(); }
  ~Lock() {
    if (held_) mutex_.unlock();
  }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

  void lock() {
    mutex_.lock();
    held_ = true;
  }
  void unlock() {
    mutex_.unlock();
    held_ = false;
  }

 private:
  friend class ConditionVariable;
  Mutex& mutex_;
  bool held_ = true;
};

// Waits take a Lock that holds its mutex.
class ConditionVariable {
 public:
  ConditionVariable() = default;
  ConditionVariable(const ConditionVariable&) = delete;
  ConditionVariable& operator=(const ConditionVariable&) = delete;

  void notify_one() { ::WakeConditionVariable(&condition_); }
  void notify_all() { ::WakeAllConditionVariable(&condition_); }

  // May return without a notice, as any wait on a condition variable may.
  void wait(Lock& lock) { Block(lock, INFINITE); }
  template <typename Predicate>
  void wait(Lock& lock, Predicate done) {
    while (!done()) Block(lock, INFINITE);
  }
  // What `done` returns when it holds or the deadline has passed.
  template <typename Clock, typename Duration, typename Predicate>
  bool wait_until(Lock& lock, const std::chrono::time_point<Clock, Duration>& deadline,
                  Predicate done) {
    while (!done()) {
      const auto left = deadline - Clock::now();
      if (left <= left.zero()) return done();
      // Rounded up, so that a wait never ends just short of the deadline and spins.
      const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
      Block(lock, ms < INFINITE ? static_cast<DWORD>(ms) : INFINITE - 1);
    }
    return true;
  }
  template <typename Rep, typename Period, typename Predicate>
  bool wait_for(Lock& lock, const std::chrono::duration<Rep, Period>& time, Predicate done) {
    return wait_until(lock, std::chrono::steady_clock::now() + time, std::move(done));
  }

 private:
  // A time-out comes back as a return like any other; the callers look at the clock.
  void Block(Lock& lock, DWORD ms) {
    ::SleepConditionVariableSRW(&condition_, &lock.mutex_.lock_, ms, 0);
  }

  CONDITION_VARIABLE condition_ = CONDITION_VARIABLE_INIT;
};

#else

using Mutex = std::mutex;
using Lock = std::unique_lock<std::mutex>;
using ConditionVariable = std::condition_variable;

#endif

// One thread running a callable. The owner joins a thread it still holds when it goes, so that
// nothing the callable refers to goes away under it; detach() lets a thread run on its own.
class Thread {
 public:
  Thread() = default;
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;
  ~Thread() { join(); }

  // Runs `body()` on a new thread; false when the system would make none. The callable is
  // destroyed on the thread once it has run, or here when no thread was made. Any thread held
  // before is joined first.
  template <typename Body>
  bool start(Body&& body) {
    join();
#ifdef _WIN32
    using Callable = std::decay_t<Body>;
    auto callable = std::make_unique<Callable>(std::forward<Body>(body));
    thread_.reset(reinterpret_cast<HANDLE>(
        ::_beginthreadex(nullptr, 0, &Run<Callable>, callable.get(), 0, nullptr)));
    if (!thread_) return false;
    callable.release();  // the thread's now
    return true;
#else
    try {
      thread_ = std::thread(std::forward<Body>(body));
      return true;
    } catch (const std::system_error&) {
      return false;
    }
#endif
  }
  bool joinable() const { return Held(); }
  void join() {
    if (!Held()) return;
#ifdef _WIN32
    ::WaitForSingleObject(thread_.get(), INFINITE);
    thread_.reset();
#else
    thread_.join();
#endif
  }
  void detach() {
#ifdef _WIN32
    thread_.reset();
#else
    if (Held()) thread_.detach();
#endif
  }

 private:
#ifdef _WIN32
  template <typename Callable>
  static unsigned __stdcall Run(void* argument) noexcept {
    const std::unique_ptr<Callable> callable(static_cast<Callable*>(argument));
    (*callable)();
    return 0;
  }
  bool Held() const { return static_cast<bool>(thread_); }

  UniqueHandle thread_;
#else
  bool Held() const { return thread_.joinable(); }

  std::thread thread_;
#endif
};

}  // namespace win
