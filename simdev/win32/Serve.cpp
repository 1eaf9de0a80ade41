// `simdev serve` on Windows: the devices answer on this machine's COM ports, so they can sit
// on a second PC behind a null-modem cable. A real port keeps its own time: nothing is held
// back.
#include "simdev/Serve.h"

#include <windows.h>

#include "simdev/Status.h"
#include "simdev/win32/ComPort.h"

namespace simdev {

namespace {

std::atomic<bool> stopping{false};

BOOL WINAPI OnConsoleEvent(DWORD) {
  stopping = true;
  return TRUE;
}

class ComLine : public ServedLine {
 public:
  ComLine(std::unique_ptr<line::Port> port, std::string name)
      : port_(std::move(port)), name_(std::move(name)) {}
  const std::string& Name() const override { return name_; }
  std::size_t Receive(std::uint8_t* buffer, std::size_t capacity, unsigned timeoutMs) override {
    return port_->Receive(buffer, capacity, timeoutMs);
  }
  void Send(std::span<const std::uint8_t> bytes) override { port_->Send(bytes); }
  unsigned PaceBaud() override { return 0; }

 private:
  std::unique_ptr<line::Port> port_;
  std::string name_;
};

}  // namespace

int Serve(std::span<const std::string> args, const std::string& dir, std::string* err) {
  ServeOptions options;
  if (!ParseServeArgs(args, &options, err)) return 2;
  if (!options.linkDir.empty() || !options.cables.empty()) {
    *err += std::string("simdev serve: --link and --cable are for Linux pseudo-terminals\n") +
            kServeUsage;
    return 2;
  }
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  return ServeLines(
      options, dir,
      [](std::uint16_t port, const std::string& line,
         std::string* error) -> std::unique_ptr<ServedLine> {
        std::string name = line.empty() ? "COM" + std::to_string(port) : line;
        if (name.compare(0, 3, "COM") != 0 && name.compare(0, 3, "com") != 0) name = "COM" + name;
        std::uint16_t status = 0;
        auto opened =
            win32::OpenComPort(static_cast<std::uint16_t>(std::stoul(name.substr(3))), &status);
        if (!opened) {
          *error = name + (status == status::kPortHeld ? " is held by another program"
                                                       : " cannot be opened");
          return nullptr;
        }
        return std::make_unique<ComLine>(std::move(opened), name);
      },
      stopping, err);
}

}  // namespace simdev
