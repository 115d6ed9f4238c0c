#include "win32/dialogs/input_dialog.h"

#include "win32/dialogs/dialog_template.h"
#include "win32/text_encoding.h"

namespace tempiko::win32 {
namespace {

struct DialogState {
  const InputDialogText* text;
  std::string answer;
};

std::wstring ItemText(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
  return text;
}

INT_PTR CALLBACK InputDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      const auto* state = reinterpret_cast<const DialogState*>(lparam);
      if (state->text->max_length > 0)
        SendDlgItemMessageW(dialog, kInputEditId, EM_LIMITTEXT,
                            static_cast<WPARAM>(state->text->max_length), 0);
      SetDlgItemTextW(dialog, kInputEditId, Utf8ToWide(state->text->initial).c_str());
      return TRUE;  // the dialog manager focuses the field and selects its text
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
        state->answer = WideToUtf8(ItemText(dialog, kInputEditId));
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

std::optional<std::string> ShowInputDialog(HWND owner, const InputDialogText& text) {
  // Laid out in dialog units, so the system scales it with the font and the monitor's DPI.
  DialogTemplate layout(DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                        Utf8ToWide(text.caption), 180, 63, L"ＭＳ Ｐゴシック", 9);
  using Item = DialogTemplate::ItemClass;
  layout.AddItem(Item::kStatic, SS_LEFT | SS_NOPREFIX, 8, 8, 164, 9, kInputPromptId,
                 Utf8ToWide(text.prompt));
  layout.AddItem(
      Item::kEdit,
      ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_GROUP | (text.masked ? ES_PASSWORD : 0), 8, 20,
      164, 12, kInputEditId, L"");
  layout.AddItem(Item::kButton, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 38, 41, 50, 14, IDOK,
                 L"OK");
  layout.AddItem(Item::kButton, BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 92, 41, 50, 14, IDCANCEL,
                 L"キャンセル");
  DialogState state{&text, {}};
  const INT_PTR result =
      DialogBoxIndirectParamW(GetModuleHandleW(nullptr), layout.get(), owner, &InputDialogProc,
                              reinterpret_cast<LPARAM>(&state));
  if (result != IDOK)
    return std::nullopt;
  return state.answer;
}

std::optional<std::string> AskDateTimePattern(HWND owner, const std::string& current) {
  return ShowInputDialog(owner, {"日時フォーマット", "詳細はヘルプを見て下さい", current, 0});
}

std::optional<std::string> AskDialCredential(HWND owner, bool password) {
  constexpr int kMaxLength = 255;
  if (password)
    return ShowInputDialog(owner, {"パスワード", "Enter new PassWord", "", kMaxLength, true});
  return ShowInputDialog(owner, {"ユーザ名", "Enter new UserName", "", kMaxLength, false});
}

}  // namespace tempiko::win32
