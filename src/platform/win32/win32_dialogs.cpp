#include "platform/win32/win32_dialogs.h"

#include <cstdint>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/win32/wide_text.h"

namespace brintova {

using win32::FromWide;
using win32::SystemFailure;
using win32::Wide;

namespace {

// An in-memory dialog template: DLGTEMPLATE, its items, each DWORD-aligned, in dialog units.
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, short width, short height, std::wstring_view title) {
    Add32(style | DS_SETFONT);
    Add32(0);  // extended style
    count_at_ = words_.size();
    words_.push_back(0);  // item count, filled in by Item()
    for (short v : {short{0}, short{0}, width, height}) words_.push_back(static_cast<WORD>(v));
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard dialog class
    AddText(title);
    words_.push_back(8);  // font size in points
    AddText(L"MS Shell Dlg");
  }

  // `kind`: the atom of a system class (0x80 button, 0x81 edit, 0x82 static).
  void Item(WORD kind, int id, DWORD style, short x, short y, short width, short height,
            std::wstring_view text = {}) {
    if (words_.size() % 2 != 0) words_.push_back(0);  // DWORD alignment
    Add32(style | WS_CHILD | WS_VISIBLE);
    Add32(0);
    for (short v : {x, y, width, height}) words_.push_back(static_cast<WORD>(v));
    words_.push_back(static_cast<WORD>(id));
    words_.push_back(0xFFFF);
    words_.push_back(kind);
    AddText(text);
    words_.push_back(0);  // no creation data
    ++words_[count_at_];
  }

  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Add32(DWORD value) {
    words_.push_back(static_cast<WORD>(value & 0xFFFF));
    words_.push_back(static_cast<WORD>(value >> 16));
  }
  void AddText(std::wstring_view text) {
    for (wchar_t c : text) words_.push_back(static_cast<WORD>(c));
    words_.push_back(0);
  }

  // DWORD-aligned storage: DLGTEMPLATE must start on a DWORD boundary.
  std::vector<WORD> words_;
  std::size_t count_at_ = 0;
};

struct InputBoxState {
  std::wstring prompt;
  std::wstring default_text;
  std::wstring answer;
};

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      const auto* state = reinterpret_cast<const InputBoxState*>(lparam);
      SetDlgItemTextW(dialog, kInputBoxPromptId, state->prompt.c_str());
      const HWND text = GetDlgItem(dialog, kInputBoxTextId);
      SetWindowTextW(text, state->default_text.c_str());
      SendMessageW(text, EM_SETSEL, 0, -1);
      SetFocus(text);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
      auto* state = reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(dialog, DWLP_USER));
      const int id = LOWORD(wparam);
      if (id == IDOK) {
        const HWND text = GetDlgItem(dialog, kInputBoxTextId);
        std::wstring answer(static_cast<std::size_t>(GetWindowTextLengthW(text)) + 1, L'\0');
        answer.resize(static_cast<std::size_t>(
            GetWindowTextW(text, answer.data(), static_cast<int>(answer.size()))));
        state->answer = std::move(answer);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

HWND Win32Dialogs::Owner() const {
  if (!owner_) return nullptr;
  const HWND owner = owner_();
  return (owner != nullptr && IsWindowVisible(owner)) ? owner : nullptr;
}

MessageResult Win32Dialogs::MessageBox(std::u16string_view text, MessageButtons buttons,
                                       MessageIcon icon, std::u16string_view title) {
  UINT type = buttons == MessageButtons::kYesNo ? MB_YESNO : MB_OK;
  if (icon == MessageIcon::kExclamation) type |= MB_ICONEXCLAMATION;
  // Without an owner the box would open behind other programs' windows.
  if (Owner() == nullptr) type |= MB_SETFOREGROUND | MB_TASKMODAL;
  const int answer = MessageBoxW(Owner(), Wide(text).c_str(), Wide(title).c_str(), type);
  switch (answer) {
    case IDYES:
      return MessageResult::kYes;
    case IDNO:
      return MessageResult::kNo;
    case 0:
      throw SystemFailure(u"Cannot show the message box", title, GetLastError());
    default:
      return MessageResult::kOk;
  }
}

std::u16string Win32Dialogs::InputBox(std::u16string_view prompt, std::u16string_view title,
                                      std::u16string_view default_text) {
  DialogTemplate layout(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 260, 100,
                        Wide(title));
  constexpr WORD kButton = 0x80, kEdit = 0x81, kStatic = 0x82;
  layout.Item(kStatic, kInputBoxPromptId, SS_LEFT | SS_NOPREFIX, 7, 7, 186, 60);
  layout.Item(kButton, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 203, 7, 50, 14, L"OK");
  layout.Item(kButton, IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 203, 25, 50, 14, L"Cancel");
  layout.Item(kEdit, kInputBoxTextId, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 76, 246, 13);

  InputBoxState state{Wide(prompt), Wide(default_text), {}};
  const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), layout.get(), Owner(),
                                                 InputBoxProc, reinterpret_cast<LPARAM>(&state));
  if (result == -1 || result == 0) {
    throw SystemFailure(u"Cannot show the input box", title, GetLastError());
  }
  return result == IDOK ? FromWide(state.answer) : std::u16string();
}

}  // namespace brintova
