// HEX files made by srec_cat and objcopy from random binaries, checked against srec_cat's own
// CRC-16 of the binaries; and the hexcrc front end on the same files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"
#include "wnt43sup/HexCrc.h"

using namespace wnt43sup;
namespace fs = std::filesystem;

namespace {

struct ShellRun {
  int status = -1;
  std::string out;
};

// Runs a shell command; standard output (and error, if the command redirects it) captured.
ShellRun Shell(const std::string& command) {
  ShellRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

class CrossCheck : public ::testing::Test {
 protected:
  // A binary of random bytes.
  static void RandomBinary(const std::string& name, std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() >> 24);
    std::ofstream(name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
  }

  static void MustRun(const std::string& command) {
    const ShellRun run = Shell(command + " 2>&1");
    ASSERT_EQ(run.status, 0) << command << "\n" << run.out;
  }

  // srec_cat's CRC-16/ARC (reflected 8005, seed 0) of the first `length` bytes of `binary`.
  static std::string SrecCrc(const std::string& binary, std::uint32_t length) {
    const std::string at = Hex(0x20000);
    MustRun(std::string(SREC_CAT) + " " + binary + " -binary -crop 0 " + Hex(length) +
            " -crc16-b-e " + at + " -xmodem -polynomial ibm -least-to-most -crop " + at + " " +
            Hex(0x20002) + " -offset -" + at + " -o crc.bin -binary");
    std::ifstream in("crc.bin", std::ios::binary);
    const int high = in.get(), low = in.get();
    EXPECT_TRUE(in) << "crc.bin";
    return FormatCrc(static_cast<std::uint16_t>(high << 8 | low));
  }

  // The file holds only data records, the end record and start-address records, all with
  // 16-bit addresses; no extended-address records.
  static void ExpectPlainRecords(const std::string& file) {
    std::ifstream in(file);
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) {
      ++lines;
      ASSERT_GE(line.size(), 11u) << file << ": " << line;
      const std::string type = line.substr(7, 2);
      EXPECT_TRUE(type == "00" || type == "01" || type == "03") << file << ": " << line;
    }
    EXPECT_GT(lines, 2) << file;
  }

  // Expects `name` to give these texts, in process and through the front end.
  static void Expect(const std::string& name, const HexCrcTexts& expected) {
    ExpectPlainRecords(name + ".HEX");
    const HexCrcOutcome outcome = GenerateHexCrc(name);
    EXPECT_EQ(outcome.error, HexCrcError::kNone) << name;
    EXPECT_EQ(outcome.texts.beginning, expected.beginning) << name;
    EXPECT_EQ(outcome.texts.length, expected.length) << name;
    EXPECT_EQ(outcome.texts.crc, expected.crc) << name;
    const ShellRun run = Shell(std::string(HEXCRC_TOOL) + " -C " + fs::current_path().string() +
                               " " + name + " 2>&1");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out, "name: " + expected.name + "\nbeginning: " + expected.beginning +
                           "\nlength: " + expected.length + "\ncrc: " + expected.crc + "\n");
  }

  // Writes NAME.HEX with the lines after record 2 (and before the end record) reversed.
  static void Reversed(const std::string& from, const std::string& name) {
    std::ifstream in(from + ".HEX");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_GT(lines.size(), 4u);
    std::reverse(lines.begin() + 2, lines.end() - 1);
    std::ofstream out(name + ".HEX", std::ios::binary);
    for (const std::string& line : lines) out << line << "\n";
  }

  const support::TempCurrentFolder dir_{"hexcrc-cross"};
};

const std::string kSrec = SREC_CAT;

TEST_F(CrossCheck, SrecCatOneProcessor) {
  RandomBinary("head.bin", 0x20, 1);
  RandomBinary("body.bin", 0x9000, 2);
  MustRun(kSrec + " head.bin -binary body.bin -binary -offset 0x7000 -o ONE.HEX -intel " +
          "-address-length=2 -obs=32");
  const HexCrcTexts expected{"ONE", "7000", "9000", SrecCrc("body.bin", 0x9000)};
  Expect("ONE", expected);
  Reversed("ONE", "ONEDOWN");
  Expect("ONEDOWN", {"ONEDOWN", "7000", "9000", expected.crc});
}

TEST_F(CrossCheck, SrecCatTwoProcessorsLongRecordsCrLf) {
  RandomBinary("head.bin", 0x20, 3);
  RandomBinary("body.bin", 0xC000, 4);
  MustRun(kSrec + " head.bin -binary body.bin -binary -offset 0x4000 -o TWO.HEX -intel " +
          "-address-length=2 -obs=255 -line-termination=crlf");
  const HexCrcTexts expected{"TWO", "4000", "C000", SrecCrc("body.bin", 0xC000)};
  Expect("TWO", expected);
  Reversed("TWO", "TWODOWN");
  Expect("TWODOWN", {"TWODOWN", "4000", "C000", expected.crc});
}

TEST_F(CrossCheck, SrecCatFromZero) {
  RandomBinary("body.bin", 0x5A5A, 5);
  MustRun(kSrec + " body.bin -binary -o ZERO.HEX -intel -address-length=2 -obs=32");
  Expect("ZERO", {"ZERO", "0000", "5A5A", SrecCrc("body.bin", 0x5A5A)});
}

TEST_F(CrossCheck, SrecCatFull64KFromZeroLeavesTheLastByteOut) {
  RandomBinary("body.bin", 0x10000, 6);
  MustRun(kSrec + " body.bin -binary -o FULL.HEX -intel -address-length=2 -obs=32");
  const HexCrcTexts expected{"FULL", "0000", "FFFE", SrecCrc("body.bin", 0xFFFF)};
  Expect("FULL", expected);
  Reversed("FULL", "FULLDOWN");
  Expect("FULLDOWN", {"FULLDOWN", "0000", "FFFE", expected.crc});
}

// objcopy writes 16-byte records and a start-address record before the end record.
TEST_F(CrossCheck, ObjcopyOneAndTwoProcessors) {
  RandomBinary("head.bin", 0x10, 7);
  RandomBinary("body.bin", 0x9000, 8);
  const std::string objcopy = std::string(OBJCOPY) +
                              " -I binary -O ihex --add-section .head=head.bin"
                              " --set-section-flags .head=alloc,load,contents"
                              " --change-section-address .head=0";
  MustRun(objcopy + " --change-addresses 0x7000 body.bin OBJ1.HEX");
  Expect("OBJ1", {"OBJ1", "7000", "9000", SrecCrc("body.bin", 0x9000)});
  RandomBinary("body2.bin", 0xC000, 9);
  MustRun(objcopy + " --change-addresses 0x4000 body2.bin OBJ2.HEX");
  Expect("OBJ2", {"OBJ2", "4000", "C000", SrecCrc("body2.bin", 0xC000)});
}

TEST_F(CrossCheck, SrecCatCheckValue) {
  std::ofstream("digits.bin", std::ios::binary) << "123456789";
  EXPECT_EQ(SrecCrc("digits.bin", 9), "BB3D");
}

TEST_F(CrossCheck, FrontEndErrorsAndExitCodes) {
  std::ofstream("BAD.HEX", std::ios::binary) << "\n:00000001FF\n";
  const std::string tool = std::string(HEXCRC_TOOL) + " -C " + fs::current_path().string();
  ShellRun run = Shell(tool + " MISSING 2>&1");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "Generate CRC Program Error:  File can not be opened.\n");
  run = Shell(tool + " BAD 2>&1");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "Generate CRC Program Error:  Hex file is invalid.\n");
  run = Shell(tool + " BAD 2>/dev/null");
  EXPECT_EQ(run.out, "") << "the message goes to standard error";
  EXPECT_EQ(Shell(std::string(HEXCRC_TOOL) + " 2>/dev/null").status, 64);
  EXPECT_EQ(Shell(std::string(HEXCRC_TOOL) + " -C /nonexistent X 2>/dev/null").status, 64);
}

}  // namespace
