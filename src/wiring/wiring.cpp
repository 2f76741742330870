// Every event of the main window and the handler it raises.
#include "wiring/wiring.h"

#include "app/hover.h"
#include "app/operation_setting.h"
#include "app/start_up.h"
#include "extract/extraction_run.h"
#include "filelist/handlers.h"

namespace brintova {

void WireHandlers(MainWindowEvents& e, Ports& ports) {
  const auto raise = [&ports](void (*handler)(Ports&)) {
    return [&ports, handler] { handler(ports); };
  };
  e.form_mouse_move = raise(Form_MouseMove);
  e.frame1_mouse_move = raise(Frame1_MouseMove);
  e.frame2_mouse_move = raise(Frame2_MouseMove);
  e.list_view1_mouse_move = raise(ListView1_MouseMove);
  e.push_button1_mouse_move = raise(PushButton1_MouseMove);
  e.push_button2_mouse_move = raise(PushButton2_MouseMove);
  e.push_button3_mouse_move = raise(PushButton3_MouseMove);
  e.push_button6_mouse_move = raise(PushButton6_MouseMove);
  e.push_button7_mouse_move = raise(PushButton7_MouseMove);
  e.combo1_click = raise(Combo1_Click);
  e.combo1_change = raise(Combo1_Change);
  e.form_unload = raise(Form_Unload);

  e.push_button1_click = raise(PushButton1_Click);
  e.push_button2_click = raise(PushButton2_Click);
  e.push_button3_click = raise(PushButton3_Click);
  e.push_button6_click = raise(PushButton6_Click);
  e.list_view1_dbl_click = raise(ListView1_DblClick);
  e.list_view1_key_down = [&ports](std::int32_t key_code) { ListView1_KeyDown(ports, key_code); };
  e.list_view1_ole_drag_over = [&ports](DataObject& data, std::int32_t& effect) {
    ListView1_OLEDragOver(ports, data, effect);
  };
  e.list_view1_ole_drag_drop = [&ports](DataObject& data) { ListView1_OLEDragDrop(ports, data); };

  e.push_button7_click = raise(PushButton7_Click);
}

}  // namespace brintova
