// The support program's menu commands, one function each, over the Ui port, the EFT library,
// the program's response buffer and its port selection.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "eft/EftApi.h"
#include "eft/Exchange.h"
#include "ui/CommandGate.h"
#include "ui/Ui.h"

namespace wnt43sup {

// What every command works with. The shell owns the values for the whole run; the port
// selection is fixed once start-up is over.
struct Program {
  ui::Ui& ui;
  eft::EftApi& api;
  const eft::PortSelection& ports;
  eft::ResponseBuffer& response;
};

void LoadClearRsaPrivateKey(const Program& p);  // 101
void LoadClearDesKeyPart(const Program& p);     // 102
void LoadDeviceSerialNumber(const Program& p);  // 103
void ReadDeviceInformation(const Program& p);   // 104
void ReadDeviceStatus(const Program& p);        // 105
void EjectCard(const Program& p);               // 106
void GenerateCrc(const Program& p);             // 107
void QueryMemoryCrc(const Program& p);          // 108
void ShowGeneralHelp(const Program& p);         // 1100
void ShowAbout(const Program& p);               // 1000

// Runs the command of a menu id (or of the F3 accelerator): Close for Exit, else Nothing (an
// id that is no command of the menu does nothing).
ui::After RunCommand(const Program& p, int command);

// The eight further bytes of the serial-number frame: the low 8 bits of the first eight values
// of a fixed-seed linear congruential generator, the same on every load.
std::array<std::uint8_t, 8> SerialNumberFurtherBytes();

}  // namespace wnt43sup
