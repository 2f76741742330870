// The main window: the controls from the design-time table, their events, the pointer states
// and the colours.
#include "win32ui/main_window.h"

#include <algorithm>

#include "platform/failure.h"
#include "platform/text.h"
#include "platform/win32/wide_text.h"
#include "win32ui/layout.h"

namespace brintova::win32ui {

using win32::SystemFailure;
using win32::Wide;

namespace {

constexpr wchar_t kClassName[] = L"BrintovaForm1";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr wchar_t kListTooltip[] =
    L"Drag and drop files here. Double-click item to remove it. Move bar to right and out of "
    L"window to reveal full names.";

// Control identifiers: none is IDOK or IDCANCEL, which the dialog keys send.
enum ControlId : int {
  kListView1Id = 1001,
  kOption1Id,
  kFrame1Id,
  kOption2Id,
  kProgressBar1Id,
  kPushButton3Id,
  kPushButton6Id,
  kPushButton7Id,
  kFrame2Id,
  kCombo1Id,
  kPushButton1Id,
  kPushButton2Id
};

struct ControlDefinition {
  const wchar_t* window_class;
  const wchar_t* text;
  DWORD style;
  DWORD extended_style;
};

// In the order of the layout table: tab-index order, which is the stacking order. Every control
// but Frame1 and Option2 starts a group, so the two option buttons form one group across the
// two frames, and arrow keys stay inside each of the other controls.
const std::array<ControlDefinition, 12> kDefinitions = {{
    {WC_LISTVIEWW, L"",
     LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_NOSORTHEADER |
         WS_TABSTOP | WS_GROUP,
     WS_EX_CLIENTEDGE},
    {WC_BUTTONW, L"Put results in new sheet", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 0},
    {WC_BUTTONW, L"Output Options", BS_GROUPBOX, 0},
    {WC_BUTTONW, L"Put results in new workbook", BS_AUTORADIOBUTTON | WS_TABSTOP, 0},
    {PROGRESS_CLASSW, L"", WS_GROUP, 0},
    {WC_BUTTONW, L"Add Excel File(s)", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0},
    {WC_BUTTONW, L"Add All Excel File(s) In Folder", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0},
    {WC_BUTTONW, L"Start Extracting", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0},
    {WC_BUTTONW, L"Extract Options", BS_GROUPBOX | WS_GROUP, 0},
    {WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, 0},
    {WC_BUTTONW, L"Clear List", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0},
    {WC_BUTTONW, L"Load Sample/Example Files", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0},
}};

// The window's resolution: its display's where the system tells it per window, else the
// system's.
int WindowDpi(HWND window) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto get_dpi_for_window = reinterpret_cast<GetDpiForWindowFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi_for_window != nullptr && window != nullptr) {
    if (const UINT dpi = get_dpi_for_window(window); dpi != 0) return static_cast<int>(dpi);
  }
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

HFONT ArialBold(double points, int dpi) {
  return CreateFontW(FontHeight(points, dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, L"Arial");
}

RECT ClientRectOf(HWND control, HWND parent) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace

Win32MainWindow::Win32MainWindow()
    : file_dialog_([this] { return window_; }), skin_([this] { return window_; }) {
  INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                    ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  static const ATOM registered = [instance] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = kClassName;
    return RegisterClassExW(&window_class);
  }();
  if (registered == 0)
    throw SystemFailure(u"Cannot create the main window", u"Form1", GetLastError());

  dpi_ = WindowDpi(nullptr);
  window_ =
      CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"Form1", kWindowStyle, CW_USEDEFAULT,
                      CW_USEDEFAULT, TwipsToPixels(kClientWidthTwips, dpi_),
                      TwipsToPixels(kClientHeightTwips, dpi_), nullptr, nullptr, instance, this);
  if (window_ == nullptr) {
    throw SystemFailure(u"Cannot create the main window", u"Form1", GetLastError());
  }
  dpi_ = WindowDpi(window_);
  CreateControls();
  LayOut();
}

Win32MainWindow::~Win32MainWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(window_font_), static_cast<HGDIOBJ>(button_font_)}) {
    if (object != nullptr) DeleteObject(object);
  }
  for (const auto& [colour, brush] : brushes_) DeleteObject(brush);
  if (big_icon_ != nullptr) DestroyIcon(big_icon_);
  if (small_icon_ != nullptr) DestroyIcon(small_icon_);
  if (custom_cursor_ != nullptr) DestroyCursor(custom_cursor_);
}

void Win32MainWindow::CreateControls() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  for (std::size_t i = 0; i < kDefinitions.size(); ++i) {
    const ControlDefinition& definition = kDefinitions[i];
    controls_[i] = CreateWindowExW(definition.extended_style, definition.window_class,
                                   definition.text, definition.style | WS_CHILD | WS_VISIBLE, 0, 0,
                                   10, 10, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListView1Id + i)),
                                   instance, nullptr);
    if (controls_[i] == nullptr) {
      throw SystemFailure(u"Cannot create the control", kPlacements[i].name, GetLastError());
    }
  }
  list_view1_ = controls_[0];
  option1_ = controls_[1];
  frame1_ = controls_[2];
  option2_ = controls_[3];
  progress_bar1_ = controls_[4];
  push_button3_ = controls_[5];
  push_button6_ = controls_[6];
  push_button7_ = controls_[7];
  frame2_ = controls_[8];
  combo1_ = controls_[9];
  push_button1_ = controls_[10];
  push_button2_ = controls_[11];

  SendMessageW(list_view1_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
               LVS_EX_FULLROWSELECT);
  DragAcceptFiles(list_view1_, TRUE);
  SendMessageW(progress_bar1_, PBM_SETRANGE32, 0, 100);
  SendMessageW(option1_, BM_SETCHECK, BST_CHECKED, 0);
  for (HWND white : {frame1_, frame2_, option1_, option2_}) control_colours_[white] = kWhite;

  // Mouse moves over the list and the push buttons reach their own handlers; the list also
  // takes the desktop's drops.
  for (HWND control :
       {list_view1_, push_button1_, push_button2_, push_button3_, push_button6_, push_button7_}) {
    SetWindowSubclass(control, ControlProc, 1, reinterpret_cast<DWORD_PTR>(this));
  }

  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance, nullptr);
  if (tooltip_ != nullptr) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(list_view1_);
    tool.lpszText = const_cast<wchar_t*>(kListTooltip);
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }

  list_port_ = std::make_unique<Win32ListView>(list_view1_, [this] { return dpi_; });
  combo_port_ = std::make_unique<Win32ComboBox>(combo1_, events_.combo1_click);
  option1_port_ = std::make_unique<Win32OptionButton>(option1_);
  option2_port_ = std::make_unique<Win32OptionButton>(option2_);
  progress_port_ = std::make_unique<Win32ProgressBar>(progress_bar1_);

  // In creation order, as the skin step walks them.
  const auto colour_of = [this](HWND control) {
    return [this, control](std::uint32_t colour) { SetControlColour(control, colour); };
  };
  const auto add = [this](const char16_t* name, ControlKind kind,
                          std::function<void(std::uint32_t)> set = {}) {
    control_ports_.push_back(std::make_unique<Win32Control>(name, kind, std::move(set)));
  };
  add(u"ListView1", ControlKind::kListView, [this](std::uint32_t colour) {
    const COLORREF ref = ColourRef(colour);
    SendMessageW(list_view1_, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(ref));
    SendMessageW(list_view1_, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(ref));
    control_colours_[list_view1_] = ref;
    InvalidateRect(list_view1_, nullptr, TRUE);
  });
  add(u"Frame2", ControlKind::kFrame, colour_of(frame2_));
  add(u"Combo1", ControlKind::kComboBox, colour_of(combo1_));
  add(u"CommonDialog1", ControlKind::kFileDialog);
  add(u"Frame1", ControlKind::kFrame, colour_of(frame1_));
  add(u"Option2", ControlKind::kOptionButton, colour_of(option2_));
  add(u"Option1", ControlKind::kOptionButton, colour_of(option1_));
  add(u"ProgressBar1", ControlKind::kProgressBar, [this](std::uint32_t colour) {
    SendMessageW(progress_bar1_, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(ColourRef(colour)));
  });
  add(u"PushButton3", ControlKind::kPushButton, colour_of(push_button3_));
  add(u"PushButton6", ControlKind::kPushButton, colour_of(push_button6_));
  add(u"PushButton7", ControlKind::kPushButton, colour_of(push_button7_));
  add(u"PushButton1", ControlKind::kPushButton, colour_of(push_button1_));
  add(u"PushButton2", ControlKind::kPushButton, colour_of(push_button2_));
  add(u"SkinFramework1", ControlKind::kSkinEngine);
}

void Win32MainWindow::LayOut() {
  // The client area at this resolution, with the frame the system draws around it.
  RECT outer{}, inner{};
  GetWindowRect(window_, &outer);
  GetClientRect(window_, &inner);
  SetWindowPos(window_, nullptr, 0, 0,
               TwipsToPixels(kClientWidthTwips, dpi_) + (outer.right - outer.left) - inner.right,
               TwipsToPixels(kClientHeightTwips, dpi_) + (outer.bottom - outer.top) - inner.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  const HFONT old_window_font = window_font_, old_button_font = button_font_;
  window_font_ = ArialBold(9, dpi_);
  button_font_ = ArialBold(11.25, dpi_);
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const PixelRect place = ToPixels(kPlacements[i].rect, dpi_);
    const HWND control = controls_[i];
    const bool push_button = control == push_button1_ || control == push_button2_ ||
                             control == push_button3_ || control == push_button6_ ||
                             control == push_button7_;
    SendMessageW(control, WM_SETFONT,
                 reinterpret_cast<WPARAM>(push_button ? button_font_ : window_font_), FALSE);
    // A drop-down's window height includes its opened list.
    const int height = control == combo1_ ? place.height * 12 : place.height;
    MoveWindow(control, place.left, place.top, place.width, height, TRUE);
  }
  FitComboHeight(ToPixels(PlacementOf(u"Combo1"), dpi_).height);
  if (tooltip_ != nullptr) {
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, TwipsToPixels(4800, dpi_));
  }
  for (HFONT old : {old_window_font, old_button_font}) {
    if (old != nullptr) DeleteObject(old);
  }
  InvalidateRect(window_, nullptr, TRUE);
}

void Win32MainWindow::FitComboHeight(int height) {
  // The closed drop-down is as high as its selection field makes it: size that field so the
  // whole control has the design height. The field is steered by the measured height alone,
  // since what the control reports for the field need not be what it was given.
  LRESULT field = SendMessageW(combo1_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
  for (int attempt = 0; field != CB_ERR && attempt < 4; ++attempt) {
    RECT rect{};
    GetWindowRect(combo1_, &rect);
    const int difference = height - (rect.bottom - rect.top);
    if (difference == 0 || field + difference < 1) return;
    field += difference;
    SendMessageW(combo1_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
  }
}

void Win32MainWindow::Show() {
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
}

HWND Win32MainWindow::ControlWindow(std::u16string_view name) const {
  for (std::size_t i = 0; i < kPlacements.size(); ++i) {
    if (kPlacements[i].name == name) return controls_[i];
  }
  return nullptr;
}

COLORREF Win32MainWindow::BackColourOf(HWND window) const {
  if (window == window_) return form_colour_;
  const auto it = control_colours_.find(window);
  return it == control_colours_.end() ? CLR_INVALID : it->second;
}

HBRUSH Win32MainWindow::BrushOf(COLORREF colour) {
  HBRUSH& brush = brushes_[colour];
  if (brush == nullptr) brush = CreateSolidBrush(colour);
  return brush;
}

void Win32MainWindow::SetControlColour(HWND control, std::uint32_t colour) {
  control_colours_[control] = ColourRef(colour);
  InvalidateRect(control, nullptr, TRUE);
}

void Win32MainWindow::Raise(const std::function<void()>& handler) {
  std::u16string description;
  try {
    handler();
    return;
  } catch (const Failure& failure) {
    description = failure.description();
  } catch (const std::exception& other) {
    description = ToUtf16(other.what());
  }
  MessageBoxW(IsWindowVisible(window_) ? window_ : nullptr, Wide(description).c_str(), L"Brintova",
              MB_OK | MB_ICONEXCLAMATION);
}

LRESULT CALLBACK Win32MainWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->window_ != window) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return self->Handle(message, wparam, lparam);
}

LRESULT Win32MainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lparam));
    case WM_MOUSEMOVE:
      OnMouseMove(POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))});
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lparam) == HTCLIENT && pointer_state_ != kPointerDefault) {
        SetCursor(CursorOf(pointer_state_));
        return TRUE;
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const auto it = control_colours_.find(reinterpret_cast<HWND>(lparam));
      if (it == control_colours_.end()) break;
      SetBkColor(reinterpret_cast<HDC>(wparam), it->second);
      return reinterpret_cast<LRESULT>(BrushOf(it->second));
    }
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(window_, &client);
      FillRect(reinterpret_cast<HDC>(wparam), &client, BrushOf(form_colour_));
      return 1;
    }
    case WM_DPICHANGED: {
      const int old_dpi = dpi_;
      dpi_ = HIWORD(wparam);
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      const HWND header = reinterpret_cast<HWND>(SendMessageW(list_view1_, LVM_GETHEADER, 0, 0));
      const int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
      for (int column = 0; column < columns; ++column) {
        const LRESULT width = SendMessageW(list_view1_, LVM_GETCOLUMNWIDTH, column, 0);
        SendMessageW(list_view1_, LVM_SETCOLUMNWIDTH, column,
                     MAKELPARAM(MulDiv(static_cast<int>(width), dpi_, old_dpi), 0));
      }
      LayOut();
      return 0;
    }
    case WM_CLOSE:
      RaiseWith(events_.form_unload);
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      if (quit_on_close_) PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

void Win32MainWindow::OnCommand(int id, int code) {
  if (id == kCombo1Id) {
    // A pick from the opened list, or an arrow key on the closed one.
    if (code == CBN_SELENDOK ||
        (code == CBN_SELCHANGE && !SendMessageW(combo1_, CB_GETDROPPEDSTATE, 0, 0))) {
      RaiseWith(events_.combo1_click);
    } else if (code == CBN_EDITCHANGE) {
      RaiseWith(events_.combo1_change);
    }
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case kPushButton1Id:
      RaiseWith(events_.push_button1_click);
      break;
    case kPushButton2Id:
      RaiseWith(events_.push_button2_click);
      break;
    case kPushButton3Id:
      RaiseWith(events_.push_button3_click);
      break;
    case kPushButton6Id:
      RaiseWith(events_.push_button6_click);
      break;
    case kPushButton7Id:
      RaiseWith(events_.push_button7_click);
      break;
    default:
      break;
  }
}

LRESULT Win32MainWindow::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != list_view1_) return 0;
  switch (header.code) {
    case LVN_GETDISPINFOW:
      list_port_->FillDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
      return 0;
    case NM_DBLCLK:
      RaiseWith(events_.list_view1_dbl_click);
      return 0;
    case LVN_KEYDOWN:
      RaiseWith(events_.list_view1_key_down,
                static_cast<std::int32_t>(reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey));
      return 0;
    default:
      return 0;
  }
}

void Win32MainWindow::OnMouseMove(POINT client) {
  // The frames let the mouse through to the window: tell them apart by place.
  for (const auto& [frame, event] : {std::pair{frame1_, &events_.frame1_mouse_move},
                                     std::pair{frame2_, &events_.frame2_mouse_move}}) {
    const RECT rect = ClientRectOf(frame, window_);
    if (PtInRect(&rect, client)) {
      RaiseWith(*event);
      return;
    }
  }
  RaiseWith(events_.form_mouse_move);
}

void Win32MainWindow::OnDropFiles(HDROP drop) {
  HdropData data(drop);
  // The shell offered its file list; the drag-over handler may still refuse it.
  std::int32_t effect = DROPEFFECT_COPY;
  if (events_.list_view1_ole_drag_over) {
    RaiseWith(events_.list_view1_ole_drag_over, static_cast<DataObject&>(data), effect);
  }
  if (effect != kDropEffectNone) {
    RaiseWith(events_.list_view1_ole_drag_drop, static_cast<DataObject&>(data));
  }
  DragFinish(drop);
}

LRESULT CALLBACK Win32MainWindow::ControlProc(HWND control, UINT message, WPARAM wparam,
                                              LPARAM lparam, UINT_PTR /*id*/, DWORD_PTR self) {
  if (reinterpret_cast<Win32MainWindow*>(self)->HandleControl(control, message, wparam, lparam)) {
    return 0;
  }
  return DefSubclassProc(control, message, wparam, lparam);
}

bool Win32MainWindow::HandleControl(HWND control, UINT message, WPARAM wparam, LPARAM /*lparam*/) {
  if (message == WM_DROPFILES && control == list_view1_) {
    OnDropFiles(reinterpret_cast<HDROP>(wparam));
    return true;
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(control, ControlProc, 1);
    return false;
  }
  if (message != WM_MOUSEMOVE) return false;
  if (control == list_view1_) RaiseWith(events_.list_view1_mouse_move);
  if (control == push_button1_) RaiseWith(events_.push_button1_mouse_move);
  if (control == push_button2_) RaiseWith(events_.push_button2_mouse_move);
  if (control == push_button3_) RaiseWith(events_.push_button3_mouse_move);
  if (control == push_button6_) RaiseWith(events_.push_button6_mouse_move);
  if (control == push_button7_) RaiseWith(events_.push_button7_mouse_move);
  return false;  // the control still sees its mouse
}

}  // namespace brintova::win32ui
