// W4XTRACE and W43TRACE under Wine against the stand-in port drivers WNT4XPDD.dll and
// WNT43PDD.dll: the trace file byte for byte, the messages and the exit statuses, and that the
// two builds differ only in driver, file name and message.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "simdev/Trace.h"
#include "tests/e2e/E2e.h"
#include "tests/support/TempFolder.h"
#include "tools/DeviceServer.h"
#include "tools/UiAuto.h"

using namespace uiauto;
using Bytes = std::vector<std::uint8_t>;
using e2e::ReadBytes;

namespace {

// What each program is, stated here independently of the programs' own constants.
struct TraceProgram {
  const char* exe;
  const char* driver;
  const char* file;
  const char* notActive;    // as standard output shows it, line feeds as CR LF
  const char* cannotWrite;  // likewise
};
const TraceProgram kW4x{"W4XTRACE.exe", "WNT4XPDD", "W4XTRACE.DAT",
                        "\r\nERROR, PddTrace not active in wnt4xpdd.dll !\r\n",
                        "\r\nERROR, cannot write W4XTRACE.DAT !\r\n"};
const TraceProgram kW43{"W43TRACE.exe", "WNT43PDD", "W43TRACE.DAT",
                        "\r\nERROR, PddTrace not active in wnt43pdd.dll !\r\n",
                        "\r\nERROR, cannot write W43TRACE.DAT !\r\n"};

constexpr DWORD kWritten = 0, kCannotWrite = 1, kNotActive = 2;
constexpr std::size_t kFileSize = 8192;

struct Result {
  DWORD code;
  std::string output;
};

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

FILETIME LastWrite(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

// A record as a port driver keeps it; `fill` makes each record's data its own.
simdev::trace::Record MakeRecord(std::uint8_t kind, std::size_t size, std::uint8_t fill) {
  simdev::trace::Record r;
  r.kind = kind;
  r.model = 8342;
  r.port = 2;
  r.data.resize(size);
  for (std::size_t i = 0; i < size; ++i) r.data[i] = static_cast<std::uint8_t>(fill + i);
  return r;
}

class Trace : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDirectoryA(work_.c_str(), nullptr);
    CreateDirectoryA(state_.c_str(), nullptr);
    server_.emplace(state_);
    // The drivers ask the device on port 1 (no port recorded) for their traces.
    Simdev("attach COM1 8343 dual");
  }
  void TearDown() override { server_.reset(); }

  StartOptions Options(const std::string& workDir) {
    StartOptions o;
    o.workDir = workDir;
    o.env = {{"SIMDEV_STATE_DIR", state_}};
    o.captureOutput = true;
    return o;
  }
  Result Start(const std::string& commandLine, const std::string& workDir) {
    Process p = Process::Start(commandLine, Options(workDir));
    DWORD code = p.WaitExit(30000);
    return {code, p.Output()};
  }
  Result Capture(const TraceProgram& program, const std::string& args = "") {
    return Start(e2e::Program(program.exe) + (args.empty() ? "" : " " + args), work_);
  }
  void Simdev(const std::string& args) {
    Result r = Start(e2e::Program("simdev.exe") + " " + args, work_);
    EXPECT_EQ(r.code, 0u) << "simdev " << args << ": " << r.output;
    server_->Sync();
  }
  // Adds records to a driver's trace and returns them as the driver numbers and stores them.
  Bytes Append(const char* driver, std::vector<simdev::trace::Record> records) {
    Bytes expected;
    auto kept = simdev::trace::Decode(simdev::trace::Read(state_, driver));
    std::uint32_t sequence = kept.empty() ? 0 : kept.back().sequence;
    for (simdev::trace::Record& r : records) {
      EXPECT_TRUE(simdev::trace::Append(state_, driver, r));
      r.sequence = ++sequence;
      Bytes one = simdev::trace::Encode(r);
      expected.insert(expected.end(), one.begin(), one.end());
    }
    return expected;
  }
  std::string InWork(const std::string& name) const { return work_ + "\\" + name; }

  const support::TempFolder temp_{"trace-e2e"};
  const std::string dir_ = temp_.Str(), work_ = temp_.File("work"), state_ = temp_.File("state");
  std::optional<uiauto::DeviceServer> server_;  // the devices of state_, on COM ports
};

class EachProgram : public Trace, public ::testing::WithParamInterface<const TraceProgram*> {
 protected:
  const TraceProgram& P() const { return *GetParam(); }
  std::string DatFile() const { return InWork(P().file); }
};

TEST_P(EachProgram, TracingOffPrintsTheMessageAndLeavesAnExistingFileAsItWas) {
  Append(P().driver, {MakeRecord(1, 8, 0x10)});
  Simdev(std::string("trace ") + P().driver + " off");

  // No file before: none after.
  Result r = Capture(P());
  EXPECT_EQ(r.code, kNotActive);
  EXPECT_EQ(r.output, P().notActive);
  EXPECT_FALSE(Exists(DatFile()));

  // An earlier file keeps its bytes and its time.
  const Bytes earlier(100, 0xA5);
  WriteBytes(DatFile(), earlier);
  HANDLE h =
      CreateFileA(DatFile().c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME old{0x2A1B4000, 0x01C0F9A5};  // a day in 2001
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &old));
  CloseHandle(h);
  r = Capture(P(), "any arguments");
  EXPECT_EQ(r.code, kNotActive);
  EXPECT_EQ(r.output, P().notActive);
  EXPECT_EQ(ReadBytes(DatFile()), earlier);
  FILETIME after = LastWrite(DatFile());
  EXPECT_EQ(CompareFileTime(&after, &old), 0);
}

TEST_P(EachProgram, ATraceTheDriverCannotReadIsNotActiveRatherThanEmpty) {
  ASSERT_TRUE(CreateDirectoryA((state_ + "\\" + P().driver + ".TRC").c_str(), nullptr));
  Result r = Capture(P());
  EXPECT_EQ(r.code, kNotActive);
  EXPECT_EQ(r.output, P().notActive);
  EXPECT_FALSE(Exists(DatFile()));
}

TEST_P(EachProgram, TracingOnWrites8192BytesWithZerosAfterWhatTheDriverFilled) {
  // Tracing on without a record: the driver fills nothing, the file is all zeros.
  Result r = Capture(P());
  EXPECT_EQ(r.code, kWritten);
  EXPECT_EQ(r.output, "");
  EXPECT_EQ(ReadBytes(DatFile()), Bytes(kFileSize, 0));

  Bytes filled = Append(P().driver, {MakeRecord(1, 3, 0x0E), MakeRecord(2, 40, 0x80),
                                     MakeRecord(4, 0, 0), MakeRecord(3, 12, 'a')});
  ASSERT_EQ(filled.size(), 4 * 16 + 55u);
  r = Capture(P());
  EXPECT_EQ(r.code, kWritten);
  EXPECT_EQ(r.output, "");
  Bytes file = ReadBytes(DatFile());
  ASSERT_EQ(file.size(), kFileSize);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + filled.size()), filled);
  EXPECT_EQ(std::count(file.begin() + filled.size(), file.end(), 0),
            static_cast<std::ptrdiff_t>(kFileSize - filled.size()));
}

TEST_P(EachProgram, TheFileHoldsExactlyTheFirst8192BytesOfALongerTrace) {
  std::vector<simdev::trace::Record> records;
  for (int i = 0; i < 20; ++i) records.push_back(MakeRecord(2, 1000, static_cast<std::uint8_t>(i)));
  Bytes filled = Append(P().driver, records);  // 20320 bytes
  Result r = Capture(P());
  EXPECT_EQ(r.code, kWritten);
  EXPECT_EQ(ReadBytes(DatFile()), Bytes(filled.begin(), filled.begin() + kFileSize));
}

TEST_P(EachProgram, ASecondRunReplacesTheFileRatherThanAppending) {
  WriteBytes(DatFile(), Bytes(10000, 0xEE));  // longer than a trace file
  Bytes first = Append(P().driver, {MakeRecord(1, 5, 1)});
  Result r = Capture(P());
  EXPECT_EQ(r.code, kWritten);
  Bytes file = ReadBytes(DatFile());
  ASSERT_EQ(file.size(), kFileSize);
  EXPECT_EQ(std::count(file.begin(), file.end(), 0xEE), 0);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + first.size()), first);

  Bytes second = Append(P().driver, {MakeRecord(2, 7, 0x40)});
  r = Capture(P());
  EXPECT_EQ(r.code, kWritten);
  file = ReadBytes(DatFile());
  ASSERT_EQ(file.size(), kFileSize);
  first.insert(first.end(), second.begin(), second.end());
  EXPECT_EQ(Bytes(file.begin(), file.begin() + first.size()), first);
  EXPECT_EQ(file[first.size()], 0);
}

TEST_P(EachProgram, AFileThatCannotBeWrittenIsReportedWithStatus1) {
  Append(P().driver, {MakeRecord(1, 4, 9)});
  // A directory of that name.
  ASSERT_TRUE(CreateDirectoryA(DatFile().c_str(), nullptr));
  Result r = Capture(P());
  EXPECT_EQ(r.code, kCannotWrite);
  EXPECT_EQ(r.output, P().cannotWrite);
  EXPECT_TRUE(GetFileAttributesA(DatFile().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_TRUE(RemoveDirectoryA(DatFile().c_str()));

  // An earlier file that another program holds open without sharing.
  const Bytes earlier(50, 0x5A);
  WriteBytes(DatFile(), earlier);
  HANDLE held = CreateFileA(DatFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  r = Capture(P());
  CloseHandle(held);
  EXPECT_EQ(r.code, kCannotWrite);
  EXPECT_EQ(r.output, P().cannotWrite);
  EXPECT_EQ(ReadBytes(DatFile()), earlier);
}

TEST_P(EachProgram, ArgumentsAreIgnored) {
  Append(P().driver, {MakeRecord(1, 6, 3)});
  Result plain = Capture(P());
  Bytes expected = ReadBytes(DatFile());
  ASSERT_TRUE(DeleteFileA(DatFile().c_str()));
  Result withArgs = Capture(P(), "/? -h OTHER.DAT 3");
  EXPECT_EQ(withArgs.code, plain.code);
  EXPECT_EQ(withArgs.output, plain.output);
  EXPECT_EQ(ReadBytes(DatFile()), expected);
  EXPECT_FALSE(Exists(InWork("OTHER.DAT")));
}

INSTANTIATE_TEST_SUITE_P(Programs, EachProgram, ::testing::Values(&kW4x, &kW43),
                         [](const auto& info) { return std::string(info.param->driver); });

TEST_F(Trace, BothBuildsDifferOnlyInDriverFileAndMessage) {
  // The same records in both drivers: byte-identical files, each under its own name only.
  std::vector<simdev::trace::Record> records = {MakeRecord(1, 2, 0x0E), MakeRecord(2, 30, 0)};
  Bytes x = Append(kW4x.driver, records);
  Bytes e = Append(kW43.driver, records);
  ASSERT_EQ(x, e);
  Result rx = Capture(kW4x);
  EXPECT_FALSE(Exists(InWork(kW43.file)));
  Result re = Capture(kW43);
  EXPECT_EQ(rx.code, kWritten);
  EXPECT_EQ(re.code, kWritten);
  EXPECT_EQ(rx.output, "");
  EXPECT_EQ(re.output, "");
  Bytes fx = ReadBytes(InWork(kW4x.file));
  EXPECT_EQ(fx.size(), kFileSize);
  EXPECT_EQ(fx, ReadBytes(InWork(kW43.file)));

  // Each reads its own driver: a record added to WNT43PDD alone shows in W43TRACE.DAT alone.
  Append(kW43.driver, {MakeRecord(4, 1, 0x77)});
  Capture(kW4x);
  Capture(kW43);
  EXPECT_EQ(ReadBytes(InWork(kW4x.file)), fx);
  EXPECT_NE(ReadBytes(InWork(kW43.file)), fx);

  // Each follows its own driver's switch.
  Simdev("trace WNT4XPDD off");
  rx = Capture(kW4x);
  re = Capture(kW43);
  EXPECT_EQ(rx.code, kNotActive);
  EXPECT_EQ(rx.output, kW4x.notActive);
  EXPECT_EQ(re.code, kWritten);
  EXPECT_EQ(re.output, "");

  // The messages differ only in the names.
  Simdev("trace WNT43PDD off");
  re = Capture(kW43);
  EXPECT_EQ(re.code, rx.code);
  std::string renamed = rx.output;
  renamed.replace(renamed.find("wnt4xpdd"), 8, "wnt43pdd");
  EXPECT_EQ(renamed, re.output);

  Simdev("trace on");
  for (const TraceProgram* p : {&kW4x, &kW43}) {
    DeleteFileA(InWork(p->file).c_str());
    ASSERT_TRUE(CreateDirectoryA(InWork(p->file).c_str(), nullptr));
  }
  rx = Capture(kW4x);
  re = Capture(kW43);
  EXPECT_EQ(rx.code, kCannotWrite);
  EXPECT_EQ(re.code, kCannotWrite);
  renamed = rx.output;
  renamed.replace(renamed.find("W4XTRACE"), 8, "W43TRACE");
  EXPECT_EQ(renamed, re.output);
}

TEST_F(Trace, W43traceStoresTheExchangesOfADownload) {
  std::ofstream(work_ + "\\dual.hex", std::ios::binary)
      << e2e::HexRecord(0, 0x0000, Bytes(32, 0x55)) << e2e::HexRecord(0, 0x4000, Bytes(32, 0x11))
      << ":00000001FF\r\n";
  Simdev("attach COM5 8343 dual serial=41-00017");
  Result apd = Start(e2e::Program("WNT43APD.exe") + " dual.hex 5", work_);
  ASSERT_EQ(apd.code, 0u) << apd.output;

  Result r = Capture(kW43);
  EXPECT_EQ(r.code, kWritten);
  Bytes file = ReadBytes(InWork(kW43.file));
  ASSERT_EQ(file.size(), kFileSize);
  // The driver's records as it keeps them, then zeros.
  Bytes kept = ReadBytes(state_ + "\\WNT43PDD.TRC");
  ASSERT_GT(kept.size(), 0u);
  ASSERT_LT(kept.size(), kFileSize);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + kept.size()), kept);
  EXPECT_EQ(std::count(file.begin() + kept.size(), file.end(), 0),
            static_cast<std::ptrdiff_t>(kFileSize - kept.size()));

  // Read through the record layout: the type check, the download and the identification.
  auto records = simdev::trace::Decode(Bytes(file.begin(), file.begin() + kept.size()));
  auto has = [&](std::uint8_t kind, const Bytes& data) {
    return std::any_of(records.begin(), records.end(), [&](const simdev::trace::Record& rec) {
      return rec.kind == kind && rec.model == 8343 && rec.port == 5 && rec.status == 0 &&
             rec.data == data;
    });
  };
  EXPECT_TRUE(has(simdev::trace::kFrameSent, {0x0E, 0x02}));
  EXPECT_TRUE(has(simdev::trace::kDownload, Bytes{'d', 'u', 'a', 'l', '.', 'h', 'e', 'x'}));
  EXPECT_TRUE(has(simdev::trace::kFrameSent, {0x00}));

  // The 8343's exchanges are not the 8341/8342 family driver's.
  r = Capture(kW4x);
  EXPECT_EQ(r.code, kWritten);
  EXPECT_EQ(ReadBytes(InWork(kW4x.file)), Bytes(kFileSize, 0));
}

TEST_F(Trace, AProgramWithoutItsDriverDoesNotStart) {
  // Linked at load time: alone in a folder, without WNT43PDD.dll, the program never runs.
  std::string lone = dir_ + "\\lone";
  CreateDirectoryA(lone.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA((e2e::BinDir() + "\\W43TRACE.exe").c_str(),
                        (lone + "\\W43TRACE.exe").c_str(), FALSE));
  Result r = Start("\"" + lone + "\\W43TRACE.exe\"", work_);
  EXPECT_EQ(r.code, 0xC0000135u);  // STATUS_DLL_NOT_FOUND
  EXPECT_FALSE(Exists(InWork(kW43.file)));
}

}  // namespace
