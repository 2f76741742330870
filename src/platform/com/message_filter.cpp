#include "platform/com/message_filter.h"

#include "platform/failure.h"

namespace brintova::com {

DWORD RetryDelay(std::chrono::milliseconds elapsed, DWORD reject_type,
                 std::chrono::milliseconds limit) {
  // Both kinds of rejection are retried: a busy application answers "rejected" as often as
  // "retry later" while a modal dialog is open in it.
  if (reject_type != SERVERCALL_RETRYLATER && reject_type != SERVERCALL_REJECTED) {
    return static_cast<DWORD>(-1);
  }
  if (elapsed >= limit) return static_cast<DWORD>(-1);
  return static_cast<DWORD>(kBusyRetryInterval.count());
}

HRESULT STDMETHODCALLTYPE RetryingMessageFilter::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
    *out = static_cast<IMessageFilter*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ComApartment::ComApartment(std::chrono::milliseconds busy_limit) : filter_(busy_limit) {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hr)) {
    throw Failure(u"This thread cannot use automation to reach the spreadsheet application",
                  static_cast<std::int32_t>(hr));
  }
  initialized_ = true;
  CoRegisterMessageFilter(&filter_, &previous_);
}

ComApartment::~ComApartment() {
  IMessageFilter* ours = nullptr;
  CoRegisterMessageFilter(previous_, &ours);
  if (previous_ != nullptr) previous_->Release();
  if (initialized_) CoUninitialize();
}

}  // namespace brintova::com
