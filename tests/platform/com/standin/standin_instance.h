// One instance of the stand-in spreadsheet application: one per process, as the real one
// starts a process per created instance. It holds the workbooks, the Visible and Quit state,
// the call log, and decides when the process ends: once it was told to quit, or is invisible,
// and no client holds any of its objects any more.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/standin/standin_model.h"
#include "platform/com/variant.h"

namespace brintova::standin {

class AutomationObject;

// The class registered under the tests' own ProgID, Brintova.StandIn.
// {6B1C2E7A-4F0D-4C55-9E2B-3A8D7E1F0C12}
inline constexpr CLSID kStandInClsid = {
    0x6b1c2e7a, 0x4f0d, 0x4c55, {0x9e, 0x2b, 0x3a, 0x8d, 0x7e, 0x1f, 0x0c, 0x12}};
// The class registered under any other ProgID (the program's end-to-end run registers the
// stand-in as "Excel.Application"), so that both registrations can stand side by side.
// {6B1C2E7A-4F0D-4C55-9E2B-3A8D7E1F0C13}
inline constexpr CLSID kStandInAliasClsid = {
    0x6b1c2e7a, 0x4f0d, 0x4c55, {0x9e, 0x2b, 0x3a, 0x8d, 0x7e, 0x1f, 0x0c, 0x13}};

inline CLSID StandInClsid(std::u16string_view prog_id) {
  return prog_id == u"Brintova.StandIn" ? kStandInClsid : kStandInAliasClsid;
}

class Instance {
 public:
  Instance(Fixtures fixtures, DWORD main_thread, CLSID clsid);

  Fixtures& fixtures() { return fixtures_; }
  std::vector<std::shared_ptr<BookModel>>& books() { return books_; }
  std::int32_t NextBookNumber() { return ++books_added_; }

  // The application object, created once and held by the process until it ends.
  void SetApplication(IDispatch* application) { application_ = application; }
  IDispatch* application() const { return application_; }

  bool visible() const { return visible_; }
  void SetVisible(bool visible);  // registers as the running instance while visible
  void Quit();
  bool quit() const { return quit_; }

  // The object already standing for `model`, with a new reference, or null.
  AutomationObject* Known(const void* model);
  void Remember(const void* model, AutomationObject* object) { objects_[model] = object; }
  void ObjectCreated() { ++live_objects_; }
  void ObjectDestroyed(const void* model);
  void ConnectionAdded() { ++connections_; }
  void ConnectionReleased();

  void Log(std::u16string entry);
  std::u16string TakeLog();
  // Throws Raised once the instance was told to quit, unless the member still answers.
  void CheckAnswering(std::u16string_view object, std::u16string_view member,
                      bool answers_after_quit) const;

  // Calls are refused as "busy" until this tick count (the message filter asks).
  void SetBusyFor(DWORD milliseconds) { busy_until_ = GetTickCount() + milliseconds; }
  bool Busy() const { return static_cast<LONG>(busy_until_ - GetTickCount()) > 0; }
  DWORD last_call() const { return last_call_; }

 private:
  void EndWhenUnused();

  Fixtures fixtures_;
  DWORD main_thread_;
  CLSID clsid_;
  IDispatch* application_ = nullptr;
  std::vector<std::shared_ptr<BookModel>> books_;
  std::int32_t books_added_ = 0;
  bool visible_ = false;
  bool quit_ = false;
  DWORD running_cookie_ = 0;
  std::map<const void*, AutomationObject*> objects_;
  long live_objects_ = 0;
  long connections_ = 0;
  std::u16string log_;
  DWORD busy_until_ = 0;
  DWORD last_call_ = 0;
};

// The application object of `instance` (its first reference is the process's own).
AutomationObject* NewApplication(Instance& instance);

}  // namespace brintova::standin
