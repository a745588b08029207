#pragma once
// Hints for ThreadSanitizer (the build-tsan/ tree, VELTRANO_TSAN); without it they compile to
// nothing. The distribution's Qt is not instrumented, so TSan sees neither what QThread::wait()
// nor what the delivery of a queued signal synchronises: both go through Qt's own locks. The
// worker threads state here what Qt guarantees: run() has returned before the finished signal
// is delivered and before wait() returns.

#if defined(__SANITIZE_THREAD__)
#define VELTRANO_TSAN_AKTIV 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VELTRANO_TSAN_AKTIV 1
#endif
#endif

#ifdef VELTRANO_TSAN_AKTIV
#include <sanitizer/tsan_interface.h>
extern "C" void __tsan_ignore_thread_begin();
extern "C" void __tsan_ignore_thread_end();

// Ends the ignoring at the thread's exit (thread_local destructors run after Qt's finish),
// as TSan requires of every thread.
struct TTsanIgnorierenBisEnde {
    TTsanIgnorierenBisEnde() { __tsan_ignore_thread_begin(); }
    ~TTsanIgnorierenBisEnde() { __tsan_ignore_thread_end(); }
};
#endif

// The worker's last step in run(): what it did happens before TsanRunBeendetGesehen(thread).
// What the thread does after run() is Qt's own (QThreadPrivate::finish: emitting finished,
// posting the queued calls, waking wait()), under locks TSan cannot see, so TSan ignores the
// thread's memory accesses from here on. None of ours follow: the completion handlers are
// queued to the context object's thread.
inline void TsanRunBeendet(const void* thread) {
#ifdef VELTRANO_TSAN_AKTIV
    __tsan_release(const_cast<void*>(thread));
    thread_local TTsanIgnorierenBisEnde ignorieren;
#else
    (void)thread;
#endif
}

// After wait() has returned or in the completion handler: the worker's run() has ended.
inline void TsanRunBeendetGesehen(const void* thread) {
#ifdef VELTRANO_TSAN_AKTIV
    __tsan_acquire(const_cast<void*>(thread));
#else
    (void)thread;
#endif
}
