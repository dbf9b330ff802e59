// GoogleTest port settings for mingw-w64 with the win32 thread model, whose
// library has no std::mutex or std::condition_variable. GoogleTest needs them
// only for Notification, which starts the threads of its own thread helpers; the
// media tests never use those, so a plain spinning flag stands in.
#ifndef GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
#define GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
  public:
    Notification() : notified_(false) {}
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() {
        notified_.store(true);
    }
    void WaitForNotification() {
        while (!notified_.load())
            ;
    }

  private:
    std::atomic<bool> notified_;
};

} // namespace internal
} // namespace testing

#endif
