// Hover rules: each reads the pointer state first and leaves the busy state alone.
#include "app/hover.h"

namespace brintova {

namespace {
void Hover(Ports& ports, std::int32_t state) {
  Form& form = ports.form;
  if (form.MousePointer() == kPointerBusy) return;
  form.SetMousePointer(state);
}
}  // namespace

void Form_MouseMove(Ports& ports) { Hover(ports, kPointerDefault); }
void Frame1_MouseMove(Ports& ports) { Hover(ports, kPointerDefault); }
void Frame2_MouseMove(Ports& ports) { Hover(ports, kPointerDefault); }
void ListView1_MouseMove(Ports& ports) { Hover(ports, kPointerDefault); }
void PushButton1_MouseMove(Ports& ports) { Hover(ports, kPointerCustom); }
void PushButton2_MouseMove(Ports& ports) { Hover(ports, kPointerCustom); }
void PushButton3_MouseMove(Ports& ports) { Hover(ports, kPointerCustom); }
void PushButton6_MouseMove(Ports& ports) { Hover(ports, kPointerCustom); }
void PushButton7_MouseMove(Ports& ports) { Hover(ports, kPointerCustom); }

}  // namespace brintova
