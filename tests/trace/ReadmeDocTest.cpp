// README.DOC (and the emulator kit's EMULATOR.TXT) as shipped: plain Windows text files; the
// names and messages of README.DOC match the suite.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "devconfig/DeviceConfig.h"
#include "trace/Capture.h"

namespace {

std::string Shipped(const char* path = README_DOC) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The message without its leading and trailing line feeds.
std::string Line(std::string_view message) {
  return std::string(message.substr(1, message.size() - 2));
}

TEST(ReadmeDoc, PlainAsciiLinesEndingInCrLf) {
  for (const char* path : {README_DOC, EMULATOR_TXT}) {
    SCOPED_TRACE(path);
    std::string text = Shipped(path);
    ASSERT_GT(text.size(), 1000u);
    ASSERT_EQ(text.substr(text.size() - 2), "\r\n");
    std::size_t line = 1, column = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      if (c == '\r') {
        ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR on line " << line;
        ++i;
        ++line;
        column = 0;
        continue;
      }
      ASSERT_NE(c, '\n') << "LF without CR on line " << line;
      ASSERT_TRUE(c >= 0x20 && c < 0x7F) << "character " << int{c} << " on line " << line;
      ASSERT_LT(++column, 78u) << "line " << line << " is too long";
    }
  }
}

TEST(ReadmeDoc, NamesWhatTheSuiteNames) {
  std::string text = Shipped();
  std::vector<std::string> names = {
      std::string("HKEY_CLASSES_ROOT\\") + devconfig::kRootKey,
      devconfig::kSubkey8341,
      devconfig::kSubkey8342M,
      devconfig::kSubkey8342P,
      devconfig::kSubkey8343,
      devconfig::kValueComPort,
      devconfig::kValueMode,
      devconfig::kValueOptionS,
      "FIOSETUP.EXE",
      "FIOSETUP.CFG",
      "FIOSETUP.BAK",
      "WNTDLD42.EXE",
      "WNT43SUP.EXE",
      "WNT43APD.EXE",
      "WNT43SUP.HLP",  // where the two programs of no file group come from, and what they need
      "WNT43EFT.DLL",
      "W4XTRACE.EXE",
      "W43TRACE.EXE",
      "C:\\W8300FIO",
      std::string(trace::kW4xTrace.driver),
      std::string(trace::kW43Trace.driver),
      std::string(trace::kW4xTrace.fileName),
      std::string(trace::kW43Trace.fileName),
      Line(trace::kW4xTrace.notActive),
      Line(trace::CannotWriteMessage(trace::kW4xTrace)),
      "WNT43APD [drive:path\\]filename.hex [port]",
  };
  // The exit statuses beside their messages. Appended rather than joined with +: GCC 12 warns
  // falsely (-Wrestrict) about its own inlined string copies in such a chain.
  auto exitLine = [](int code, const char* quote, const std::string& text) {
    return std::string("exit code ")
        .append(std::to_string(code))
        .append("   ")
        .append(quote)
        .append(text);
  };
  names.push_back(exitLine(trace::kWritten, "", "the trace file was written"));
  names.push_back(
      exitLine(trace::kCannotWrite, "\"", Line(trace::CannotWriteMessage(trace::kW4xTrace))));
  names.push_back(exitLine(trace::kNotActive, "\"", Line(trace::kW4xTrace.notActive)));
  for (const std::string& name : names) EXPECT_NE(text.find(name), std::string::npos) << name;
}

}  // namespace
