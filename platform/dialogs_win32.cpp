#include "platform/win32_host.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"

namespace host::win32 {

namespace {

INT_PTR OnInitWarning(HWND dialog, const std::string& text) {
  SetWindowTextA(dialog, quenlox::texts::kWarningCaption);
  SetDlgItemTextA(dialog, IDC_WARNING_TEXT, text.c_str());
  SetDlgItemTextA(dialog, IDYES, quenlox::texts::kYesButton);
  SetDlgItemTextA(dialog, IDNO, quenlox::texts::kNoButton);
  SendDlgItemMessageA(dialog, IDC_WARNING_ICON, STM_SETICON,
                      reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_WARNING)), 0);
  MessageBeep(MB_ICONWARNING);
  return TRUE;  // focus goes to the first button, Yes
}

INT_PTR CALLBACK WarningProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitWarning(dialog, *reinterpret_cast<const std::string*>(lparam));
    case WM_COMMAND:
      // Escape and the close box arrive as IDCANCEL: both answer No.
      if (LOWORD(wparam) == IDYES || LOWORD(wparam) == IDNO || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wparam) == IDYES ? IDYES : IDNO);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(dialog, IDNO);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void Dialogs::Notice(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), quenlox::texts::kAppTitle, MB_OK | MB_SETFOREGROUND);
}

bool Dialogs::AskWarning(const std::string& text) {
  INT_PTR answer = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_WARNING),
                                   nullptr, WarningProc, reinterpret_cast<LPARAM>(&text));
  return answer == IDYES;  // -1 (the dialog could not be made) is no consent either
}

void Dialogs::ErrorReport(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), quenlox::texts::kAppTitle,
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace host::win32
