// The inside of the stand-in WNT43EFT library: the six functions over the emulated 8343
// terminals of a state directory. Portable, so it is tested natively; the DLL only binds
// its exports to one instance of it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

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

  const std::string& StateDir() const { return dir_; }

 private:
  struct Session {
    std::uint16_t port = 0;
    bool answered = false;  // an answer waits to be read
    std::vector<std::uint8_t> answer;
  };
  std::string StatePath(std::uint16_t port) const;
  void TraceRecord(std::uint8_t kind, std::uint16_t port, std::uint16_t status,
                   std::vector<std::uint8_t> data, std::uint8_t flags = 0);

  std::string dir_;
  std::map<std::uint32_t, Session> sessions_;
  std::uint32_t next_ = 0x43000001;
};

}  // namespace simdev
