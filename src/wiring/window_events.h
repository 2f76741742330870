// The main window's events, as every window of the program raises them (the Qt window on Linux,
// the Win32 window on Windows); WireHandlers connects them to the handlers. An unset event is
// not raised. Anything a handler run from the event loop lets escape is shown in a box and the
// program goes on.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/window.h"

namespace brintova {

struct MainWindowEvents {
  std::function<void()> form_mouse_move, frame1_mouse_move, frame2_mouse_move,
      list_view1_mouse_move;
  std::function<void()> push_button1_mouse_move, push_button2_mouse_move, push_button3_mouse_move,
      push_button6_mouse_move, push_button7_mouse_move;
  std::function<void()> push_button1_click, push_button2_click, push_button3_click,
      push_button6_click, push_button7_click;
  std::function<void()> combo1_click, combo1_change;
  std::function<void()> list_view1_dbl_click;
  std::function<void(std::int32_t key_code)> list_view1_key_down;
  std::function<void(DataObject& data, std::int32_t& effect)> list_view1_ole_drag_over;
  std::function<void(DataObject& data)> list_view1_ole_drag_drop;
  std::function<void()> form_unload;
};

}  // namespace brintova
