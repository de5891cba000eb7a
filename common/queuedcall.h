// Running a function on another object's thread through Qt's event queue: what workers
// and engine callbacks use to hand their results to the interface thread.
//
// The hand-over is ordered by Qt's event queue and by the reference count of the posted
// function, which the ThreadSanitizer build cannot see (Qt is not built with it, and its
// mutex waits on raw futexes). Without help every value a posted function carries would
// be reported as a race between the thread that built it and the thread that runs it.
// So in that build the function travels wrapped: the wrapper, once moved into the object
// Qt keeps, marks its own address released (after every byte of it was written); it
// acquires that address before it runs and releases it after; its destructor acquires it
// (Qt drops its last reference on either thread, so the poster may be the one that
// destroys the function after the receiver ran it). The ordering told to the checker is
// exactly Qt's, for this one function. Marking an address before posting would not do:
// Qt copies the function after that, and those writes would still look unordered.
// Outside that build the wrapper is the function itself.
#pragma once

#include <QMetaObject>
#include <QObject>

#include <type_traits>
#include <utility>

#if defined(__SANITIZE_THREAD__)  // GCC
#define ZOVALIS_THREAD_CHECKED 1
#elif defined(__has_feature)  // Clang (the test is nested: GCC 12 cannot parse it)
#if __has_feature(thread_sanitizer)
#define ZOVALIS_THREAD_CHECKED 1
#endif
#endif

#ifdef ZOVALIS_THREAD_CHECKED
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);

namespace queuedcall_detail {

template <class F>
class THandedOver {
 public:
  explicit THandedOver(F&& f) : f_(std::move(f)) { __tsan_release(this); }
  THandedOver(THandedOver&& other) : f_(std::move(other.f_)) { __tsan_release(this); }
  THandedOver(const THandedOver&) = delete;
  THandedOver& operator=(const THandedOver&) = delete;
  THandedOver& operator=(THandedOver&&) = delete;
  ~THandedOver() { __tsan_acquire(this); }
  void operator()() {
    __tsan_acquire(this);
    f_();
    __tsan_release(this);
  }

 private:
  F f_;
};

}  // namespace queuedcall_detail
#endif

// Runs `f` later on the thread of `receiver`, from its event loop; dropped unrun when
// `receiver` is destroyed first. Safe to call from any thread.
template <class F>
void PostQueued(QObject* receiver, F f) {
#ifdef ZOVALIS_THREAD_CHECKED
  QMetaObject::invokeMethod(receiver, queuedcall_detail::THandedOver<F>(std::move(f)), Qt::QueuedConnection);
#else
  QMetaObject::invokeMethod(receiver, std::move(f), Qt::QueuedConnection);
#endif
}
