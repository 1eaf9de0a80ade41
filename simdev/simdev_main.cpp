// simdev: attaches, shows and scripts the emulated devices of the stand-in libraries.
#include <cstdio>
#include <string>
#include <vector>

#include "simdev/Cli.h"
#include "simdev/Serve.h"
#include "simdev/State.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string out, err;
  int status = simdev::RunCli(args, simdev::StateDirectory(), &out, &err, simdev::Serve);
  std::fputs(out.c_str(), stdout);
  std::fputs(err.c_str(), stderr);
  return status;
}
