// WNT43APD under Wine against the emulated 8343 terminal of the stand-in WNT43EFT.dll, set up
// with the simdev command; exit codes read in full by this Windows parent.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "simdev/win32/ComPort.h"
#include "tests/e2e/E2e.h"
#include "tests/support/TempFolder.h"
#include "tools/DeviceServer.h"
#include "tools/UiAuto.h"

using namespace uiauto;

namespace {

// An application in the layout the programs expect: a 32-byte record at 0000, then data
// records from `start` upwards, then the end record.
std::string Application(unsigned start, unsigned records) {
  std::string text = e2e::HexRecord(0, 0x0000, std::vector<std::uint8_t>(32, 0x55));
  for (unsigned r = 0; r < records; ++r) {
    std::vector<std::uint8_t> data(32);
    for (unsigned i = 0; i < 32; ++i) data[i] = static_cast<std::uint8_t>(r * 32 + i);
    text += e2e::HexRecord(0, start + r * 32, data);
  }
  return text + ":00000001FF\r\n";
}

using e2e::Crlf;

const char kFileNotOpened[] =
    "\n8343 Application Download Program ended:  Cannot open the file specified by parameter 1.\n"
    "Verify the file to be downloaded is in the specified directory.  Then, retry.\n";

const char kVerify[] =
    "Verify 8343 device-support code is properly installed.  Verify  device\n"
    "is attached to the specified COM port.  Then, retry. \n";

class Wnt43apd : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_.Write("dual.hex", Application(0x4000, 8));
    temp_.Write("single.hex", Application(0x7000, 8));
    server_.emplace(state_);
  }
  void TearDown() override { server_.reset(); }
  StartOptions Options() {
    StartOptions o;
    o.workDir = dir_;
    o.env = {{"SIMDEV_STATE_DIR", state_}};
    o.captureOutput = true;
    return o;
  }
  // Runs simdev with the test's state directory and expects it to succeed.
  std::string Simdev(const std::string& args) {
    Process p = Process::Start(e2e::Program("simdev.exe") + " " + args, Options());
    DWORD code = p.WaitExit();
    EXPECT_EQ(code, 0u) << "simdev " << args << ": " << p.Output();
    server_->Sync();
    return p.Output();
  }
  // Runs WNT43APD; its exit code and what it printed.
  DWORD Apd(const std::string& args, std::string* output = nullptr, DWORD* elapsedMs = nullptr) {
    DWORD start = GetTickCount();
    Process p = Process::Start(e2e::Program("WNT43APD.exe") + " " + args, Options());
    DWORD code = p.WaitExit(30000);
    if (elapsedMs) *elapsedMs = GetTickCount() - start;
    if (output) *output = p.Output();
    return code;
  }

  const support::TempFolder temp_{"wnt43apd-e2e"};
  const std::string dir_ = temp_.Str(), state_ = temp_.File("state");
  std::optional<uiauto::DeviceServer> server_;  // the devices of state_, on COM ports
};

TEST_F(Wnt43apd, DownloadsWaitsAndPrintsTheIdentification) {
  Simdev("attach COM5 8343 dual serial=41-00017");
  std::string out;
  DWORD elapsed = 0;
  EXPECT_EQ(Apd("dual.hex 5", &out, &elapsed), 0u);
  EXPECT_EQ(out, Crlf("\n\n8343 Application Download Program completed successfully.\n\n"
                      "8343 Device Serial Number:  41-00017\n"
                      "Main Processor Microcode Version:  MM 03.20\n"
                      "Main Processor Application:  DUAL\n"
                      "Security Processor Microcode Version:  SM 01.10\n"
                      "Security Processor Application:  SECURITY 01.00\n"));
  EXPECT_GE(elapsed, 2000u);  // the two-second pause after the download
  std::string shown = Simdev("show COM5");
  EXPECT_NE(shown.find("image: 0000-001F 4000-40FF (288 bytes)"), std::string::npos) << shown;
  std::string trace = Simdev("trace WNT43PDD show");
  EXPECT_NE(trace.find("sent status=0: 0E 02"), std::string::npos) << trace;
  EXPECT_NE(trace.find("download status=0: dual.hex"), std::string::npos) << trace;
}

TEST_F(Wnt43apd, DownloadsAFileWrittenBySrecCat) {
  Simdev("attach 6 8343 dual");
  std::string out;
  EXPECT_EQ(Apd(std::string("\"") + SREC_DUAL_HEX + "\" 6", &out), 0u) << out;
  // Fields shorter than their width end at the terminal's zero bytes; a serial number never
  // loaded is all zeros and prints as nothing.
  EXPECT_NE(out.find(Crlf("8343 Device Serial Number:  \n")), std::string::npos) << out;
  std::string shown = Simdev("show 6");
  EXPECT_NE(shown.find("image: 0000-001F 4000-7FFF (16416 bytes)"), std::string::npos) << shown;
}

TEST_F(Wnt43apd, NoTerminalAttachedAtTheTypeCheckIs1809) {
  std::string out;
  EXPECT_EQ(Apd("dual.hex 7", &out), 1809u);
  EXPECT_EQ(out, Crlf(std::string("\n8343 Application Download Program ended:  Cannot "
                                  "communicate with 8343 device.\n") +
                      kVerify));
}

TEST_F(Wnt43apd, ProcessorMismatchBothWaysIs3) {
  const std::string mismatch = Crlf(
      "\n8343 Application Download Program ended:  The processor type of the device\n"
      "and the microcode application do not match.  For example, the device is a\n"
      "dual processor device, but the microcode application is for a single processor\n"
      "device.\n");
  Simdev("attach 8 8343 dual");
  Simdev("attach 9 8343 single");
  std::string out;
  DWORD elapsed = 0;
  EXPECT_EQ(Apd("single.hex 8", &out, &elapsed), 3u);
  EXPECT_EQ(out, mismatch);
  EXPECT_LT(elapsed, 2000u);  // no pause without a download
  EXPECT_EQ(Apd("dual.hex 9", &out), 3u);
  EXPECT_EQ(out, mismatch);
  EXPECT_EQ(Apd("single.hex 9", &out), 0u);
  std::string shown = Simdev("show 8");
  EXPECT_NE(shown.find("image: none"), std::string::npos) << shown;
}

TEST_F(Wnt43apd, MissingFileIs1808AfterTheTypeExchange) {
  Simdev("attach 10 8343 dual");
  std::string out;
  EXPECT_EQ(Apd("missing.hex 10", &out), 1808u);
  EXPECT_EQ(out, Crlf(kFileNotOpened));
  std::string trace = Simdev("trace WNT43PDD show");
  EXPECT_NE(trace.find("sent status=0: 0E 02"), std::string::npos) << trace;
  EXPECT_EQ(trace.find("download"), std::string::npos) << trace;
}

// The fixture maps COM9 to a device that never ends; the port typed where the file goes, or a
// file named after it, is no file: 1808 at once rather than a tag check that never ends.
TEST_F(Wnt43apd, AFileArgumentNamingASerialDeviceIs1808WithoutReadingIt) {
  Simdev("attach 14 8343 dual");
  for (const char* name : {"COM9", "COM9.HEX", "com9.hex"}) {
    std::string out;
    EXPECT_EQ(Apd(std::string(name) + " 14", &out), 1808u) << name;
    EXPECT_EQ(out, Crlf(kFileNotOpened));
  }
}

TEST_F(Wnt43apd, OpenFailingBeforeTheDownloadIs1) {
  Simdev("attach 11 8343 dual");
  Simdev("fault 11 open skip=1");  // the type check's open passes, the download's fails
  std::string out;
  EXPECT_EQ(Apd("dual.hex 11", &out), 1u);
  EXPECT_EQ(out, Crlf(std::string("\n8343 Application Download Program ended:  Cannot open 8343 "
                                  "device.\n") +
                      kVerify));
}

TEST_F(Wnt43apd, DownloadCodesOfTheLibraryPassThroughTheTable) {
  Simdev("attach 12 8343 dual");
  // A corrupt file with the right tag: the library refuses it with 1810, "Internal error."
  std::string corrupt = Application(0x4000, 2);
  corrupt[corrupt.find("\r\n:2040") - 1] ^= 1;  // break the first data record's checksum
  temp_.Write("corrupt.hex", corrupt);
  std::string out;
  EXPECT_EQ(Apd("corrupt.hex 12", &out), 1810u);
  EXPECT_EQ(out, Crlf(std::string("\n8343 Application Download Program ended:  Internal error.\n") +
                      kVerify));
  Simdev("fault 12 dload 2");
  EXPECT_EQ(Apd("dual.hex 12", &out), 2u);
  EXPECT_EQ(out, Crlf("\n8343 Application Download Program ended:  Internal error reading device "
                      "type. \nRetry after powering device off and on.\n"));
  Simdev("fault 12 read skip=1");  // the download's transfer fails
  EXPECT_EQ(Apd("dual.hex 12", &out), 1809u);
  Simdev("fault 12 dload 65535");
  EXPECT_EQ(Apd("dual.hex 12", &out), 65535u);  // all 16 bits reach the parent
}

// Faults of the serial line: what is retried goes through, what is not ends as 1809 with the
// earlier image kept; the driver's trace shows the line's events.
TEST_F(Wnt43apd, LineFaultsAreRetriedOrEndAs1809WithNothingStored) {
  Simdev("attach 15 8343 dual");
  const std::pair<const char*, DWORD> cases[] = {
      {"line silence 4", 1809u},      // the type check's open is never answered
      {"line unplug skip=6", 1809u},  // gone at the first block, after the download began
      {"clear", 1809u},               // plugged in again, but another program holds the port
      {"line garble", 0u},            // asked for again, then answered
      {"line drop 2", 0u},
  };
  for (const auto& [fault, code] : cases) {
    Simdev(std::string("fault 15 ") + fault);
    std::uint16_t status = 0;
    auto held = code != 0 && std::string(fault) == "clear" ? simdev::win32::OpenComPort(15, &status)
                                                           : nullptr;
    std::string out;
    EXPECT_EQ(Apd("dual.hex 15", &out), code) << fault << ": " << out;
    if (code != 0) {
      EXPECT_NE(Simdev("show 15").find("image: none"), std::string::npos) << fault;
    }
  }
  EXPECT_NE(Simdev("show 15").find("image: 0000-001F 4000-40FF"), std::string::npos);
  std::string trace = Simdev("trace WNT43PDD show");
  for (const char* event : {"line status=0: 05", "line status=0: 07", "line status=0: 04",
                            "line status=0: 01", "line status=0: 03"})
    EXPECT_NE(trace.find(event), std::string::npos) << event << "\n" << trace;
}

// The devices served from Windows COM ports, on a second PC behind a null-modem cable: here
// simdev.exe under Wine on COM22, joined to the programs' COM21 by the native server's cable.
TEST_F(Wnt43apd, DevicesServedFromComPortsBehindACableAnswerAsAnyOther) {
  std::string remote = dir_ + "\\remote";
  uiauto::DeviceServer cable(dir_ + "\\cable", "--cable COM21=COM22");
  StartOptions o = Options();
  o.env = {{"SIMDEV_STATE_DIR", remote}};
  Process attach = Process::Start(e2e::Program("simdev.exe") + " attach COM21 8343 dual", o);
  ASSERT_EQ(attach.WaitExit(), 0u) << attach.Output();
  Process served = Process::Start(e2e::Program("simdev.exe") + " serve COM21=COM22", o);
  for (int i = 0;
       i < 100 && GetFileAttributesA((remote + "\\serve.lines").c_str()) == INVALID_FILE_ATTRIBUTES;
       ++i)
    Sleep(100);
  std::string out;
  EXPECT_EQ(Apd("dual.hex 21", &out), 0u) << out;
  std::ofstream(remote + "\\serve.stop").put('\n');
  EXPECT_EQ(served.WaitExit(), 0u);
  EXPECT_NE(served.Output().find("COM21 received "), std::string::npos) << served.Output();
  Process show = Process::Start(e2e::Program("simdev.exe") + " show COM21", o);
  show.WaitExit();
  EXPECT_NE(show.Output().find("image: 0000-001F 4000-40FF"), std::string::npos) << show.Output();
}

TEST_F(Wnt43apd, AnUnexpectedTypeAnswerIs2) {
  Simdev("attach 13 8343 dual");
  Simdev("fault 13 rc 0A");
  std::string out;
  EXPECT_EQ(Apd("dual.hex 13", &out), 2u);
  Simdev("fault 13 short 3");
  EXPECT_EQ(Apd("dual.hex 13", &out), 2u);
}

TEST_F(Wnt43apd, APortOutside16BitsNamesNoPortInsteadOfWrapping) {
  Simdev("attach 3 8343 dual");
  std::string out;
  EXPECT_EQ(Apd("dual.hex 65539", &out), 1809u);  // not COM3
  EXPECT_EQ(Apd("dual.hex \" +3xyz\"", &out), 0u) << out;
}

TEST_F(Wnt43apd, WrongArgumentCountsShowTheUsageWithStatus1) {
  const std::string usage = Crlf(
      "8343 Application Download Program ended:  Invalid program invocation.\n\n"
      "Valid usage:W43APDL  [drive:path\\]filename.hex [port]\n"
      "   where\n"
      "       filename = file name of device application to be downloaded\n"
      "       port     = serial communications port number (1 to 256)    \n"
      "                  If not provided, the 8343 port value specified in the \n"
      "                  registry is used.  If not specified in the registry, \n"
      "                  then communications port 1 is assumed.              \n");
  std::string out;
  EXPECT_EQ(Apd("", &out), 1u);
  EXPECT_EQ(out, usage);
  EXPECT_EQ(Apd("a.hex 1 2", &out), 1u);
  EXPECT_EQ(out, usage);
}

}  // namespace
