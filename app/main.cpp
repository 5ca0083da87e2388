// Entry point: no window is shown; the tray icon is the whole user interface.
#include <windows.h>

#include "app/Ufirst.h"
#include "app/form1_win32.h"
#include "blocking/elevated_writes.h"
#include "ordering/Uord1_win32.h"
#include "platform/error_report.h"
#include "platform/win32_host.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  host::win32::LeaveTheProgramFolderOutOfTheDllSearch();
  host::win32::Registry registry;
  host::win32::Files files;
  host::win32::System system;
  // Started elevated by the resident program for one write it was refused: no window.
  quenlox::ElevatedWrite write;
  if (quenlox::ParseElevatedWrite(arguments != nullptr ? arguments : "", &write)) {
    try {
      return quenlox::DoElevatedWrite(registry, files, system, write);
    } catch (...) {
      return quenlox::kElevatedFailed;
    }
  }
  host::win32::Dialogs dialogs;
  host::win32::Shell shell;
  host::win32::Tray tray;
  host::Host host{registry, files, dialogs, shell, tray, system};
  quenlox::OrderingWindowsWin32 ordering(host);
  quenlox::TForm1 form(host, ordering);
  quenlox::Form1Window window(form, dialogs);

  if (!window.Create(instance)) return 1;
  tray.Attach(window.Handle());
  ordering.SetOwner(window.Handle());
  quenlox::RunGuarded(dialogs, [&] { form.FormCreate(); });

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
