// The operations of WNTDLD42, one per menu command: portable, over the Ui and ModeForm ports
// and the PIN pad library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/CommandGate.h"
#include "ui/Ui.h"
#include "wntdld42/Dialogs.h"
#include "wntdld42/ModeForm.h"
#include "wntdld42/PinApi.h"

namespace wntdld42 {

// The program-wide values: the one device handle and the mode selection, beside the ports.
struct Program {
  PinApi& api;
  ui::Ui& ui;
  ModeForm& modeForm;
  Handle handle = 0;
  Mode mode = Mode::kEncrypted;
};

// The message box of a failed library call: the prefix directly followed by the code in
// decimal, stop icon.
void ReportError(ui::Ui& ui, std::string_view prefix, Status code);

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
