// The dialog tables the support program runs its dialogs with: template names, field ids,
// characters taken, buttons and help contexts, checked against the program's own numbers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "wnt43sup/Dialogs.h"

namespace {

using namespace wnt43sup;

struct FieldRow {
  int id;
  std::size_t take;
  std::size_t inputLimit;
};

struct EntryRow {
  ui::EntryDialog (*make)();
  const char* name;
  std::vector<FieldRow> fields;
  int ok, cancel, help;
  unsigned context;
};

TEST(DialogTables, EntryDialogsIdsTakesAndHelpContexts) {
  std::vector<FieldRow> rsa;
  for (int id = 210; id <= 225; ++id) rsa.push_back({id, 16, 0});
  const EntryRow rows[] = {
      {CommPortDialog, "COMMPORT", {{1200, 3, 3}}, 1201, 1202, 1203, 70},
      {RsaKeyDialog, "LDRSAPK", rsa, 226, 229, 230, 20},
      {DesKeyPartDialog,
       "LDDLKP",
       {{310, 1, 0}, {311, 1, 0}, {312, 16, 0}, {313, 16, 0}},
       314,
       315,
       316,
       30},
      {SerialNumberDialog, "LDSN", {{410, 5, 0}}, 411, 414, 415, 40},
      {GenerateCrcDialog, "GENCRC", {{700, 8, 0}}, 701, 707, 708, 50},
      {QueryCrcDialog, "QRYMCRC", {{800, 4, 0}, {801, 4, 0}}, 802, 807, 808, 60},
  };
  for (const EntryRow& row : rows) {
    SCOPED_TRACE(row.name);
    ui::EntryDialog d = row.make();
    EXPECT_EQ(d.name, row.name);
    ASSERT_EQ(d.fields.size(), row.fields.size());
    for (std::size_t i = 0; i < d.fields.size(); ++i) {
      EXPECT_EQ(d.fields[i].id, row.fields[i].id);
      EXPECT_EQ(d.fields[i].take, row.fields[i].take) << d.fields[i].id;
      EXPECT_EQ(d.fields[i].inputLimit, row.fields[i].inputLimit) << d.fields[i].id;
      EXPECT_EQ(d.fields[i].preset, row.fields[i].id == 1200 ? "1" : "") << d.fields[i].id;
    }
    EXPECT_EQ(d.okId, row.ok);
    EXPECT_EQ(d.cancelId, row.cancel);
    EXPECT_EQ(d.helpId, row.help);
    EXPECT_EQ(d.help.file, "wnt43sup.hlp");
    EXPECT_EQ(d.help.context, row.context);
  }
}

TEST(DialogTables, WarningsAndAbout) {
  ui::ConfirmDialog rsa = RsaKeyWarning();
  EXPECT_EQ(rsa.name, "LDRSAPKWN");
  EXPECT_EQ(rsa.okId, 227);
  EXPECT_EQ(rsa.cancelId, 228);
  ui::ConfirmDialog serial = SerialNumberWarning();
  EXPECT_EQ(serial.name, "LDSNWN");
  EXPECT_EQ(serial.okId, 412);
  EXPECT_EQ(serial.cancelId, 413);
  ui::ResultDialog about = AboutDialog();
  EXPECT_EQ(about.name, "ABOUT");
  EXPECT_TRUE(about.fields.empty());
  EXPECT_EQ(about.okId, 1001);
}

}  // namespace
