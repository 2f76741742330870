// Form1 as a native Win32 window: every control at its design-time place in twips, converted
// with the window's own resolution (and again when it moves to a display with another one),
// the pointer states, and the events its handlers are wired to. The window implements the Form
// port for those handlers.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/win32/win32_file_dialog.h"
#include "platform/win32/windows_api.h"
#include "platform/window.h"
#include "win32ui/controls.h"
#include "wiring/window_events.h"

namespace brintova::win32ui {

class Win32MainWindow : public Form {
 public:
  // Creates the window, hidden, with all its controls.
  Win32MainWindow();
  ~Win32MainWindow() override;
  Win32MainWindow(const Win32MainWindow&) = delete;
  Win32MainWindow& operator=(const Win32MainWindow&) = delete;

  HWND hwnd() const { return window_; }
  MainWindowEvents& events() { return events_; }
  int dots_per_inch() const { return dpi_; }
  // A control's window by its design name ("ListView1", "Frame2", "PushButton7", ...); null for
  // a name the window has not.
  HWND ControlWindow(std::u16string_view name) const;
  Win32ListView& list_view() { return *list_port_; }
  Win32SkinEngine& skin_engine() { return skin_; }
  // The back colour a control (or, for the window's own handle, the window) is drawn with.
  COLORREF BackColourOf(HWND window) const;
  HCURSOR custom_cursor() const { return custom_cursor_; }
  HWND list_tooltip() const { return tooltip_; }
  // Closing the window ends the thread's message loop when set (the program sets it).
  void set_quit_on_close(bool quit) { quit_on_close_ = quit; }
  void Show();

  // Form.
  std::int32_t Width() override;
  std::int32_t Height() override;
  void SetLeft(std::int32_t twips) override;
  void SetTop(std::int32_t twips) override;
  std::int32_t ScreenWidth() override;
  std::int32_t ScreenHeight() override;
  void SetCaption(std::u16string_view caption) override;
  void SetApplicationIcon() override;
  void SetBackColor(std::uint32_t colour) override;
  std::int64_t WindowHandle() override;
  std::int32_t MousePointer() override { return pointer_state_; }
  // Throws Failure for a state other than 0 to 15 and 99.
  void SetMousePointer(std::int32_t state) override;
  // Throws Failure when the file cannot be read as a cursor.
  void LoadMouseIcon(std::u16string_view path) override;
  void DoEvents() override;
  std::vector<Control*> Controls() override;
  ListView& ListView1() override { return *list_port_; }
  ComboBox& Combo1() override { return *combo_port_; }
  OptionButton& Option1() override { return *option1_port_; }
  OptionButton& Option2() override { return *option2_port_; }
  ProgressBar& ProgressBar1() override { return *progress_port_; }
  FileDialog& CommonDialog1() override { return file_dialog_; }
  SkinEngine& SkinFramework1() override { return skin_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR id, DWORD_PTR self);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  bool HandleControl(HWND control, UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(int id, int code);
  LRESULT OnNotify(const NMHDR& header);
  void OnMouseMove(POINT client);
  void OnDropFiles(HDROP drop);

  void CreateControls();
  void LayOut();
  void FitComboHeight(int height);
  // Runs an event handler from the message loop, showing any failure it lets escape.
  void Raise(const std::function<void()>& handler);
  template <typename Handler, typename... Args>
  void RaiseWith(const Handler& handler, Args&&... args) {
    if (handler) Raise([&] { handler(std::forward<Args>(args)...); });
  }
  HCURSOR CursorOf(std::int32_t state) const;
  void ShowPointer();
  HBRUSH BrushOf(COLORREF colour);
  void SetControlColour(HWND control, std::uint32_t colour);

  HWND window_ = nullptr;
  int dpi_ = 96;
  MainWindowEvents events_;
  bool quit_on_close_ = false;

  // In tab-index order, as the layout table lists them.
  std::array<HWND, 12> controls_{};
  HWND list_view1_ = nullptr, frame2_ = nullptr, combo1_ = nullptr, frame1_ = nullptr,
       option2_ = nullptr, option1_ = nullptr, progress_bar1_ = nullptr, push_button3_ = nullptr,
       push_button6_ = nullptr, push_button7_ = nullptr, push_button1_ = nullptr,
       push_button2_ = nullptr, tooltip_ = nullptr;
  HFONT window_font_ = nullptr, button_font_ = nullptr;
  HICON big_icon_ = nullptr, small_icon_ = nullptr;

  std::unique_ptr<Win32ListView> list_port_;
  std::unique_ptr<Win32ComboBox> combo_port_;
  std::unique_ptr<Win32OptionButton> option1_port_, option2_port_;
  std::unique_ptr<Win32ProgressBar> progress_port_;
  Win32FileDialog file_dialog_;
  Win32SkinEngine skin_;
  std::vector<std::unique_ptr<Win32Control>> control_ports_;  // in creation order

  COLORREF form_colour_ = RGB(255, 255, 255);
  std::map<HWND, COLORREF> control_colours_;
  std::map<COLORREF, HBRUSH> brushes_;

  std::int32_t pointer_state_ = kPointerDefault;
  HCURSOR custom_cursor_ = nullptr;
};

}  // namespace brintova::win32ui
