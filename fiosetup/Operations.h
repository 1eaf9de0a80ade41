// The menu commands of the installer's window: one flow per command over the core and the
// ports, the COM port dialog behind a port of its own, and the dispatch from a command id.
// The window procedure only dispatches to RunCommand and draws.
#pragma once

#include <cstdint>
#include <string>

#include "fiosetup/DeviceTable.h"
#include "fiosetup/Ports.h"
#include "ui/CommandGate.h"

namespace fiosetup {

// The COM port dialog ("ComPort"): a list of COM1 to COM256. Returns the number of the
// chosen port, or 0 when the user pressed CANCEL.
class ComPortDialog {
 public:
  virtual ~ComPortDialog() = default;
  virtual std::uint32_t Choose() = 0;
};

// The list of the COM port dialog: item i (from 1) is "COM" and i left-aligned in a field
// of 3 characters, and carries the number i.
inline constexpr std::uint32_t kComPortCount = 256;
std::string ComPortItem(std::uint32_t port);

// The main window as the flows see it: a repaint that happens at once.
class MainWindow {
 public:
  virtual ~MainWindow() = default;
  virtual void Repaint() = 0;
};

// Everything a command works on; the shell owns it all.
struct Program {
  DeviceTable& table;
  const Platform& platform;
  ComPortDialog& comPort;
  MainWindow& window;
};

// What the window does when a command has run (one command at a time: the shell's frame).
using ui::After;

// Where the three submenus that are greyed as wholes sit: the position of their menu in the
// menu bar, and their position in that menu.
struct MenuPosition {
  int menu;
  int item;
};
MenuPosition PositionOf(Submenu submenu);

// The help context of a Help command (601-604), 0 for any other command.
unsigned HelpContext(int commandId);

// Whether a person could choose the command in the menu as it stands: the command is
// enabled and so is the submenu that holds it.
bool Available(const Availability& availability, int commandId);

// Runs the flow of a menu command. A command that is greyed, or in a greyed submenu, does
// nothing: posted by another program it would break the table (a Delete of a kind that is
// not configured would count it twice).
After RunCommand(Program& program, int command);

// Exit (F3), and the close box or the system menu's Close: with unsaved edits, asks whether
// to throw them away. Close, or Nothing when the user keeps the window.
After CloseRequested(Program& program);

// The flows with something to decide, one per command.
After Install(Program& program);
After SaveToDisk(Program& program);
After UpdateConfiguration(Program& program);
After UpdateDeviceSupport(Program& program);

}  // namespace fiosetup
