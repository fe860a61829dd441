// GoogleTest's place for a platform's own threading pieces, found before its
// empty default. The Windows build's compiler uses the win32 thread model, so
// that no POSIX threads library is linked into what players download; its C++
// library then has no std::mutex or std::condition_variable, which GoogleTest's
// Notification is built on. A manual-reset Windows event does the same job.
#pragma once

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

// Lets waiting threads go once Notify() has been called, and any that wait
// after that at once.
class Notification {
public:
    Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

} // namespace testing::internal
#endif
