// The calling thread's automation apartment, with a message filter that retries calls the
// spreadsheet application rejects while it is busy (a dialog open, a cell being edited) for a
// bounded time, after which the call fails with a description saying so.
#pragma once

#include <chrono>

#include "platform/com/windows_headers.h"

namespace brintova::com {

inline constexpr std::chrono::milliseconds kBusyRetryLimit{30000};
inline constexpr std::chrono::milliseconds kBusyRetryInterval{250};

// What the filter answers for a call rejected `elapsed` after it was first made: the delay
// before the next try (0 or more), or -1 to give up and let the call fail.
DWORD RetryDelay(std::chrono::milliseconds elapsed, DWORD reject_type,
                 std::chrono::milliseconds limit);

class RetryingMessageFilter final : public IMessageFilter {
 public:
  explicit RetryingMessageFilter(std::chrono::milliseconds limit) : limit_(limit) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as its apartment
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    return SERVERCALL_ISHANDLED;
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsed, DWORD reject_type) override {
    return RetryDelay(std::chrono::milliseconds(elapsed), reject_type, limit_);
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return PENDINGMSG_WAITDEFPROCESS;
  }

 private:
  std::chrono::milliseconds limit_;
};

// Joins the thread to a single-threaded apartment and installs the retrying filter for the
// object's lifetime. Throws Failure when the thread cannot use automation.
class ComApartment {
 public:
  explicit ComApartment(std::chrono::milliseconds busy_limit = kBusyRetryLimit);
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment();

 private:
  RetryingMessageFilter filter_;
  IMessageFilter* previous_ = nullptr;
  bool initialized_ = false;
};

}  // namespace brintova::com
