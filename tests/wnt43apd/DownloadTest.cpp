// The download program's run against a scripted EFT library: texts, results, calls, pause.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "eft/FakeEftApi.h"
#include "tests/support/TempFolder.h"
#include "wnt43apd/Download.h"

namespace {

using Names = std::vector<std::string>;

const char kUsage[] =
    "8343 Application Download Program ended:  Invalid program invocation.\n\n"
    "Valid usage:W43APDL  [drive:path\\]filename.hex [port]\n"
    "   where\n"
    "       filename = file name of device application to be downloaded\n"
    "       port     = serial communications port number (1 to 256)    \n"
    "                  If not provided, the 8343 port value specified in the \n"
    "                  registry is used.  If not specified in the registry, \n"
    "                  then communications port 1 is assumed.              \n";

const char kVerify[] =
    "Verify 8343 device-support code is properly installed.  Verify  device\n"
    "is attached to the specified COM port.  Then, retry. \n";

const std::string kCannotOpen =
    std::string("\n8343 Application Download Program ended:  Cannot open 8343 device.\n") + kVerify;
const std::string kDeviceType =
    "\n8343 Application Download Program ended:  Internal error reading device type. \n"
    "Retry after powering device off and on.\n";
const std::string kMismatch =
    "\n8343 Application Download Program ended:  The processor type of the device\n"
    "and the microcode application do not match.  For example, the device is a\n"
    "dual processor device, but the microcode application is for a single processor\n"
    "device.\n";
const std::string kFileNotOpened =
    "\n8343 Application Download Program ended:  Cannot open the file specified by parameter 1.\n"
    "Verify the file to be downloaded is in the specified directory.  Then, retry.\n";
const std::string kNoCommunication =
    std::string(
        "\n8343 Application Download Program ended:  Cannot communicate with 8343 device.\n") +
    kVerify;
const std::string kInternal =
    std::string("\n8343 Application Download Program ended:  Internal error.\n") + kVerify;
const std::string kSucceeded = "\n\n8343 Application Download Program completed successfully.\n\n";

// A pause that also remembers how much had been printed when it was asked to wait.
class WatchingPause : public ui::Pause {
 public:
  explicit WatchingPause(const wnt43apd::StringOutput& out) : out_(out) {}
  void Wait(unsigned ms) override {
    waits.push_back(ms);
    printedBefore.push_back(out_.Text());
  }
  std::vector<unsigned> waits;
  std::vector<std::string> printedBefore;

 private:
  const wnt43apd::StringOutput& out_;
};

std::vector<std::uint8_t> TypeAnswer(bool dual) {
  return {0x00, 0x00, 0x02, 0x00, 0x01, std::uint8_t(dual ? 0x02 : 0x00)};
}

std::vector<std::uint8_t> InfoAnswer() {
  std::string text = "41-12345";
  text += "MCODE 3.20 ABCD";  // 15 characters: only 14 belong to the field
  text.resize(8 + 14);
  text += std::string("APPLICATION-123456", 18);
  text += std::string("SECURITY 1.10\0\0", 14);
  text += std::string("SECAPP 0100 XYZW", 16);
  std::vector<std::uint8_t> a(1 + text.size(), 0x00);  // RC 00, then the fields
  std::copy(text.begin(), text.end(), a.begin() + 1);
  return a;
}

const std::string kIdentification =
    "8343 Device Serial Number:  41-12345\n"
    "Main Processor Microcode Version:  MCODE 3.20 ABC\n"
    "Main Processor Application:  APPLICATION-123456\n"
    "Security Processor Microcode Version:  SECURITY 1.10\n"
    "Security Processor Application:  SECAPP 0100 XYZW\n";

class Download : public ::testing::Test {
 protected:
  void SetUp() override {
    dual_ = dir_.Write("dual.hex", ":20000000AAAAAAAA\n:2040000000112233\n:00000001FF\n");
    single_ = dir_.Write("single.hex", ":20000000AAAAAAAA\n:2070000000112233\n:00000001FF\n");
  }
  int Run(std::vector<std::string> args) { return wnt43apd::Run(args, api, pause, out); }

  eft::FakeEftApi api;
  wnt43apd::StringOutput out;
  WatchingPause pause{out};
  const support::TempFolder dir_{"wnt43apd-test"};
  std::string dual_, single_;
};

TEST_F(Download, NoArgumentOrThreeShowTheUsageWithStatusOneAndNoLibraryCall) {
  for (std::vector<std::string> args :
       {std::vector<std::string>{}, std::vector<std::string>{"a.hex", "3", "x"},
        std::vector<std::string>{"a", "b", "c", "d"}}) {
    wnt43apd::StringOutput text;
    EXPECT_EQ(wnt43apd::Run(args, api, pause, text), 1) << args.size();
    EXPECT_EQ(text.Text(), kUsage) << args.size();
  }
  EXPECT_TRUE(api.calls.empty());
  EXPECT_TRUE(pause.waits.empty());
}

TEST_F(Download, SuccessPausesThenReportsAndPrintsTheIdentification) {
  api.answers = {TypeAnswer(true), InfoAnswer()};
  EXPECT_EQ(Run({dual_}), 0);
  EXPECT_EQ(out.Text(), kSucceeded + kIdentification);
  ASSERT_EQ(pause.waits, std::vector<unsigned>{2000});
  EXPECT_EQ(pause.printedBefore[0], "");  // the pause comes before the success message
  EXPECT_EQ(api.Functions(),
            (Names{"EftOpen", "EftWrite", "EftRead", "EftClose",     // Read Device Type
                   "EftOpen", "EftDload", "EftClose",                // download
                   "EftOpen", "EftWrite", "EftRead", "EftClose"}));  // Read Device Information
  EXPECT_EQ(api.calls[1].data, (std::vector<std::uint8_t>{0x0E, 0x02}));
  EXPECT_EQ(api.calls[5].path, dual_);
  EXPECT_EQ(api.calls[5].handle, api.handleValue);
  EXPECT_EQ(api.calls[6].handle, api.handleValue);
  EXPECT_EQ(api.calls[8].data, (std::vector<std::uint8_t>{0x00}));
}

TEST_F(Download, SingleProcessorTerminalTakesA7000File) {
  api.answers = {TypeAnswer(false), InfoAnswer()};
  EXPECT_EQ(Run({single_}), 0);
  EXPECT_EQ(out.Text(), kSucceeded + kIdentification);
}

TEST_F(Download, ProcessorMismatchBothWaysGivesThreeWithoutDownload) {
  const std::pair<bool, std::string*> cases[] = {{true, &single_}, {false, &dual_}};
  for (const auto& [dual, file] : cases) {
    eft::FakeEftApi fresh;
    fresh.answers = {TypeAnswer(dual)};
    wnt43apd::StringOutput text;
    EXPECT_EQ(wnt43apd::Run(std::vector<std::string>{*file}, fresh, pause, text), 3) << *file;
    EXPECT_EQ(text.Text(), kMismatch);
    EXPECT_EQ(fresh.Functions(), (Names{"EftOpen", "EftWrite", "EftRead", "EftClose"}));
  }
  EXPECT_TRUE(pause.waits.empty());
}

TEST_F(Download, OnlyTheTwoAddressCharactersOfTheTagMatterByteForByte) {
  // The count of record 2 and what follows the address do not matter; case and blanks do.
  const std::string longFirst = ":" + std::string(wnt43apd::kTagSearchLimit - 2, '0');
  const std::pair<std::string, int> cases[] = {
      {longFirst + ":104000", 0},   // the second ':' just within the characters looked at
      {longFirst + "0:104000", 3},  // one character later: not an application file
      {":X\n:FF4000ZZ", 0},
      {"::004000", 0},  // the first character is passed over, even a ':'
      {":20000000\r\n:1040001", 0},
      {":20000000\n:20400", 3},  // ends inside the tag
      {":20000000\n:20", 3},     // ends before the tag
      {":20000000\n:", 3},
      {":20000000 no second record", 3},  // never finds the second ':'
      {"", 3},
      {":", 3},
      {":20000000\n:20 4000", 3},
      {":20000000\n:2040OO", 3},
      {":20000000\n:207000", 3},
  };
  for (const auto& [text, result] : cases) {
    eft::FakeEftApi fresh;
    fresh.answers = {TypeAnswer(true), InfoAnswer()};
    wnt43apd::StringOutput printed;
    std::string path = dir_.Write("tag.hex", text);
    EXPECT_EQ(wnt43apd::Run(std::vector<std::string>{path}, fresh, pause, printed), result)
        << text.substr(0, 40);
  }
}

TEST_F(Download, MissingFileOrNoPlainFileGivesEighteenOhEightAfterTheTypeExchange) {
  // A folder, like a device name, is not a file to read a tag from.
  for (std::string path : {dir_.File("missing.hex"), dir_.Str(), std::string("COM1")}) {
    eft::FakeEftApi fresh;
    fresh.answers = {TypeAnswer(true)};
    wnt43apd::StringOutput text;
    EXPECT_EQ(wnt43apd::Run(std::vector<std::string>{path}, fresh, pause, text), 1808) << path;
    EXPECT_EQ(text.Text(), kFileNotOpened);
    EXPECT_EQ(fresh.Functions(), (Names{"EftOpen", "EftWrite", "EftRead", "EftClose"}));
  }
}

TEST_F(Download, TypeExchangeFailingAtAnyStepGivesEighteenOhNine) {
  for (const char* failing : {"EftOpen", "EftWrite", "EftRead", "EftClose"}) {
    eft::FakeEftApi fresh;
    fresh.Script(failing, 2);
    fresh.answers = {TypeAnswer(true)};
    wnt43apd::StringOutput text;
    EXPECT_EQ(wnt43apd::Run(std::vector<std::string>{dual_}, fresh, pause, text), 1809) << failing;
    EXPECT_EQ(text.Text(), kNoCommunication) << failing;
    // Nothing after the failing call.
    EXPECT_EQ(fresh.Functions().back(), failing);
  }
}

TEST_F(Download, UnexpectedTypeAnswerGivesTwo) {
  const std::vector<std::uint8_t> answers[] = {
      {0x01, 0x00, 0x02, 0x00, 0x01, 0x02},  // nonzero RC
      {0x00, 0x01, 0x02, 0x00, 0x01, 0x02},  // bytes 1-2
      {0x00, 0x00, 0x03, 0x00, 0x01, 0x02},
      {0x00, 0x00, 0x02, 0x01, 0x01, 0x02},  // bytes 3-4
      {0x00, 0x00, 0x02, 0x00, 0x02, 0x02},
      {0x00},  // an RC alone: the rest of the cleared buffer is zero, never an older answer
  };
  for (const auto& answer : answers) {
    eft::FakeEftApi fresh;
    fresh.answers = {answer};
    wnt43apd::StringOutput text;
    EXPECT_EQ(wnt43apd::Run(std::vector<std::string>{dual_}, fresh, pause, text), 2);
    EXPECT_EQ(text.Text(), kDeviceType);
    EXPECT_EQ(fresh.calls.size(), 4u);
  }
}

TEST_F(Download, OpenFailingBeforeTheDownloadGivesOne) {
  api.answers = {TypeAnswer(true)};
  api.Script("EftOpen", 0);
  api.Script("EftOpen", 31);
  EXPECT_EQ(Run({dual_}), 1);
  EXPECT_EQ(out.Text(), kCannotOpen);
  EXPECT_EQ(api.Functions(), (Names{"EftOpen", "EftWrite", "EftRead", "EftClose", "EftOpen"}));
}

TEST_F(Download, EveryDownloadResultSelectsItsRowAndBecomesTheExitStatus) {
  const std::pair<eft::Status, std::string> rows[] = {
      {1, kCannotOpen},         {2, kDeviceType}, {3, kMismatch},    {1808, kFileNotOpened},
      {1809, kNoCommunication}, {4, kInternal},   {1810, kInternal}, {65535, kInternal},
  };
  for (const auto& [code, text] : rows) {
    eft::FakeEftApi fresh;
    fresh.answers = {TypeAnswer(true)};
    fresh.Script("EftDload", code);
    wnt43apd::StringOutput printed;
    EXPECT_EQ(wnt43apd::Run(std::vector<std::string>{dual_}, fresh, pause, printed), code);
    EXPECT_EQ(printed.Text(), text) << code;
    EXPECT_EQ(fresh.Functions().back(), "EftClose") << code;  // the handle is closed anyway
    EXPECT_EQ(fresh.calls.size(), 7u) << code;                // and nothing is read after
  }
  EXPECT_TRUE(pause.waits.empty());
}

TEST_F(Download, CloseAfterTheDownloadDoesNotChangeTheResult) {
  api.answers = {TypeAnswer(true), InfoAnswer()};
  api.Script("EftClose", 0);
  api.Script("EftClose", 6);
  EXPECT_EQ(Run({dual_}), 0);
  EXPECT_EQ(out.Text(), kSucceeded + kIdentification);
}

TEST_F(Download, FailedIdentificationPrintsNothingMoreAndKeepsZero) {
  api.answers = {TypeAnswer(true)};
  api.Script("EftOpen", 0);
  api.Script("EftOpen", 0);
  api.Script("EftOpen", 2);
  EXPECT_EQ(Run({dual_}), 0);
  EXPECT_EQ(out.Text(), kSucceeded);
}

TEST_F(Download, IdentificationFieldsEndAtAZeroByte) {
  std::vector<std::uint8_t> info(71, 0);
  const char serial[] = "41-1";
  std::copy(serial, serial + 4, info.begin() + 1);
  info[9] = 'M';
  info[23] = 'A';
  info[24] = 'B';
  info[41] = 0;
  info[42] = 'X';  // after the zero byte: not printed
  info[55] = 'S';
  api.answers = {TypeAnswer(true), info};
  EXPECT_EQ(Run({dual_}), 0);
  EXPECT_EQ(out.Text(), kSucceeded +
                            "8343 Device Serial Number:  41-1\n"
                            "Main Processor Microcode Version:  M\n"
                            "Main Processor Application:  AB\n"
                            "Security Processor Microcode Version:  \n"
                            "Security Processor Application:  S\n");
}

TEST_F(Download, WithAPortArgumentEveryOpenUsesEftOpenParmsWithThatPort) {
  api.answers = {TypeAnswer(true), InfoAnswer()};
  EXPECT_EQ(Run({dual_, "12ab"}), 0);
  int opens = 0;
  for (const eft::EftCall& c : api.calls) {
    EXPECT_NE(c.function, "EftOpen");
    if (c.function == "EftOpenParms") {
      ++opens;
      EXPECT_EQ(c.port, 12);
    }
  }
  EXPECT_EQ(opens, 3);
}

TEST_F(Download, PortArgumentZeroOrOutOfRangeStillUsesEftOpenParmsWithZero) {
  for (const char* text : {"abc", "0", "65539", "-1"}) {
    eft::FakeEftApi fresh;
    fresh.Script("EftOpenParms", 2);  // no terminal on "port 0"
    wnt43apd::StringOutput printed;
    EXPECT_EQ(wnt43apd::Run(std::vector<std::string>{dual_, text}, fresh, pause, printed), 1809);
    ASSERT_EQ(fresh.calls.size(), 1u);
    EXPECT_EQ(fresh.calls[0].function, "EftOpenParms");
    EXPECT_EQ(fresh.calls[0].port, 0) << text;
  }
}

}  // namespace
