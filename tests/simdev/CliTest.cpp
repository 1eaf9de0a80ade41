// The simdev command: what each command does to the state directory and what it says.
#include <gtest/gtest.h>

#include "simdev/Cli.h"
#include "simdev/State.h"
#include "simdev/Trace.h"
#include "tests/support/TempFolder.h"

namespace {

class Cli : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> args) {
    out.clear();
    err.clear();
    return simdev::RunCli(args, dir.Str(), &out, &err);
  }
  simdev::KeyValues State(const std::string& file = "COM3-8343") {
    simdev::KeyValues s;
    EXPECT_EQ(simdev::LoadKeyValues(dir.File(file), &s), simdev::LoadResult::kOk);
    return s;
  }
  support::TempFolder dir;
  std::string out, err;
};

TEST_F(Cli, AttachDualByDefaultSingleOnRequestOneDevicePerPort) {
  EXPECT_EQ(Run({"attach", "COM3", "8343"}), simdev::kCliOk);
  EXPECT_EQ(out, "attached an 8343 EFT terminal (dual processor) on COM3\n");
  EXPECT_EQ(State()["processors"], "2");
  EXPECT_EQ(State()["serial"], "");
  EXPECT_EQ(Run({"attach", "3", "8343", "single"}), simdev::kCliFailed);
  EXPECT_EQ(err, "simdev: COM3 already has a device: COM3-8343\n");
  EXPECT_EQ(Run({"attach", "com12", "8343", "single", "serial=41-54321"}), simdev::kCliOk);
  EXPECT_EQ(out, "attached an 8343 EFT terminal (single processor) on COM12\n");
  EXPECT_EQ(State("COM12-8343")["processors"], "1");
  EXPECT_EQ(State("COM12-8343")["serial"], "41-54321");
}

TEST_F(Cli, BadArgumentsAreUsageErrors) {
  const std::vector<std::string> bad[] = {
      {},
      {"frobnicate"},
      {"attach", "COM0", "8343"},
      {"attach", "COM65536", "8343"},
      {"attach", "COM03", "8343"},
      {"attach", "3", "9999"},
      {"attach", "3", "8343", "triple"},
      {"attach", "3", "8343", "serial=42-12345"},
      {"trace", "WNT99PDD", "on"},
      {"trace", "sideways"},
  };
  for (const auto& args : bad)
    EXPECT_EQ(Run(args), simdev::kCliUsage) << (args.empty() ? "" : args[0]);
  EXPECT_TRUE(simdev::ListDevices(dir.Str()).empty());
}

TEST_F(Cli, DetachRemovesTheStateFile) {
  Run({"attach", "3", "8343"});
  EXPECT_EQ(Run({"detach", "COM3"}), simdev::kCliOk);
  EXPECT_EQ(out, "detached COM3-8343\n");
  EXPECT_TRUE(simdev::ListDevices(dir.Str()).empty());
  EXPECT_EQ(Run({"detach", "COM3"}), simdev::kCliFailed);
  EXPECT_EQ(err, "simdev: no device attached on COM3\n");
}

TEST_F(Cli, CardInsertAndRemove) {
  Run({"attach", "3", "8343"});
  EXPECT_EQ(Run({"card", "3", "insert"}), simdev::kCliOk);
  EXPECT_EQ(out, "COM3: smart card inserted\n");
  EXPECT_EQ(State()["card"], "3B02145011");
  EXPECT_EQ(Run({"card", "3", "insert", "3b6e00"}), simdev::kCliOk);
  EXPECT_EQ(State()["card"], "3B6E00");
  EXPECT_EQ(Run({"card", "3", "insert", std::string(82, '0')}), simdev::kCliUsage);  // 41 bytes
  EXPECT_EQ(Run({"card", "3", "remove"}), simdev::kCliOk);
  EXPECT_EQ(State()["card"], "none");
}

TEST_F(Cli, FaultsAreScriptedIntoTheStateFile) {
  Run({"attach", "3", "8343"});
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"fault", "3", "open"}, "COM3: the next open fails\n"},
      {{"fault", "3", "write", "77"}, "COM3: the next write fails with status 77\n"},
      {{"fault", "3", "read"}, "COM3: the next read fails\n"},
      {{"fault", "3", "rc", "0a"}, "COM3: the next command is answered with RC 0A\n"},
      {{"fault", "3", "short", "1"}, "COM3: the next answer is cut to 1 bytes\n"},
      {{"fault", "3", "dload", "1809"}, "COM3: the next download returns 1809\n"},
      {{"fault", "3", "line", "drop"}, "COM3: the next request is lost on the way\n"},
      {{"fault", "3", "line", "silence", "4"}, "COM3: the next 4 answers are lost\n"},
      {{"fault", "3", "line", "unplug"}, "COM3: the line goes dead\n"},
      {{"fault", "3", "line", "garble", "2", "skip=3"},
       "COM3: the next 2 answers are garbled after 3 passed by\n"},
      {{"fault", "3", "line", "delay", "250", "2"},
       "COM3: the next 2 answers are held back 250 ms\n"},
  };
  for (const auto& [args, said] : cases) {
    EXPECT_EQ(Run(args), simdev::kCliOk) << args[2];
    EXPECT_EQ(out, said);
  }
  simdev::KeyValues s = State();
  EXPECT_EQ(s["fault.open"], "");
  EXPECT_EQ(s["fault.write"], "77");
  EXPECT_EQ(s["fault.rc"], "0A");
  EXPECT_EQ(s["fault.short"], "1");
  EXPECT_EQ(s["fault.dload"], "1809");
  EXPECT_EQ(s["fault.line"], "delay 250 2");
  EXPECT_EQ(Run({"fault", "3", "open", "5", "skip=1"}), simdev::kCliOk);
  EXPECT_EQ(out, "COM3: the next open fails with status 5 after 1 passed by\n");
  EXPECT_EQ(State()["fault.open.skip"], "1");
  EXPECT_EQ(Run({"fault", "3", "clear"}), simdev::kCliOk);
  for (const auto& [key, value] : State()) EXPECT_NE(key.rfind("fault.", 0), 0u) << key;
  for (std::vector<std::string> bad : {std::vector<std::string>{"fault", "3", "rc", "100"},
                                       {"fault", "3", "short", "x"},
                                       {"fault", "3", "open", "0"},
                                       {"fault", "3", "line", "unplug", "2"},
                                       {"fault", "3", "line", "delay"},
                                       {"fault", "3", "line", "garble", "0"},
                                       {"fault", "3", "short"},
                                       {"fault", "3", "open", "skip=1001"},
                                       {"fault", "3", "melt"}})
    EXPECT_EQ(Run(bad), simdev::kCliUsage) << bad[2];
  EXPECT_EQ(Run({"fault", "4", "open"}), simdev::kCliFailed);
}

TEST_F(Cli, SetChecksFieldWidths) {
  Run({"attach", "3", "8343"});
  EXPECT_EQ(Run({"set", "3", "main_application", "EIGHTEEN-CHARS-123"}), simdev::kCliOk);
  EXPECT_EQ(State()["main_application"], "EIGHTEEN-CHARS-123");
  EXPECT_EQ(Run({"set", "3", "main_application", "NINETEEN-CHARS-1234"}), simdev::kCliUsage);
  // Bit 6 follows the card: what set and show say is what the terminal answers.
  EXPECT_EQ(Run({"set", "3", "status", "E5"}), simdev::kCliOk);
  EXPECT_EQ(out,
            "COM3-8343: status=A5 (bit 6, Smart Card Present, follows the card in the slot)\n");
  Run({"card", "3", "insert"});
  Run({"show", "3"});
  EXPECT_NE(out.find("  status=E5\n"), std::string::npos) << out;
  EXPECT_EQ(Run({"set", "3", "processors", "1"}), simdev::kCliOk);
  EXPECT_EQ(State()["processors"], "1");
  EXPECT_EQ(Run({"set", "3", "rsa_key", "none"}), simdev::kCliUsage);  // keys are not set by hand
}

TEST_F(Cli, ShowListsEveryDeviceWithoutItsImageLines) {
  EXPECT_EQ(Run({"show"}), simdev::kCliOk);
  EXPECT_EQ(out, "no device attached (state directory " + dir.Str() + ")\n");
  Run({"attach", "3", "8343"});
  simdev::KeyValues s = State();
  s["image.4000"] = "0102";
  simdev::SaveKeyValues(dir.File("COM3-8343"), s, "t");
  EXPECT_EQ(Run({"show", "COM3"}), simdev::kCliOk);
  EXPECT_NE(out.find("COM3-8343\n  card=none\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  processors=2\n"), std::string::npos);
  EXPECT_EQ(out.find("image.4000"), std::string::npos);
  EXPECT_NE(out.find("  image: 4000-4001 (2 bytes)\n"), std::string::npos) << out;
}

TEST_F(Cli, ServeIsTheProgramsToBringAndTheUsageListsIt) {
  constexpr int kServed = 7;
  auto serve = [](std::span<const std::string> args, const std::string&, std::string* err) {
    *err += args[0];
    return kServed;
  };
  EXPECT_EQ(
      simdev::RunCli(std::vector<std::string>{"serve", "--fast"}, dir.Str(), &out, &err, serve),
      kServed);
  EXPECT_EQ(err, "--fast");
  EXPECT_EQ(Run({"serve"}), simdev::kCliFailed);
  EXPECT_EQ(Run({"help"}), simdev::kCliOk);
  EXPECT_NE(out.find("\n  serve [--link DIR] [--fast]"), std::string::npos) << out;
}

TEST_F(Cli, TraceSwitchPerDriverOrBoth) {
  EXPECT_EQ(Run({"trace", "off"}), simdev::kCliOk);
  EXPECT_EQ(out, "WNT43PDD: tracing off\nWNT4XPDD: tracing off\n");
  EXPECT_FALSE(simdev::trace::IsTracing(dir.Str(), "WNT4XPDD"));
  EXPECT_EQ(Run({"trace", "WNT43PDD", "on"}), simdev::kCliOk);
  EXPECT_TRUE(simdev::trace::IsTracing(dir.Str(), "WNT43PDD"));
  EXPECT_FALSE(simdev::trace::IsTracing(dir.Str(), "WNT4XPDD"));
  simdev::trace::Record r;
  r.kind = simdev::trace::kFrameSent;
  r.model = 8343;
  r.port = 3;
  r.data = {0x0E, 0x02};
  simdev::trace::Append(dir.Str(), "WNT43PDD", r);
  EXPECT_EQ(Run({"trace", "WNT43PDD", "show"}), simdev::kCliOk);
  EXPECT_EQ(out, "WNT43PDD: tracing on, 1 records\n  #1 COM3 8343 sent status=0: 0E 02\n");
}

}  // namespace
