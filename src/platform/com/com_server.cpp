#include "platform/com/com_server.h"

#include "platform/com/com_objects.h"
#include "platform/com/dispatch.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace brintova::com {

namespace {

constexpr std::int32_t kFailureCannotCreateObject = 429;

[[noreturn]] void ThrowNotInstalled(std::u16string_view asked) {
  throw Failure(u"Cannot start the spreadsheet application: \"" + std::u16string(asked) +
                    u"\" is not installed or not registered on this computer",
                kFailureCannotCreateObject);
}

CLSID ClassOf(std::u16string_view prog_id, std::u16string_view asked) {
  CLSID clsid{};
  const std::u16string name(prog_id);
  if (FAILED(CLSIDFromProgID(Wide(name), &clsid))) ThrowNotInstalled(asked);
  return clsid;
}

}  // namespace

ComSpreadsheetServer::ComSpreadsheetServer(std::u16string application_prog_id, bool block_reads)
    : application_prog_id_(std::move(application_prog_id)),
      cache_(std::make_shared<ObjectCache>(block_reads)) {}

ComSpreadsheetServer::~ComSpreadsheetServer() = default;

std::u16string ComSpreadsheetServer::Resolve(std::u16string_view prog_id) const {
  if (AsciiLower(prog_id) == AsciiLower(kSpreadsheetProgId)) return application_prog_id_;
  return std::u16string(prog_id);
}

std::shared_ptr<Application> ComSpreadsheetServer::CreateObject(std::u16string_view prog_id) {
  const CLSID clsid = ClassOf(Resolve(prog_id), prog_id);
  ComPtr<IDispatch> object;
  const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                      reinterpret_cast<void**>(object.Receive()));
  if (FAILED(hr)) {
    if (hr == REGDB_E_CLASSNOTREG) ThrowNotInstalled(prog_id);
    throw Failure(u"Cannot start the spreadsheet application (\"" + std::u16string(prog_id) +
                      u"\"): " + SystemMessage(hr),
                  static_cast<std::int32_t>(hr));
  }
  return cache_->ApplicationOf(std::move(object));
}

std::shared_ptr<Application> ComSpreadsheetServer::GetObject(std::u16string_view prog_id) {
  const CLSID clsid = ClassOf(Resolve(prog_id), prog_id);
  ComPtr<IUnknown> running;
  const HRESULT hr = GetActiveObject(clsid, nullptr, running.Receive());
  if (FAILED(hr)) {
    throw Failure(u"No instance of the spreadsheet application (\"" + std::u16string(prog_id) +
                      u"\") is running",
                  kFailureCannotCreateObject);
  }
  ComPtr<IDispatch> object;
  if (FAILED(running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object.Receive())))) {
    throw Failure(u"The running spreadsheet application does not take automation calls",
                  kFailureCannotCreateObject);
  }
  return cache_->ApplicationOf(std::move(object));
}

}  // namespace brintova::com
