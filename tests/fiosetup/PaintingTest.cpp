// The main window's lines as a table: the device lines with their suffixes, the status line
// shown once, the blank lines down to the last whole line, and the padding of every line.
#include <gtest/gtest.h>

#include "fiosetup/Painting.h"

using namespace fiosetup;
using Lines = std::vector<std::string>;

namespace {

const std::string kBlank(79, ' ');
const std::string kHead = "               Current QRT 8300 FIO Devices Configuration";
const std::string kCopying = "              Copying files ...";

std::string Pad(std::string line) {
  line.resize(79, ' ');
  return line;
}

struct PaintCase {
  const char* name;
  std::array<std::uint32_t, 4> port;  // 8341, MSR, PIN, 8343
  bool optionS;
  std::string status;
  int clientHeight;
  int lineHeight;
  Lines expected;  // before padding
};

TEST(PaintLines, Table) {
  // clang-format off
  const PaintCase cases[] = {
      {"nothing configured, no room", {0, 0, 0, 0}, false, kBlank, 0, 16,
       {kHead, "", "", ""}},
      {"MSR on port 1 with S", {0, 1, 0, 0}, true, kBlank, 0, 16,
       {kHead, "", "               COM1   : 8342 MSR (/S)", "", ""}},
      {"MSR on port 1 without S", {0, 1, 0, 0}, false, kBlank, 0, 16,
       {kHead, "", "               COM1   : 8342 MSR     ", "", ""}},
      {"S set without an MSR shows nothing", {0, 0, 0, 0}, true, kBlank, 0, 16,
       {kHead, "", "", ""}},
      {"PIN on port 2", {0, 0, 2, 0}, false, kBlank, 0, 16,
       {kHead, "", "               COM2   : 8342 PIN", "", ""}},
      {"every kind, in the kinds' order", {12, 256, 7, 100}, true, kBlank, 0, 16,
       {kHead, "",
        "               COM12  : 8341    ",
        "               COM256 : 8342 MSR (/S)",
        "               COM7   : 8342 PIN",
        "               COM100 : 8343    ", "", ""}},
      {"a status message", {3, 0, 0, 0}, false, kCopying, 0, 16,
       {kHead, "", "               COM3   : 8341    ", "", kCopying}},
      {"blank lines down to line 10 of 160 / 16", {3, 0, 0, 0}, false, kBlank, 160, 16,
       {kHead, "", "               COM3   : 8341    ", "", "", "", "", "", "", ""}},
      {"a part line is not drawn: 175 / 16 is 10", {0, 0, 0, 0}, false, kBlank, 175, 16,
       {kHead, "", "", "", "", "", "", "", "", ""}},
      {"the layout is drawn whole when the window is low", {1, 2, 0, 0}, false, kBlank, 48, 16,
       {kHead, "",
        "               COM1   : 8341    ",
        "               COM2   : 8342 MSR     ", "", ""}},
      {"no line height yet", {0, 0, 0, 0}, false, kBlank, 300, 0,
       {kHead, "", "", ""}},
  };
  // clang-format on
  for (const PaintCase& c : cases) {
    SCOPED_TRACE(c.name);
    DeviceTable table;
    table.port = c.port;
    table.optionS = c.optionS;
    std::string status = c.status;
    Lines expected;
    for (const std::string& line : c.expected) expected.push_back(Pad(line));
    EXPECT_EQ(PaintLines(table, status, c.clientHeight, c.lineHeight), expected);
  }
}

TEST(PaintLines, TheStatusLineIsShownByOnePaintOnly) {
  DeviceTable table;
  std::string status = "              Updating registry ...";
  EXPECT_EQ(PaintLines(table, status, 0, 16).back(), Pad("              Updating registry ..."));
  EXPECT_EQ(status, kBlank);
  EXPECT_EQ(PaintLines(table, status, 0, 16).back(), kBlank);
}

TEST(PaintLines, EveryLineCoversWhatStoodThereBefore) {
  // The window is not erased before a repaint: each line is at least 79 characters, so a
  // PIN line drawn where the longer MSR line with " (/S)" stood leaves nothing of it.
  DeviceTable table;
  table.port = {5, 6, 7, 0};
  table.optionS = true;
  std::string status = kCopying;
  for (const std::string& line : PaintLines(table, status, 400, 16)) {
    EXPECT_EQ(line.size(), 79u) << '"' << line << '"';
  }
}

}  // namespace
