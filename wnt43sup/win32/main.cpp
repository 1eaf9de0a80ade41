// WNT43SUP: the support program of the 8343 EFT terminal. An empty main window whose menu
// runs the commands of wnt43sup/Operations.h; the port is chosen once at start-up, with the
// window as the owner of its dialog, so commands reach the program only after that.
#include <windows.h>

#include "devconfig/win32/Win32Registry.h"
#include "eft/ImportedEftApi.h"
#include "ui/win32/Shell.h"
#include "ui/win32/Win32Ui.h"
#include "wnt43sup/HelpContexts.h"
#include "wnt43sup/Operations.h"
#include "wnt43sup/Startup.h"
#include "wnt43sup/Texts.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  ui::ProgramFrame frame(instance, "WNT43SUP");
  HWND main = frame.Create(wnt43sup::kTitle);
  if (!main) return 0;
  ShowWindow(main, show);
  UpdateWindow(main);

  ui::Win32Ui ui(instance, main);
  devconfig::Win32Registry registry;
  const eft::PortSelection ports = wnt43sup::SelectPort(registry, ui);
  eft::ImportedEftApi api;
  eft::ResponseBuffer response{};
  const wnt43sup::Program program{ui, api, ports, response};
  ui::Commands commands(program);
  frame.Attach(&commands);
  frame.Run();
  return 0;
}
