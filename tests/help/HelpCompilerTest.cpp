// The hlpc command: refuses bad input with file, line and reason and leaves no file behind;
// builds a readable file from good input.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "help/HelpReader.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int exit;
  std::string output;
};

Outcome Hlpc(const std::string& args) {
  std::string command = std::string(SUITE_HLPC) + " " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  Outcome run{-1, ""};
  if (!pipe) return run;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
  int status = pclose(pipe);
  run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class HelpCompiler : public testing::Test {
 protected:
  const support::TempFolder dir_{"hlpc-test"};
};

const char* kGood =
    "@file T\n@topic contents\n@contents\n@title Contents\n@topic a 20\n@title A\nText.\n";

TEST_F(HelpCompiler, BuildsAReadableFileAndLeavesNoTemporary) {
  std::string source = dir_.Write("good.topics", kGood);
  std::string out = dir_.File("GOOD.HLP");
  Outcome run = Hlpc(source + " -o " + out);
  EXPECT_EQ(run.exit, 0) << run.output;
  EXPECT_EQ(run.output, "");
  std::ifstream in(out, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  help::ReadResult r = help::ReadHelpFile(bytes);
  EXPECT_EQ(r.error, "");
  ASSERT_NE(help::TopicForNumber(r.file, 20), nullptr);
  EXPECT_EQ(help::TopicForNumber(r.file, 20)->title, "A");
  EXPECT_FALSE(fs::exists(out + ".tmp"));
}

TEST_F(HelpCompiler, RefusesBadInputAndWritesNothing) {
  const std::pair<std::string, std::string> bad[] = {
      {std::string(kGood) + "@topic b 20\n@title B\n", ":8: duplicate context number 20"},
      {std::string(kGood) + "@topic b 30\nno title\n", ":8: topic \"b\" has no title"},
      {std::string(kGood) + "\n" + std::string(5000, 'x') + "\n",
       ":9: paragraph of 5000 characters does not fit"},
  };
  for (const auto& [text, message] : bad) {
    std::string source = dir_.Write("bad.topics", text);
    std::string out = dir_.File("BAD.HLP");
    Outcome run = Hlpc(source + " -o " + out);
    EXPECT_EQ(run.exit, 1) << message;
    EXPECT_NE(run.output.find("hlpc: " + source + message), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(out)) << message;
    EXPECT_FALSE(fs::exists(out + ".tmp")) << message;
  }
}

TEST_F(HelpCompiler, AFailedBuildLeavesTheEarlierFileAsItWas) {
  std::string out = dir_.File("KEEP.HLP");
  ASSERT_EQ(Hlpc(dir_.Write("good.topics", kGood) + " -o " + out).exit, 0);
  auto before = fs::file_size(out);
  Outcome run = Hlpc(dir_.Write("bad.topics", "@file T\n@topic a\n") + " -o " + out);
  EXPECT_EQ(run.exit, 1);
  EXPECT_EQ(fs::file_size(out), before);
}

TEST_F(HelpCompiler, UsageAndUnreadableSource) {
  EXPECT_EQ(Hlpc("").exit, 2);
  Outcome run = Hlpc(dir_.File("missing.topics") + " -o " + dir_.File("X.HLP"));
  EXPECT_EQ(run.exit, 1);
  EXPECT_NE(run.output.find("missing.topics: cannot open"), std::string::npos) << run.output;
}

}  // namespace
