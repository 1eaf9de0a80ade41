// The operations of WNTDLD42, one per menu command, and its start-up: portable, over the Ui
// and ModeForm ports, the Registry port and the PIN pad library.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "devconfig/Registry.h"
#include "ui/CommandGate.h"
#include "ui/Ui.h"
#include "wntdld42/ModeForm.h"
#include "wntdld42/PinApi.h"

namespace wntdld42 {

inline constexpr char kCaption[] = "QRT 8342 Download Program";
inline constexpr char kHelpFile[] = "wntdld42.hlp";
inline constexpr unsigned kHelpGeneral = 10;

// Where the pointer goes before the port prompt opens, in screen coordinates.
inline constexpr int kPromptPointerX = 130;
inline constexpr int kPromptPointerY = 18;

// The program-wide values: the one device handle and the mode selection, beside the ports.
struct Program {
  PinApi& api;
  ui::Ui& ui;
  ModeForm& modeForm;
  Handle handle = 0;
  Mode mode = Mode::kEncrypted;
};

// One of the four loads of a master key typed at the workstation.
struct MasterKeyLoad {
  int command;
  const char* form;
  std::uint16_t keyType;
  std::size_t digits;  // 16 or 32: the field's limit and the digits a key needs
  int fieldId, okId, cancelId, helpId;
  unsigned help;
};
// One of the four master-key entries at the PIN pad's own keys.
struct MasterKeyEntry {
  int command;
  const char* form;
  std::uint16_t keyType;
  int okId, cancelId, helpId;
  unsigned help;
};
extern const std::array<MasterKeyLoad, 4> kMasterKeyLoads;
extern const std::array<MasterKeyEntry, 4> kMasterKeyEntries;

// The port typed in the prompt (at most its first 3 characters), read as C's atoi reads it:
// blanks skipped, one sign, digits up to the first other character, no digits 0. A value
// outside 0-255 gives 0, which names no port, rather than wrapping onto another one.
std::uint16_t PortFromText(std::string_view text);

// The message box of a failed library call: the prefix directly followed by the code in
// decimal, stop icon.
void ReportError(ui::Ui& ui, std::string_view prefix, Status code);

enum class StartResult { kOpened, kCancelled, kOpenFailed };
// The registry test, the port prompt when the PIN pad is not recorded, and the one open.
// `placePointer` moves the mouse pointer (before the prompt). kOpened fills the handle;
// kCancelled made no library call; kOpenFailed showed the open error. Either of the last two
// ends the program without PinClose.
StartResult OpenPinPad(Program& program, devconfig::Registry& registry,
                       const std::function<void(int x, int y)>& placePointer);

void LoadMasterKey(Program& program, const MasterKeyLoad& variant);
void EnterMasterKey(Program& program, const MasterKeyEntry& variant);
void LoadEncryptionKey(Program& program);
void LoadIcv(Program& program);
void LoadVerificationParameters(Program& program);
void SetMode(Program& program);
void ReadSerialNumber(Program& program);
void ReadHardwareVersion(Program& program);
void ShowAbout(Program& program);
void ShowGeneralHelp(Program& program);

// The hardware-version text of a 32-byte diagnostic buffer: up to its zero byte, at most 14
// characters.
std::string HardwareVersionText(const std::uint8_t* buffer, std::size_t size);

// Runs the operation of a menu command (or F3) to its end: Close for Exit, else Nothing (an
// id that is no command of the menu does nothing).
ui::After RunCommand(Program& program, int command);

}  // namespace wntdld42
