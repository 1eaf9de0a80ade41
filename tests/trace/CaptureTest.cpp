// The trace programs' run against a scripted driver and file: what the file receives, what is
// printed, the exit statuses, and the constants that tell the two builds apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "trace/Capture.h"

namespace {

struct ScriptedDriver : trace::Driver {
  std::uint32_t result = 1;
  std::vector<unsigned char> trace;  // what the driver copies into the buffer
  int calls = 0;
  const unsigned char* buffer = nullptr;
  std::uint32_t PddTrace(unsigned char* b) override {
    ++calls;
    buffer = b;
    std::copy(trace.begin(), trace.end(), b);
    return result;
  }
};

struct RecordedFile : trace::TraceFile {
  bool succeeds = true;
  int calls = 0;
  std::string name;
  std::vector<unsigned char> data;
  bool Replace(std::string_view n, const unsigned char* d, std::size_t size) override {
    ++calls;
    name = n;
    data.assign(d, d + size);
    return succeeds;
  }
};

struct RecordedConsole : trace::Console {
  std::string text;
  void Print(std::string_view t) override { text += t; }
};

std::vector<unsigned char> Pattern(std::size_t n) {
  std::vector<unsigned char> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 1);
  return bytes;
}

class Capture : public ::testing::TestWithParam<const trace::Build*> {
 protected:
  int Run() {
    std::memset(buffer, 0, sizeof buffer);
    return trace::CaptureTrace(*GetParam(), buffer, driver, file, console);
  }
  unsigned char buffer[trace::kTraceBufferSize];
  ScriptedDriver driver;
  RecordedFile file;
  RecordedConsole console;
};

TEST(TraceBuilds, TheThreeItemsOfEachProgram) {
  EXPECT_EQ(trace::kTraceBufferSize, 32768u);
  EXPECT_EQ(trace::kTraceFileSize, 8192u);
  EXPECT_EQ(trace::kW4xTrace.driver, "WNT4XPDD");
  EXPECT_EQ(trace::kW4xTrace.fileName, "W4XTRACE.DAT");
  EXPECT_EQ(trace::kW4xTrace.notActive, "\nERROR, PddTrace not active in wnt4xpdd.dll !\n");
  EXPECT_EQ(trace::kW43Trace.driver, "WNT43PDD");
  EXPECT_EQ(trace::kW43Trace.fileName, "W43TRACE.DAT");
  EXPECT_EQ(trace::kW43Trace.notActive, "\nERROR, PddTrace not active in wnt43pdd.dll !\n");
  EXPECT_EQ(trace::CannotWriteMessage(trace::kW4xTrace), "\nERROR, cannot write W4XTRACE.DAT !\n");
  EXPECT_EQ(trace::CannotWriteMessage(trace::kW43Trace), "\nERROR, cannot write W43TRACE.DAT !\n");
  EXPECT_EQ(trace::kWritten, 0);
  EXPECT_EQ(trace::kCannotWrite, 1);
  EXPECT_EQ(trace::kNotActive, 2);
}

TEST_P(Capture, AnActiveTraceWritesTheFirst8192BytesOfTheBufferInOneCallSilently) {
  driver.trace = Pattern(trace::kTraceBufferSize);  // a driver that fills the whole buffer
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(driver.calls, 1);
  EXPECT_EQ(driver.buffer, buffer);  // the program's own buffer, not a copy
  ASSERT_EQ(file.calls, 1);
  EXPECT_EQ(file.name, GetParam()->fileName);
  ASSERT_EQ(file.data.size(), 8192u);
  EXPECT_TRUE(std::equal(file.data.begin(), file.data.end(), driver.trace.begin()));
  EXPECT_EQ(console.text, "");
}

TEST_P(Capture, WhereTheDriverPutNothingTheFileHoldsZeros) {
  driver.trace = Pattern(100);
  EXPECT_EQ(Run(), 0);
  ASSERT_EQ(file.data.size(), 8192u);
  EXPECT_TRUE(std::equal(driver.trace.begin(), driver.trace.end(), file.data.begin()));
  EXPECT_EQ(std::count(file.data.begin() + 100, file.data.end(), 0), 8192 - 100);
}

TEST_P(Capture, OnlyTheLow16BitsOfTheResultTellWhetherTheTraceIsActive) {
  struct Case {
    std::uint32_t result;
    bool active;
  };
  const Case cases[] = {{0, false},      {0x10000, false},   {0xFFFF0000u, false},
                        {1, true},       {0x8000, true},     {0xFFFF, true},
                        {0x10001, true}, {0xFFFFFFFFu, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result);
    driver.result = c.result;
    file = RecordedFile{};
    console.text.clear();
    int status = Run();
    if (c.active) {
      EXPECT_EQ(status, 0);
      EXPECT_EQ(file.calls, 1);
      EXPECT_EQ(console.text, "");
    } else {
      EXPECT_EQ(status, 2);
      EXPECT_EQ(file.calls, 0);  // no file created or changed
      EXPECT_EQ(console.text, GetParam()->notActive);
    }
  }
}

TEST_P(Capture, AFileThatCannotBeWrittenIsReportedWithStatus1) {
  driver.trace = Pattern(64);
  file.succeeds = false;
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(file.calls, 1);
  EXPECT_EQ(console.text, trace::CannotWriteMessage(*GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Programs, Capture, ::testing::Values(&trace::kW4xTrace, &trace::kW43Trace),
                         [](const auto& info) {
                           return std::string(info.param->fileName.substr(0, 8));
                         });

}  // namespace
