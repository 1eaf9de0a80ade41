// WNT43APD: downloads an application HEX file into the 8343 EFT terminal.
#include <cstdio>
#include <string>
#include <vector>

#include "eft/ImportedEftApi.h"
#include "ui/Pause.h"
#include "wnt43apd/Download.h"

namespace {

class StdoutOutput : public wnt43apd::Output {
 public:
  void Write(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stdout); }
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  eft::ImportedEftApi api;
  ui::SleepPause pause;
  StdoutOutput out;
  int status = wnt43apd::Run(args, api, pause, out);
  std::fflush(stdout);
  return status;
}
