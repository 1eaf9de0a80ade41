// A built program's resources read in-process, the program loaded as a data file: a resource's
// bytes, a menu as text and a dialog template as it is stored.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace support {

// The fixture of one program's resource tests: the program beside the running test, loaded
// once for the suite. A suite's SetUpTestSuite calls Load with the program's file name.
class ProgramResources : public ::testing::Test {
 protected:
  static void Load(const std::string& exe);
  static void TearDownTestSuite();
  void SetUp() override;

  static HMODULE module_;

 private:
  static std::string exe_;
};

// The bytes of a resource; nothing when the module has none of that name and type.
std::optional<std::string> ResourceBytes(HMODULE module, const char* name, LPCSTR type);

// A menu as text, one line per item indented two blanks a level: the item's text in quotes,
// then "separator", or "popup" (its items follow) or "-> <id>" with " grey", " checked" and
// " right" (right-justified) as they apply.
std::string DescribeMenu(HMENU menu);

// A control of a dialog template. The predefined classes are named in lowercase ("button",
// "edit", "static", "listbox", "scrollbar", "combobox") whether the template gives an ordinal
// or a name; a text or class given as an ordinal reads "#<number>".
struct DialogControl {
  DWORD style;
  int x, y, cx, cy;
  int id;
  std::string kind;
  std::string text;
};

// A dialog template in the standard form (DLGTEMPLATE, not the extended one).
struct DialogTemplate {
  DWORD style;
  int x, y, cx, cy;
  std::string menu, windowClass, title;
  int pointSize = 0;  // 0: no DS_SETFONT, the system font
  std::string font;
  std::vector<DialogControl> controls;
};

std::optional<DialogTemplate> ReadDialog(HMODULE module, const char* name);

}  // namespace support
