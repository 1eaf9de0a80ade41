// The shipped programs beside device libraries that are not ours: each program is copied into
// a fresh folder with a drop-in DLL built from plain C that knows nothing of this suite
// (tests/dropin/dlls), runs its main flow there, and the DLL's log shows every call and
// argument the program made. This is what a workstation with the device maker's libraries
// runs, so the programs' imports, calling convention and arguments are held to it here.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "devconfig/DeviceConfig.h"
#include "eft/Exchange.h"
#include "tests/e2e/E2e.h"
#include "tests/support/TempFolder.h"
#include "tools/UiAuto.h"
#include "trace/Capture.h"
#include "wntdld42/Texts.h"
#include "wntdld42/WNT42PIN.H"
#include "wntdld42/WNTDLD42.h"

using namespace uiauto;
using Bytes = std::vector<std::uint8_t>;
using e2e::ReadBytes;
using Lines = std::vector<std::string>;
using e2e::Crlf;
using support::TempFolder;

namespace {

// ------------------------------------------------------------------ files and the log

// The log's lines; a last line without its CR LF is kept as it stands, so a cut line shows.
Lines ReadLog(const std::string& path) {
  Bytes bytes = ReadBytes(path);
  std::string text(bytes.begin(), bytes.end());
  Lines lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back(text.substr(at));
      break;
    }
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

// Bytes as the drop-in libraries log them: "[0E 02]".
std::string Hex(const Bytes& bytes) {
  std::string text = "[";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", bytes[i]);
    text += byte;
  }
  return text + "]";
}

// Bytes as WNTDLD42's response fields show them: "A1 A2 ... ".
std::string ShownHex(const Bytes& bytes) {
  std::string text;
  for (std::uint8_t b : bytes) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02X ", b);
    text += byte;
  }
  return text;
}

// True when the DLL exports each of `names` under that plain name and none under a decorated
// one ("_EftOpen@4", "EftOpen@4") that a program could lean on.
bool ExportsPlainNames(const std::string& path, const Lines& names) {
  HMODULE dll = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  if (!dll) return false;
  bool plain = true;
  for (const std::string& name : names) {
    for (int bytes = 0; bytes <= 32; bytes += 4) {
      std::string decorated = name + "@" + std::to_string(bytes);
      plain = plain && !GetProcAddress(dll, decorated.c_str()) &&
              !GetProcAddress(dll, ("_" + decorated).c_str());
    }
    plain = plain && GetProcAddress(dll, name.c_str()) != nullptr;
  }
  FreeLibrary(dll);
  return plain;
}

// Neither 8342 personality is recorded, so WNTDLD42 asks for the port (as the end-to-end
// tests of the program do, which own the prefix's device key too).
void ForgetPinPad() {
  for (const char* subkey : {devconfig::kSubkey8342P, devconfig::kSubkey8342M}) {
    std::string path = std::string(devconfig::kRootKey) + "\\" + subkey;
    RegDeleteKeyA(HKEY_CLASSES_ROOT, path.c_str());
  }
}

// ------------------------------------------------------------------ the three flows

// What the drop-in WNT43EFT.DLL answers: a dual-processor terminal and these texts (the
// security application fills its field, so it is printed without a terminator).
struct Identification {
  const char* label;  // as WNT43APD prints it
  eft::Field field;
  const char* text;
};
const Identification kIdentification[] = {
    {"8343 Device Serial Number:  ", eft::response::kSerialNumber, "41-00815"},
    {"Main Processor Microcode Version:  ", eft::response::kMainMicrocodeVersion, "DM 02.05"},
    {"Main Processor Application:  ", eft::response::kMainApplication, "DROP-IN APP"},
    {"Security Processor Microcode Version:  ", eft::response::kSecurityMicrocodeVersion,
     "DS 01.07"},
    {"Security Processor Application:  ", eft::response::kSecurityApplication, "DROP-IN SECURITY"},
};
const Bytes kDualDeviceType = {0x00, 0x00, 0x02, 0x00, 0x01, 0x02};

// Read Device Information as the drop-in answers it: RC, then each text in its field, padded
// with zeros.
Bytes DeviceInformation() {
  Bytes information(1, 0x00);
  for (const Identification& i : kIdentification) {
    information.resize(i.field.offset + i.field.width, 0);
    std::copy(i.text, i.text + std::strlen(i.text), information.begin() + i.field.offset);
  }
  return information;
}

// What the drop-in WNT42PIN.DLL answers to a master-key load and for the serial number, and
// the key typed.
const Bytes kMasterKeyResponse = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8};
const Bytes kSerialNumber = {0x00, 0x00, 0x83, 0x42, 0x00, 0x01, 0x23, 0x45};
const Bytes kMasterKey = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};

// What the drop-in WNT43PDD.DLL puts at the start of the trace buffer.
Bytes TraceRecord() {
  std::string title = "DROPIN-PDD-TRACE";
  Bytes record(title.begin(), title.end());
  for (std::uint8_t b = 1; record.size() < 48; ++b) record.push_back(b);
  return record;
}

// The port each program is given, on its command line or in its prompt.
constexpr unsigned kPort = 7;
const std::string kPortText = std::to_string(kPort);

// The program's folder in an expected log line.
constexpr char kFolderMark[] = "{folder}";

void Wnt43apd(const TempFolder& f) {
  f.Write("dual.hex", e2e::HexRecord(0, 0x0000, Bytes(32, 0x55)) +
                          e2e::HexRecord(0, 0x4000, Bytes(16, 0x44)) + ":00000001FF\r\n");
  StartOptions o;
  o.workDir = f.Str();
  o.captureOutput = true;
  Process p = Process::Start(
      "\"" + f.File("WNT43APD.EXE") + "\" \"" + f.File("dual.hex") + "\" " + kPortText, o);
  EXPECT_EQ(p.WaitExit(30000), 0u) << p.Output();
  std::string printed = "\n\n8343 Application Download Program completed successfully.\n\n";
  for (const Identification& i : kIdentification) printed += std::string(i.label) + i.text + "\n";
  EXPECT_EQ(p.Output(), Crlf(printed));
}

// Clicks a button that ends its dialog and waits until the dialog is gone.
void Close(HWND dialog, int button) {
  std::string title = Text(dialog);
  Click(dialog, button);
  WaitGone(dialog, title);
}

void Wntdld42(const TempFolder& f) {
  ForgetPinPad();
  StartOptions o;
  o.workDir = f.Str();
  Process p = Process::Start("\"" + f.File("WNTDLD42.EXE") + "\"", o);

  HWND prompt = WaitWindow(p, "Enter Communication Port Number");
  Clear(prompt, IDC_COMMPORT_PORT);
  Type(prompt, IDC_COMMPORT_PORT, kPortText);
  Close(prompt, IDC_COMMPORT_OK);
  HWND main = WaitWindow(p, wntdld42::kCaption);
  // The menu works once the pad is open: the open is the log's first line.
  std::string log = f.File("WNT42PIN.LOG");
  for (int i = 0; i < 500 && ReadLog(log).empty(); ++i) Sleep(20);

  Command(main, IDM_LD8MKN);
  HWND form = WaitWindow(p, "Load 8 Byte Non-Encrypted Master Key");
  Type(form, IDC_LD8MKN_KEY, "0123456789abcdef");
  Close(form, IDC_LD8MKN_OK);
  HWND shown = WaitWindow(p, "Load Master Key Response");
  EXPECT_EQ(Text(shown, IDC_RETLSNB_TEXT), ShownHex(kMasterKeyResponse));
  Close(shown, IDC_RETLSNB_OK);

  Command(main, IDM_READ_SERIAL);
  shown = WaitWindow(p, "8342 Serial Number Response");
  EXPECT_EQ(Text(shown, IDC_DEVSN_TEXT), ShownHex(kSerialNumber));
  Close(shown, IDC_DEVSN_OK);

  PressKey(main, VK_F3);
  EXPECT_EQ(p.WaitExit(), 0u);
}

void W43trace(const TempFolder& f) {
  StartOptions o;
  o.workDir = f.Str();
  o.captureOutput = true;
  Process p = Process::Start("\"" + f.File("W43TRACE.EXE") + "\"", o);
  EXPECT_EQ(p.WaitExit(), 0u);
  EXPECT_EQ(p.Output(), "");
  Bytes file = ReadBytes(f.File(std::string(trace::kW43Trace.fileName)));
  Bytes expected(trace::kTraceFileSize, 0);  // zeros wherever the driver put nothing
  Bytes record = TraceRecord();
  std::copy(record.begin(), record.end(), expected.begin());
  EXPECT_EQ(file.size(), trace::kTraceFileSize);
  std::size_t shown = std::min<std::size_t>(64, file.size());
  EXPECT_TRUE(file == expected) << "W43TRACE.DAT begins "
                                << Hex(Bytes(file.begin(), file.begin() + shown));
}

// ------------------------------------------------------------------ the table

std::string EftRead(int handle, const Bytes& answer) {
  return "EftRead(handle=" + std::to_string(handle) +
         ", buffer=out, capacity=" + std::to_string(eft::kResponseBufferSize) +
         ", read=out) -> 0, buffer=" + Hex(answer) + ", read=" + std::to_string(answer.size());
}

std::string Opened(const char* function, int handle) {
  return std::string(function) + "(handle=out, port=" + kPortText +
         ") -> 0, handle=" + std::to_string(handle);
}

struct Shipped {
  const char* name;
  const char* builtIn;             // the build's folder the program is copied from
  const char* built;               // its file name there
  const char* exe;                 // its name beside the drop-in
  const char* dll;                 // the drop-in library, by its file name
  Lines exports;                   // what the drop-in exports, by plain name
  void (*run)(const TempFolder&);  // drives the program and checks what it shows
  Lines calls;                     // the drop-in's log afterwards ({folder}: the program's folder)
};

// clang-format off
const Shipped kShipped[] = {
    {"WNT43APD", DROPIN_BIN_DIR, "WNT43APD.exe", "WNT43APD.EXE", "WNT43EFT.DLL",
     {"EftOpen", "EftOpenParms", "EftWrite", "EftRead", "EftClose", "EftDload"},
     Wnt43apd,
     {Opened("EftOpenParms", 1),
      "EftWrite(handle=1, frame=[0E 02], length=2, written=out) -> 0, written=2",
      EftRead(1, kDualDeviceType),
      "EftClose(handle=1) -> 0",
      Opened("EftOpenParms", 2),
      "EftDload(handle=2, path=\"{folder}\\dual.hex\") -> 0",
      "EftClose(handle=2) -> 0",
      Opened("EftOpenParms", 3),
      "EftWrite(handle=3, frame=[00], length=1, written=out) -> 0, written=1",
      EftRead(3, DeviceInformation()),
      "EftClose(handle=3) -> 0"}},
    {"WNTDLD42", DROPIN_DIST_DIR, "WNTDLD42.EXE", "WNTDLD42.EXE", "WNT42PIN.DLL",
     {"PinOpen", "PinOpenParms", "PinLoadMasterKey", "PinEnterMasterKey", "PinLoadKey",
      "PinLoadICV", "PinLoadVerifParms", "PinSetModeEnc", "PinSetModeClr", "PinReadSN",
      "PinExecDevDiag", "PinClose"},
     Wntdld42,
     {Opened("PinOpenParms", 1),
      "PinLoadMasterKey(handle=1, keyType=" + std::to_string(PIN_KEY_8_BYTE) + ", key=" +
          Hex(kMasterKey) + ", response=out) -> 0, response=" + Hex(kMasterKeyResponse),
      "PinReadSN(handle=1, serial=out) -> 0, serial=" + Hex(kSerialNumber),
      "PinClose(handle=1) -> 0"}},
    {"W43TRACE", DROPIN_DIST_DIR, "W43TRACE.EXE", "W43TRACE.EXE", "WNT43PDD.DLL",
     {"PddTrace"},
     W43trace,
     {"PddTrace(buffer=out) -> 1, buffer=" + Hex(TraceRecord())}},
};
// clang-format on

// A failure names the program, not the bytes of its table entry.
void PrintTo(const Shipped& s, std::ostream* os) { *os << s.name; }

class Dropin : public ::testing::TestWithParam<Shipped> {};

TEST_P(Dropin, RunsBesideTheThirdPartyLibraryWithTheExpectedCalls) {
  const Shipped& s = GetParam();
  TempFolder f(std::string("dropin-") + s.name);
  std::string built = std::string(s.builtIn) + "\\" + s.built;
  std::string dll = std::string(DROPIN_DLL_DIR) + "\\" + s.dll;
  ASSERT_TRUE(CopyFileA(built.c_str(), f.File(s.exe).c_str(), TRUE)) << built;
  ASSERT_TRUE(CopyFileA(dll.c_str(), f.File(s.dll).c_str(), TRUE)) << dll;

  EXPECT_TRUE(ExportsPlainNames(f.File(s.dll), s.exports));

  s.run(f);
  Lines expected;
  for (std::string line : s.calls) {
    std::size_t mark = line.find(kFolderMark);
    if (mark != std::string::npos) line.replace(mark, std::strlen(kFolderMark), f.Str());
    expected.push_back(line);
  }
  std::string dllName(s.dll);
  std::string log = f.File(dllName.substr(0, dllName.rfind('.')) + ".LOG");
  EXPECT_EQ(ReadLog(log), expected);
}

INSTANTIATE_TEST_SUITE_P(Shipped, Dropin, ::testing::ValuesIn(kShipped),
                         [](const ::testing::TestParamInfo<Shipped>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
