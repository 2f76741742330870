#include "platform/com/standin/standin_instance.h"

#include "platform/com/standin/standin_dispatch.h"

namespace brintova::standin {

Instance::Instance(Fixtures fixtures, DWORD main_thread, CLSID clsid)
    : fixtures_(std::move(fixtures)),
      main_thread_(main_thread),
      clsid_(clsid),
      last_call_(GetTickCount()) {}

void Instance::SetVisible(bool visible) {
  if (visible && running_cookie_ == 0) {
    // Registered while visible; with several, the system's table of running objects chooses.
    RegisterActiveObject(application_, clsid_, ACTIVEOBJECT_WEAK, &running_cookie_);
  } else if (!visible && running_cookie_ != 0) {
    RevokeActiveObject(std::exchange(running_cookie_, 0), nullptr);
  }
  visible_ = visible;
  EndWhenUnused();
}

void Instance::Quit() {
  if (running_cookie_ != 0) RevokeActiveObject(std::exchange(running_cookie_, 0), nullptr);
  quit_ = true;
  books_.clear();
  EndWhenUnused();
}

AutomationObject* Instance::Known(const void* model) {
  const auto it = objects_.find(model);
  if (it == objects_.end()) return nullptr;
  it->second->AddRef();
  return it->second;
}

void Instance::ObjectDestroyed(const void* model) {
  --live_objects_;
  if (model != nullptr) objects_.erase(model);
  EndWhenUnused();
}

void Instance::ConnectionReleased() {
  --connections_;
  EndWhenUnused();
}

// The application object, held by the process, is the one live object left when no client
// holds anything.
void Instance::EndWhenUnused() {
  if (visible_ && !quit_) return;
  if (connections_ > 0 || live_objects_ > 1) return;
  PostThreadMessageW(main_thread_, WM_QUIT, 0, 0);
}

void Instance::Log(std::u16string entry) {
  last_call_ = GetTickCount();
  log_ += entry;
  log_ += u'\n';
}

std::u16string Instance::TakeLog() { return std::exchange(log_, std::u16string()); }

void Instance::CheckAnswering(std::u16string_view object, std::u16string_view member,
                              bool answers_after_quit) const {
  if (quit_ && !answers_after_quit) {
    throw Raised{u"The application was closed: " + std::u16string(object) + u"." +
                 std::u16string(member) + u" is no longer available"};
  }
}

}  // namespace brintova::standin
