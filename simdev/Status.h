// The statuses the stand-in libraries return besides 0. The values follow the Win32 error
// codes of the same meaning, so a program that shows a status shows something a technician
// can look up.
#pragma once

#include <cstdint>

namespace simdev::status {

inline constexpr std::uint16_t kOk = 0;
inline constexpr std::uint16_t kNoDevice = 2;           // nothing attached on that port
inline constexpr std::uint16_t kCannotOpenPort = 2;     // the line: no such port
inline constexpr std::uint16_t kPortInUse = 5;          // scripted open failure (default code)
inline constexpr std::uint16_t kPortHeld = 5;           // the line: the port is another program's
inline constexpr std::uint16_t kInvalidHandle = 6;      // handle not open (or closed)
inline constexpr std::uint16_t kDamagedState = 13;      // the device's state file is damaged
inline constexpr std::uint16_t kLineGarbled = 23;       // the answers came garbled every time
inline constexpr std::uint16_t kWriteFault = 29;        // scripted write failure (default code)
inline constexpr std::uint16_t kReadFault = 30;         // scripted read failure (default code)
inline constexpr std::uint16_t kGeneralFailure = 31;    // something unexpected failed inside, a
                                                        // request that cannot be read, a scripted
                                                        // fault without a usable code
inline constexpr std::uint16_t kInvalidParameter = 87;  // null pointer, bad key type, value
                                                        // out of range, empty or oversized frame
inline constexpr std::uint16_t kLineSilent = 121;       // no answer within the time-out
inline constexpr std::uint16_t kDeviceGone = 1167;      // device detached after the open
inline constexpr std::uint16_t kNoAnswer = 1460;        // read without a command to answer
// EftDload.
inline constexpr std::uint16_t kFileNotOpened = 1808;    // HEX file cannot be opened
inline constexpr std::uint16_t kNoCommunication = 1809;  // terminal does not answer
inline constexpr std::uint16_t kBadHexFile = 1810;  // not a valid Intel HEX file for the terminal

}  // namespace simdev::status
