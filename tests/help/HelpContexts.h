// What the three windowed programs ask the help viewer for: the file name as they pass it
// to WinHelpA, the context number (both from the programs' help headers), and the title of
// the topic that must open. The titles are those of the dialog or menu whose HELP (or Help
// menu item) asks for the number.
#pragma once

#include <cstdint>
#include <string>

#include "fiosetup/HelpContexts.h"
#include "wnt43sup/HelpContexts.h"
#include "wntdld42/HelpContexts.h"

namespace helptest {

struct ProgramContext {
  const char* file;
  std::uint32_t number;
  const char* title;
};

inline const ProgramContext kProgramContexts[] = {
    {fiosetup::kHelpFile, fiosetup::kHelpContextFile, "File Menu"},
    {fiosetup::kHelpFile, fiosetup::kHelpContextDevice, "Device Menu"},
    {fiosetup::kHelpFile, fiosetup::kHelpContextOption, "Options Menu"},
    {fiosetup::kHelpFile, fiosetup::kHelpContextGeneral,
     "QRT 8300 FIO Devices Installation Program"},
    {wnt43sup::kHelpFile, wnt43sup::kHelpGeneral, "QRT 8343 Support Program"},
    {wnt43sup::kHelpFile, wnt43sup::kHelpLdrsapk, "Load Cleartext RSA Private Key"},
    {wnt43sup::kHelpFile, wnt43sup::kHelpLddlkp, "Load Cleartext Double Length DES Key Part"},
    {wnt43sup::kHelpFile, wnt43sup::kHelpLdsn, "Load Device Serial Number"},
    {wnt43sup::kHelpFile, wnt43sup::kHelpGencrc, "Generate a CRC from an Input HEX File"},
    {wnt43sup::kHelpFile, wnt43sup::kHelpQrymcrc, "Query the CRC of the Device Memory"},
    {wnt43sup::kHelpFile, wnt43sup::kHelpCommport, "Enter Communication Port Number"},
    {wntdld42::kHelpFile, wntdld42::kHelpGeneral, "QRT 8342 Download Program"},
    {wntdld42::kHelpFile, wntdld42::kHelpLd8mkn, "Load 8 Byte Non-Encrypted Master Key"},
    {wntdld42::kHelpFile, wntdld42::kHelpLd8mke, "Load 8 Byte Encrypted Master Key"},
    {wntdld42::kHelpFile, wntdld42::kHelpLd16mkn, "Load 16 Byte Non-Encrypted Master Key"},
    {wntdld42::kHelpFile, wntdld42::kHelpLd16mke, "Load 16 Byte Encrypted Master Key"},
    {wntdld42::kHelpFile, wntdld42::kHelpEd8mks, "Enter 8 Byte Single-Entry Master Key"},
    {wntdld42::kHelpFile, wntdld42::kHelpEd8mkd, "Enter 8 Byte Dual-Entry Master Key"},
    {wntdld42::kHelpFile, wntdld42::kHelpEd16mks, "Enter 16 Byte Single-Entry Master Key"},
    {wntdld42::kHelpFile, wntdld42::kHelpEd16mkd, "Enter 16 Byte Dual-Entry Master Key"},
    {wntdld42::kHelpFile, wntdld42::kHelpLdenck, "Load 8 Byte Encryption Key"},
    {wntdld42::kHelpFile, wntdld42::kHelpLdicv, "Load Initial Chaining Value"},
    {wntdld42::kHelpFile, wntdld42::kHelpLdverp, "Load PIN Verification Parameters"},
    {wntdld42::kHelpFile, wntdld42::kHelpCommport, "Enter Communication Port Number"},
};

// The built file of a name as the programs pass it: FIOSETUP.HLP for "fiosetup.hlp".
inline std::string BuiltName(const std::string& file) {
  std::string name = file;
  for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return name;
}

}  // namespace helptest
