// The stand-in DLLs under Wine: each exports exactly its functions under their exact names,
// the inert libraries answer through their headers and import libraries, and each port
// driver's PddTrace asks the device on its port for its own driver's trace.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "WNT41MAG.H"
#include "WNT42MSR.H"
#include "WNTA1MAG.H"
#include "WNTA2MSR.H"
#include "WNTA2PIN.H"
#include "WNTA3EFT.H"
#include "simdev/Terminal8343.h"
#include "simdev/Trace.h"
#include "tests/support/TempFolder.h"
#include "tools/DeviceServer.h"

namespace {

// The names in a loaded module's export directory, and the name the DLL gives itself.
struct Exports {
  std::string dllName;
  std::vector<std::string> names;
};

Exports ExportsOf(HMODULE module) {
  auto* base = reinterpret_cast<const unsigned char*>(module);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  Exports out;
  if (entry.Size == 0) return out;
  auto* dir = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
  out.dllName = reinterpret_cast<const char*>(base + dir->Name);
  auto* names = reinterpret_cast<const DWORD*>(base + dir->AddressOfNames);
  for (DWORD i = 0; i < dir->NumberOfNames; ++i)
    out.names.push_back(reinterpret_cast<const char*>(base + names[i]));
  std::sort(out.names.begin(), out.names.end());
  return out;
}

// Any function pointer as the untyped one GetProcAddress returns, and back.
template <typename To, typename From>
To FunctionCast(From f) {
  return reinterpret_cast<To>(reinterpret_cast<void (*)()>(f));
}

using OpenFunction = unsigned short(__stdcall*)(unsigned int*, unsigned short);
using CloseFunction = unsigned short(__stdcall*)(unsigned int);

struct InertLibrary {
  const char* dll;
  const char* open;
  const char* close;
  OpenFunction openFunction;  // bound through the header and the import library
  CloseFunction closeFunction;
};

const InertLibrary kInert[] = {
    {"WNT41MAG.DLL", "MagOpen", "MagClose", &MagOpen, &MagClose},
    {"WNTA1MAG.DLL", "MagPollOpen", "MagPollClose", &MagPollOpen, &MagPollClose},
    {"WNT42MSR.DLL", "MsrOpen", "MsrClose", &MsrOpen, &MsrClose},
    {"WNTA2MSR.DLL", "MsrPollOpen", "MsrPollClose", &MsrPollOpen, &MsrPollClose},
    {"WNTA2PIN.DLL", "PinPollOpen", "PinPollClose", &PinPollOpen, &PinPollClose},
    {"WNTA3EFT.DLL", "EftPollOpen", "EftPollClose", &EftPollOpen, &EftPollClose},
};

TEST(InertLibraries, ExportExactlyAnOpenAndACloseThatFindNoDevice) {
  for (const InertLibrary& lib : kInert) {
    SCOPED_TRACE(lib.dll);
    HMODULE module = GetModuleHandleA(lib.dll);  // loaded with the program, by the import
    ASSERT_NE(module, nullptr);
    Exports exports = ExportsOf(module);
    EXPECT_EQ(exports.dllName, lib.dll);
    std::vector<std::string> expected = {lib.close, lib.open};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(exports.names, expected);

    // Through the header and the import library, and through the export names.
    auto open = FunctionCast<OpenFunction>(GetProcAddress(module, lib.open));
    auto close = FunctionCast<CloseFunction>(GetProcAddress(module, lib.close));
    ASSERT_TRUE(open && close);
    for (OpenFunction f : {lib.openFunction, open}) {
      unsigned int handle = 0x1234;
      EXPECT_EQ(f(&handle, 1), 2);  // no device behind an inert library
      EXPECT_EQ(handle, 0u);
      EXPECT_EQ(f(nullptr, 1), 87);
    }
    EXPECT_EQ(lib.closeFunction(0), 6);
    EXPECT_EQ(close(0x1234), 6);
  }
}

using PddTraceFunction = unsigned int(__stdcall*)(unsigned char*);

TEST(PortDrivers, ExportPddTraceAndEachReadsItsOwnDriversTrace) {
  support::TempFolder dir;
  // No port recorded: each driver asks the device on COM1, over the serial line.
  ASSERT_TRUE(simdev::SaveKeyValues(dir.File("COM1-8343"), simdev::NewTerminalState(1, 2), "t"));
  uiauto::DeviceServer server(dir.Str());
  for (const char* driver : {"WNT4XPDD", "WNT43PDD"}) {
    SCOPED_TRACE(driver);
    HMODULE module = LoadLibraryA((std::string(driver) + ".dll").c_str());
    ASSERT_NE(module, nullptr);
    Exports exports = ExportsOf(module);
    EXPECT_EQ(exports.dllName, std::string(driver) + ".DLL");
    EXPECT_EQ(exports.names, std::vector<std::string>{"PddTrace"});
    auto pddTrace = FunctionCast<PddTraceFunction>(GetProcAddress(module, "PddTrace"));
    ASSERT_NE(pddTrace, nullptr);

    simdev::trace::Record r;
    r.kind = simdev::trace::kCall;
    r.data.assign(driver, driver + 8);  // the driver's own name as the data
    ASSERT_TRUE(simdev::trace::Append(dir.Str(), driver, r));
    std::vector<std::uint8_t> kept = simdev::trace::Read(dir.Str(), driver);
    std::vector<unsigned char> buffer(32768, 0);
    EXPECT_EQ(pddTrace(buffer.data()) & 0xFFFF, 1u);
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), buffer.begin()));

    ASSERT_TRUE(simdev::trace::SetTracing(dir.Str(), driver, false));
    std::vector<unsigned char> untouched(32768, 0xCC);
    EXPECT_EQ(pddTrace(untouched.data()) & 0xFFFF, 0u);
    EXPECT_EQ(std::count(untouched.begin(), untouched.end(), 0xCC), 32768);
    FreeLibrary(module);
  }
}

}  // namespace
