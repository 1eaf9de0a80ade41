// The library's end of the serial line: the stand-in DLLs' calls (RemoteEft, RemotePin:
// the interfaces of simdev/Calls.h, each call one exchange of a request and its answer) and
// PddTrace, carried to the device's end (simdev/DeviceEnd.h) that `simdev serve` runs. The
// DLLs link this end alone, never the emulated devices. Handles are the device's; a byte field
// says whether it is present, so a null pointer at the library stays one at the device.
// README.md's request table ("The serial line and simdev serve") gives every operation's
// fields, the download's three and PddTrace's included.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "simdev/Calls.h"
#include "simdev/Line.h"
#include "simdev/Status.h"

namespace simdev::remote {

// Opens the line to the device on a COM port. On failure returns null with the status.
using Opener =
    std::function<std::unique_ptr<line::Port>(std::uint16_t port, std::uint16_t* status)>;

// What a library holds of its open lines (one per port, shared by the handles on it) and of
// its sessions: each handle of the library names a handle of the device on a port.
class Lines {
 public:
  struct Session {
    std::uint16_t port;
    std::uint32_t remote;
  };
  explicit Lines(Opener opener, unsigned timeoutMs)
      : opener_(std::move(opener)), timeoutMs_(timeoutMs) {}
  // The line of `port`, opened if need be; null with the status when it cannot be.
  line::Client* Open(std::uint16_t port, std::uint16_t* status);
  void Release(std::uint16_t port);
  // Opens the line of `port` and, with `request` (an open whose answer carries the device's
  // handle), a session on it; the library's handle for it in `*handle` (null: the device
  // refuses the open, as the caller gave no place for a handle).
  std::uint16_t OpenSession(std::uint16_t port, const line::Bytes& request, std::uint32_t* handle);
  const Session* Find(std::uint32_t handle) const;
  // Ends the session and lets its line go.
  void EndSession(std::uint32_t handle);

 private:
  struct OpenLine {
    std::unique_ptr<line::Port> port;
    std::unique_ptr<line::Client> client;
    unsigned users = 0;
  };
  Opener opener_;
  unsigned timeoutMs_;
  std::map<std::uint16_t, OpenLine> open_;
  std::map<std::uint32_t, Session> sessions_;
  std::uint32_t next_ = 1;
};

// What both remote twins share: their lines, and each call marshalled from its row.
class LineCalls {
 protected:
  LineCalls(Opener opener, unsigned timeoutMs) : lines_(std::move(opener), timeoutMs) {}
  template <typename Calls>
  std::uint16_t OpenCall(typename Calls::Number call, std::uint16_t port, std::uint32_t* handle);
  template <typename Calls, typename... A>
  std::uint16_t Call(typename Calls::Number call, std::uint32_t handle, A... arguments);
  std::uint16_t Download(std::uint32_t handle, const char* path);
  // One exchange on the session's line; `silent` (the line's own status by default) when no
  // answer came.
  std::uint16_t Exchange(const Lines::Session& session, const line::Bytes& request,
                         line::Bytes* answer, std::uint16_t silent = status::kLineSilent);
  Lines lines_;
};

class RemoteEft : public EftCalls, LineCalls {
 public:
  explicit RemoteEft(Opener opener, unsigned timeoutMs = line::kAnswerTimeoutMs)
      : LineCalls(std::move(opener), timeoutMs) {}
  SIMDEV_EFT_CALLS(SIMDEV_OPEN_OVERRIDE, SIMDEV_NOTHING, SIMDEV_CALL_OVERRIDE)
};

class RemotePin : public PinCalls, LineCalls {
 public:
  explicit RemotePin(Opener opener, unsigned timeoutMs = line::kAnswerTimeoutMs)
      : LineCalls(std::move(opener), timeoutMs) {}
  SIMDEV_PIN_CALLS(SIMDEV_OPEN_OVERRIDE, SIMDEV_NOTHING, SIMDEV_CALL_OVERRIDE)
};

// PddTrace of a driver, asked of the server behind `port`.
std::uint32_t RemotePddTrace(const Opener& opener, std::uint16_t port, const std::string& driver,
                             unsigned char* buffer, unsigned timeoutMs = line::kAnswerTimeoutMs);

}  // namespace simdev::remote
