// The inside of the stand-in WNT43EFT library: its calls (simdev/Calls.h) carried out on the
// emulated 8343 terminals of a state directory. It runs at the device's end of the serial
// line, in `simdev serve` (simdev/DeviceEnd.h); the DLL holds only the library's end.
// Portable, so it is tested natively.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "simdev/Calls.h"
#include "simdev/IntelHex.h"

namespace simdev {

class EftLibrary : public EftCalls {
 public:
  explicit EftLibrary(std::string stateDir) : dir_(std::move(stateDir)) {}

  // A failed write or read ends its session, as the stand-in DLL lets the handle and the
  // port go then; an open ends the sessions left on its port, which only a line that failed
  // under a write or read leaves behind (a COM port has one user at a time).
  SIMDEV_EFT_CALLS(SIMDEV_OPEN_OVERRIDE, SIMDEV_NOTHING, SIMDEV_CALL_OVERRIDE)
  // The download in the steps the serial line carries it in: the start, with the library's
  // verdict on the file (0 when it was read and parsed, else kFileNotOpened or kBadHexFile);
  // when that gives 0, the image's blocks; last the count and CRC-16/ARC of the bytes sent,
  // checked against what came before the image is stored. A download not ended stores
  // nothing.
  std::uint16_t DloadBegin(std::uint32_t handle, const std::string& name, std::uint16_t verdict);
  std::uint16_t DloadBlock(std::uint32_t handle, std::uint16_t address,
                           std::span<const std::uint8_t> bytes);
  std::uint16_t DloadEnd(std::uint32_t handle, std::uint32_t count, std::uint16_t crc);

  const std::string& StateDir() const { return dir_; }

 private:
  struct Download {
    std::string name;
    MemoryImage image;
    std::uint32_t count = 0;
    std::uint16_t crc = 0;
  };
  struct Session {
    std::uint16_t port = 0;
    bool answered = false;  // an answer waits to be read
    std::vector<std::uint8_t> answer;
    std::unique_ptr<Download> download;  // a download begun and not ended
  };
  std::string StatePath(std::uint16_t port) const;
  void TraceDownload(std::uint16_t port, std::uint16_t status, const std::string& name);
  void TraceRecord(std::uint8_t kind, std::uint16_t port, std::uint16_t status,
                   std::vector<std::uint8_t> data, std::uint8_t flags = 0);

  std::string dir_;
  std::map<std::uint32_t, Session> sessions_;
  std::uint32_t next_ = 0x43000001;
};

}  // namespace simdev
