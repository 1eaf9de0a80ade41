// The emulated devices on serial lines for a Windows test under Wine: the native
// `simdev serve` (the path in SUITE_NATIVE_SIMDEV) over a state directory, its lines linked
// into this Wine prefix's dosdevices folder, so the programs reach the devices through their
// COM ports as they would on a workstation. The server does not hold bytes back to the line's
// speed (--fast), so the tests take no longer than before. The tests of one tree that use it
// hold the "comports" lock, since the links are the prefix's.
#pragma once

#include <optional>
#include <string>

#include "tools/UiAuto.h"

namespace uiauto {

class DeviceServer {
 public:
  // Starts serving every device attached in `stateDir` (a Windows path), with `arguments`
  // added to the command (a --cable), and waits until the server is up.
  explicit DeviceServer(const std::string& stateDir, const std::string& arguments = "");
  // Asks the server to stop and waits until it has put the links back.
  ~DeviceServer();
  DeviceServer(const DeviceServer&) = delete;
  DeviceServer& operator=(const DeviceServer&) = delete;

  // Waits until every device attached in the state directory has its line (the server looks
  // for new devices four times a second).
  void Sync() const;
  // The Unix path of a Windows path, as the server and Wine's dosdevices links need it.
  static std::string UnixPath(const std::string& windowsPath);

 private:
  std::string stateDir_;
  std::optional<Process> process_;
};

}  // namespace uiauto
