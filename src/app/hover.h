// Hover rules of the main window: the hand over the push buttons, the arrow over the window's
// background, the frames and the file list. None of them replaces the busy pointer (11).
#pragma once

#include "platform/ports.h"

namespace brintova {

void Form_MouseMove(Ports& ports);
void Frame1_MouseMove(Ports& ports);
void Frame2_MouseMove(Ports& ports);
void ListView1_MouseMove(Ports& ports);
void PushButton1_MouseMove(Ports& ports);
void PushButton2_MouseMove(Ports& ports);
void PushButton3_MouseMove(Ports& ports);
void PushButton6_MouseMove(Ports& ports);
void PushButton7_MouseMove(Ports& ports);

}  // namespace brintova
