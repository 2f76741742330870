// brintova.exe: the Windows desktop program. Puts the window, the ports and the handlers
// together, runs start-up, shows the window and dispatches its messages until it closes.
#include "platform/win32/windows_api.h"
#include "win32ui/desktop.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*command_line*/,
                    int /*show*/) {
  // The folder browser and the automation server need COM on this thread; drops need OLE.
  const HRESULT ole = OleInitialize(nullptr);
  int status = 0;
  {
    brintova::win32ui::Win32Desktop desktop;
    desktop.window().set_quit_on_close(true);
    desktop.Start();
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      const HWND window = desktop.window().hwnd();
      if (window == nullptr || !IsDialogMessageW(window, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    status = static_cast<int>(message.wParam);
  }
  if (SUCCEEDED(ole)) OleUninitialize();
  return status;
}
