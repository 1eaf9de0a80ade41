// The device table: the start-up read, the edits and the availability after each, as tables.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "devconfig/MemoryRegistry.h"
#include "fiosetup/DeviceTable.h"
#include "fiosetup/Fakes.h"

using namespace fiosetup;
using devconfig::MemoryRegistry;
using fiosetup::testing::DescribeAvailability;

namespace {

constexpr char kRoot[] = "HKCR\\QRT_8300_FIO_DEVICES";
std::string Sub(const char* name) { return std::string(kRoot) + "\\" + name; }

TEST(Availability, InitialState) {
  Availability a;
  EXPECT_EQ(DescribeAvailability(a),
            "grey 104 105 300 301 302 303 400 401 402 403 500 | S unchecked | UDC");
  EXPECT_FALSE(a.Enabled(0));
  EXPECT_FALSE(a.Enabled(108));
}

TEST(Availability, MenuCommandIds) {
  EXPECT_EQ(Availability::kCommands,
            (std::array<int, 23>{100, 104, 105, 106, 107, 200, 201, 202, 203, 300, 301, 302,
                                 303, 400, 401, 402, 403, 500, 600, 601, 602, 603, 604}));
  const std::pair<DeviceKind, std::array<int, 3>> kinds[] = {
      {DeviceKind::k8341, {200, 300, 400}},
      {DeviceKind::k8342Msr, {201, 301, 401}},
      {DeviceKind::k8342Pin, {202, 302, 402}},
      {DeviceKind::k8343, {203, 303, 403}},
  };
  for (const auto& [kind, ids] : kinds) {
    EXPECT_EQ(AddCommand(kind), ids[0]);
    EXPECT_EQ(DeleteCommand(kind), ids[1]);
    EXPECT_EQ(ChangeCommand(kind), ids[2]);
    for (int id : ids) EXPECT_EQ(KindOfCommand(id), kind) << id;
  }
  for (int id : {100, 104, 199, 204, 299, 304, 399, 404, 500, 600}) {
    EXPECT_EQ(KindOfCommand(id), std::nullopt) << id;
  }
}

struct ReadCase {
  const char* name;
  std::function<void(MemoryRegistry&)> setUp;
  std::array<std::uint32_t, 4> port;
  std::array<bool, 4> registered;
  bool optionS;
  std::uint32_t mode;
  int count;
  const char* availability;
};

TEST(ReadConfiguration, FillsTheTableAndTheAvailability) {
  // clang-format off
  const ReadCase cases[] = {
      {"no key", [](MemoryRegistry&) {},
       {0, 0, 0, 0}, {}, false, 0, 0,
       "grey 104 105 107 300 301 302 303 400 401 402 403 500 | S unchecked | ---"},
      {"empty root key", [](MemoryRegistry& r) { r.AddKey(kRoot); },
       {0, 0, 0, 0}, {}, false, 0, 0,
       "grey 104 105 107 300 301 302 303 400 401 402 403 500 | S unchecked | ---"},
      {"root key that does not open with full access", [](MemoryRegistry& r) {
         r.PutDword(Sub("QRT8343"), "ComPort", 4);
         r.Fail(MemoryRegistry::Op::kOpen, kRoot, devconfig::kErrorAccessDenied);
       },
       {0, 0, 0, 0}, {}, false, 0, 0,
       "grey 104 105 107 300 301 302 303 400 401 402 403 500 | S unchecked | ---"},
      {"8341 and 8343", [](MemoryRegistry& r) {
         r.PutDword(Sub("QRT8341"), "ComPort", 3);
         r.PutDword(Sub("QRT8341"), "Mode", 2);
         r.PutDword(Sub("QRT8343"), "ComPort", 4);
       },
       {3, 0, 0, 4}, {true, false, false, true}, false, 2, 2,
       "grey 104 106 200 201 202 203 301 302 401 402 | S unchecked | UDC"},
      {"MSR with S and no 8341: QRT8341 holding OptionS alone is a registered 8341 on port 0",
       [](MemoryRegistry& r) {
         r.PutDword(Sub("QRT8341"), "OptionS", 1);
         r.PutDword(Sub("QRT8342M"), "ComPort", 2);
       },
       {0, 2, 0, 0}, {true, true, false, false}, true, 0, 2,
       "grey 104 106 200 201 203 302 303 402 403 | S checked | UDC"},
      {"PIN whose ComPort is missing still counts",
       [](MemoryRegistry& r) { r.AddKey(Sub("QRT8342P")); },
       {0, 0, 0, 0}, {false, false, true, false}, false, 0, 1,
       "grey 104 106 202 203 300 301 303 400 401 403 500 | S unchecked | UDC"},
      {"every 8342 with the 8341; an OptionS other than 1 is clear", [](MemoryRegistry& r) {
         r.PutDword(Sub("QRT8341"), "ComPort", 1);
         r.PutDword(Sub("QRT8341"), "Mode", 1);
         r.PutDword(Sub("QRT8341"), "OptionS", 2);
         r.PutDword(Sub("QRT8342M"), "ComPort", 256);
         r.PutDword(Sub("QRT8342P"), "ComPort", 7);
       },
       {1, 256, 7, 0}, {true, true, true, false}, false, 1, 3,
       "grey 104 106 200 201 202 203 303 403 | S unchecked | UDC"},
      {"a subkey that does not open counts as absent", [](MemoryRegistry& r) {
         r.PutDword(Sub("QRT8343"), "ComPort", 4);
         r.PutDword(Sub("QRT8342P"), "ComPort", 2);
         r.Fail(MemoryRegistry::Op::kOpen, Sub("QRT8342P"), devconfig::kErrorAccessDenied);
       },
       {0, 0, 0, 4}, {false, false, false, true}, false, 0, 1,
       "grey 104 106 201 202 203 300 301 302 400 401 402 500 | S unchecked | UDC"},
  };
  // clang-format on
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryRegistry registry;
    c.setUp(registry);
    DeviceTable table;
    ReadConfiguration(table, registry);
    EXPECT_EQ(table.port, c.port);
    EXPECT_EQ(table.registered, c.registered);
    EXPECT_EQ(table.optionS, c.optionS);
    EXPECT_EQ(table.mode, c.mode);
    EXPECT_EQ(table.deviceCount, c.count);
    EXPECT_FALSE(table.changed);
    EXPECT_EQ(DescribeAvailability(table.availability), c.availability);
    EXPECT_EQ(registry.OpenHandles(), 0u);
    for (const std::string& call : registry.Log()) {
      EXPECT_TRUE(call.starts_with("Open ") || call.starts_with("Query ") ||
                  call.starts_with("Close "))
          << call;
    }
  }
}

struct EditStep {
  const char* what;
  std::function<void(DeviceTable&)> edit;
  std::array<std::uint32_t, 4> port;
  int count;
  bool changed;
  bool optionS;
  const char* availability;
};

void RunSteps(DeviceTable& table, const std::vector<EditStep>& steps) {
  for (const EditStep& s : steps) {
    SCOPED_TRACE(s.what);
    s.edit(table);
    EXPECT_EQ(table.port, s.port);
    EXPECT_EQ(table.deviceCount, s.count);
    EXPECT_EQ(table.changed, s.changed);
    EXPECT_EQ(table.optionS, s.optionS);
    EXPECT_EQ(DescribeAvailability(table.availability), s.availability);
  }
}

TEST(Edits, FromAnEmptyRegistry) {
  MemoryRegistry registry;
  DeviceTable table;
  ReadConfiguration(table, registry);
  using K = DeviceKind;
  // clang-format off
  RunSteps(table, {
      {"Add MSR on 1: first device enables Delete and Change",
       [](DeviceTable& t) { AddDevice(t, K::k8342Msr, 1); },
       {0, 1, 0, 0}, 1, true, false,
       "grey 105 107 201 203 300 302 303 400 402 403 | S unchecked | -DC"},
      {"Toggle S",
       [](DeviceTable& t) { ToggleOptionS(t); },
       {0, 1, 0, 0}, 1, true, true,
       "grey 105 107 201 203 300 302 303 400 402 403 | S checked | -DC"},
      {"Add PIN on 2",
       [](DeviceTable& t) { AddDevice(t, K::k8342Pin, 2); },
       {0, 1, 2, 0}, 2, true, true,
       "grey 105 107 201 202 203 300 303 400 403 | S checked | -DC"},
      {"Delete MSR: Add 8343 stays grey while the PIN is there; S keeps its value",
       [](DeviceTable& t) { DeleteDevice(t, K::k8342Msr); },
       {0, 0, 2, 0}, 1, true, true,
       "grey 105 107 202 203 300 301 303 400 401 403 500 | S checked | -DC"},
      {"Delete PIN: the last device greys Delete and Change",
       [](DeviceTable& t) { DeleteDevice(t, K::k8342Pin); },
       {0, 0, 0, 0}, 0, true, true,
       "grey 105 107 300 301 302 303 400 401 402 403 500 | S checked | ---"},
      {"Add 8343 on 4",
       [](DeviceTable& t) { AddDevice(t, K::k8343, 4); },
       {0, 0, 0, 4}, 1, true, true,
       "grey 105 107 201 202 203 300 301 302 400 401 402 500 | S checked | -DC"},
      {"Add 8341 on 3",
       [](DeviceTable& t) { AddDevice(t, K::k8341, 3); },
       {3, 0, 0, 4}, 2, true, true,
       "grey 105 107 200 201 202 203 301 302 401 402 500 | S checked | -DC"},
      {"Change 8341 to 5",
       [](DeviceTable& t) { ChangeDevice(t, K::k8341, 5); },
       {5, 0, 0, 4}, 2, true, true,
       "grey 105 107 200 201 202 203 301 302 401 402 500 | S checked | -DC"},
      {"Delete 8343 enables Add MSR and Add PIN",
       [](DeviceTable& t) { DeleteDevice(t, K::k8343); },
       {5, 0, 0, 0}, 1, true, true,
       "grey 105 107 200 301 302 303 401 402 403 500 | S checked | -DC"},
      {"Delete 8341",
       [](DeviceTable& t) { DeleteDevice(t, K::k8341); },
       {0, 0, 0, 0}, 0, true, true,
       "grey 105 107 300 301 302 303 400 401 402 403 500 | S checked | ---"},
  });
  // clang-format on
}

TEST(Edits, FromARegisteredConfiguration) {
  MemoryRegistry registry;
  registry.PutDword(Sub("QRT8341"), "ComPort", 1);
  registry.PutDword(Sub("QRT8341"), "Mode", 1);
  registry.PutDword(Sub("QRT8342M"), "ComPort", 2);
  registry.PutDword(Sub("QRT8342P"), "ComPort", 3);
  DeviceTable table;
  ReadConfiguration(table, registry);
  ASSERT_EQ(DescribeAvailability(table.availability),
            "grey 104 106 200 201 202 203 303 403 | S unchecked | UDC");
  using K = DeviceKind;
  // clang-format off
  RunSteps(table, {
      {"Change PIN to 9 enables Update > Configuration",
       [](DeviceTable& t) { ChangeDevice(t, K::k8342Pin, 9); },
       {1, 2, 9, 0}, 3, true, false,
       "grey 104 105 107 200 201 202 203 303 403 | S unchecked | UDC"},
      {"Toggle S enables Install",
       [](DeviceTable& t) { ToggleOptionS(t); },
       {1, 2, 9, 0}, 3, true, true,
       "grey 105 107 200 201 202 203 303 403 | S checked | UDC"},
      {"Delete PIN: Add 8343 stays grey while the MSR is there",
       [](DeviceTable& t) { DeleteDevice(t, K::k8342Pin); },
       {1, 2, 0, 0}, 2, true, true,
       "grey 105 107 200 201 203 302 303 402 403 | S checked | UDC"},
      {"Delete MSR: now Add 8343 is enabled, S greyed but still checked",
       [](DeviceTable& t) { DeleteDevice(t, K::k8342Msr); },
       {1, 0, 0, 0}, 1, true, true,
       "grey 105 107 200 301 302 303 401 402 403 500 | S checked | UDC"},
      {"Add MSR again: S enabled with its check mark",
       [](DeviceTable& t) { AddDevice(t, K::k8342Msr, 6); },
       {1, 6, 0, 0}, 2, true, true,
       "grey 105 107 200 201 203 302 303 402 403 | S checked | UDC"},
  });
  // clang-format on
}

TEST(Edits, ChangingOnlyThe8343PortSetsTheChangedFlag) {
  MemoryRegistry registry;
  registry.PutDword(Sub("QRT8343"), "ComPort", 4);
  DeviceTable table;
  ReadConfiguration(table, registry);
  ASSERT_FALSE(table.changed);
  ChangeDevice(table, DeviceKind::k8343, 7);
  EXPECT_EQ(table.Port(DeviceKind::k8343), 7u);
  EXPECT_TRUE(table.changed);  // so Exit asks before throwing the new port away
  EXPECT_TRUE(table.availability.Enabled(106));
  EXPECT_FALSE(table.availability.Enabled(107));
  EXPECT_FALSE(table.availability.Enabled(105));
}

TEST(Edits, ACancelledPortDialogChangesNothing) {
  MemoryRegistry registry;
  registry.PutDword(Sub("QRT8341"), "ComPort", 1);
  DeviceTable table;
  ReadConfiguration(table, registry);
  const DeviceTable before = table;
  for (DeviceKind kind : devconfig::kDeviceKinds) {
    AddDevice(table, kind, 0);
    ChangeDevice(table, kind, 0);
  }
  EXPECT_EQ(table.port, before.port);
  EXPECT_EQ(table.deviceCount, before.deviceCount);
  EXPECT_EQ(table.changed, before.changed);
  EXPECT_EQ(table.availability, before.availability);
}

TEST(RegistryWritten, GreysUpdateWithoutDevicesAndEnablesItOtherwise) {
  DeviceTable table;
  table.deviceCount = 0;
  ApplyRegistryWritten(table);
  EXPECT_EQ(DescribeAvailability(table.availability),
            "grey 104 105 107 300 301 302 303 400 401 402 403 500 | S unchecked | -DC");
  DeviceTable some;
  some.deviceCount = 1;
  ApplyRegistryWritten(some);
  EXPECT_EQ(DescribeAvailability(some.availability),
            "grey 104 300 301 302 303 400 401 402 403 500 | S unchecked | UDC");
}

TEST(DeviceLines, OneLinePerConfiguredDeviceInKindOrder) {
  DeviceTable table;
  EXPECT_TRUE(DeviceLines(table).empty());
  EXPECT_EQ(BlankLine(), std::string(79, ' '));
  EXPECT_STREQ(kHeading, "               Current QRT 8300 FIO Devices Configuration");
  table.Port(DeviceKind::k8343) = 256;
  table.Port(DeviceKind::k8342Pin) = 2;
  table.Port(DeviceKind::k8342Msr) = 1;
  table.Port(DeviceKind::k8341) = 12;
  const std::string b15(15, ' ');
  EXPECT_EQ(DeviceLines(table), (std::vector<std::string>{
                                    b15 + "COM12  : 8341    ",
                                    b15 + "COM1   : 8342 MSR     ",
                                    b15 + "COM2   : 8342 PIN",
                                    b15 + "COM256 : 8343    ",
                                }));
  table.optionS = true;
  EXPECT_EQ(DeviceLines(table)[1], b15 + "COM1   : 8342 MSR (/S)");
  // An 8341 registered without a port (QRT8341 holding only OptionS) shows no line.
  table.Port(DeviceKind::k8341) = 0;
  table.Registered(DeviceKind::k8341) = true;
  EXPECT_EQ(DeviceLines(table).size(), 3u);
  // A port from the registry beyond any COM port shows as the window's signed format has it.
  table.Port(DeviceKind::k8343) = 0xFFFFFFFF;
  EXPECT_EQ(DeviceLines(table)[2], b15 + "COM-1  : 8343    ");
}

}  // namespace
