// The device end of the stand-in WNT43EFT library: the six functions over the emulated 8343
// terminals of a state directory. Portable, so it is tested natively; `simdev serve` answers
// the DLL's calls on the serial line with it (simdev/Remote.h).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "simdev/IntelHex.h"

namespace simdev {

// Library statuses besides 0 (success) and the download results. The values follow the
// Win32 error codes of the same meaning.
namespace eftstatus {
inline constexpr std::uint16_t kOk = 0;
inline constexpr std::uint16_t kNoDevice = 2;           // no terminal attached on that port
inline constexpr std::uint16_t kPortInUse = 5;          // scripted open failure (default code)
inline constexpr std::uint16_t kInvalidHandle = 6;      // handle not open (or closed)
inline constexpr std::uint16_t kDamagedState = 13;      // the terminal's state file is damaged
inline constexpr std::uint16_t kWriteFault = 29;        // scripted write failure (default code)
inline constexpr std::uint16_t kReadFault = 30;         // scripted read failure (default code)
inline constexpr std::uint16_t kInvalidParameter = 87;  // null pointer, empty or oversized frame
inline constexpr std::uint16_t kDeviceGone = 1167;      // terminal detached after the open
inline constexpr std::uint16_t kNoAnswer = 1460;        // read without a command to answer
// EftDload.
inline constexpr std::uint16_t kFileNotOpened = 1808;    // HEX file cannot be opened
inline constexpr std::uint16_t kNoCommunication = 1809;  // terminal does not answer
inline constexpr std::uint16_t kBadHexFile = 1810;  // not a valid Intel HEX file for the terminal
}  // namespace eftstatus

inline constexpr std::size_t kMaxWriteLength = 512;
inline constexpr std::size_t kMaxHexFileSize = 8u << 20;
inline constexpr std::size_t kMaxDloadBlock = 1024;

// What the library makes of the file to download: 0 with the image, kFileNotOpened or
// kBadHexFile. Only a plain file is read: COM1.HEX is the serial port to Windows, and reading
// it would never end.
std::uint16_t ReadDownloadFile(const char* path, MemoryImage* image);
// Hands the image's loaded bytes to `send` in blocks of at most `size` bytes, in address order,
// until it returns false; the count and CRC-16/ARC of the bytes it took, as the download's end
// reports them.
struct BlocksSent {
  std::uint32_t count = 0;
  std::uint16_t crc = 0;
};
BlocksSent ForEachBlock(
    const MemoryImage& image, std::size_t size,
    const std::function<bool(std::uint16_t, std::span<const std::uint8_t>)>& send);

class EftLibrary {
 public:
  explicit EftLibrary(std::string stateDir) : dir_(std::move(stateDir)) {}

  std::uint16_t Open(std::uint16_t port, std::uint32_t* handle);
  std::uint16_t Write(std::uint32_t handle, const std::uint8_t* frame, std::uint16_t length,
                      std::uint16_t* written);
  std::uint16_t Read(std::uint32_t handle, std::uint8_t* buffer, std::uint16_t capacity,
                     std::uint16_t* read);
  std::uint16_t Close(std::uint32_t handle);
  std::uint16_t Dload(std::uint32_t handle, const char* path);
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
