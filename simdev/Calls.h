// The stand-in libraries' calls, each library's declared once in a list below. From a list
// come the calls' numbers and names, the interface that the library's inside (EftLibrary,
// PinLibrary, on the device's end) and its remote twin (RemoteEft, RemotePin, in the DLL)
// both implement, both halves of the marshalling over the serial line (LibraryEnd.cpp,
// DeviceEnd.cpp), the DLLs' exports and, read by simdev/CMakeLists.txt, the DLLs' export
// lists with their @N sizes. Adding a call is one row; WNT43EFT.H and WNT42PIN.H, which the
// rows' parameters must match, stay the programs' hand-written C headers.
//
// A row is one of
//   OPEN(method, export, @N, export's parameters, the port it opens)
//       an open; the interface's method takes (port, handle out)
//   ALSO(method, export, @N, export's parameters, the port it opens)
//       one more export of the open before it, not a call of its own
//   CALL(method, export, @N, parameters, arguments, shape)
//       a call on an open handle, with the export's parameters
// @N is the bytes of the export's arguments (4 each), the x86 export name's decoration.
//
// On the line a call's request is its operation byte (the list's base plus the call's
// number), the device's handle (u32, not for an open), its number arguments (u16 each), its
// byte arguments (a field each: present when the pointer was not null and the shape gives a
// size), then one byte per output saying whether the caller gave it (none for a count that
// follows a buffer: that one says how much of the buffer was placed). The answer is the u16
// status, then per output: the handle (u32) of an open, a count (u16), or a buffer's bytes
// (a field). A PIN pad call always carries one output byte and one field, 0 and absent where
// it has no output. The stand-in's download, EftDload, is three operations of its own
// (LibraryEnd.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "eft/WNT43EFT.H"
#include "simdev/IntelHex.h"
#include "wntdld42/WNT42PIN.H"

namespace simdev {

inline constexpr std::size_t kMaxWriteLength = 512;
inline constexpr std::size_t kMaxHexFileSize = 8u << 20;
inline constexpr std::size_t kMaxDloadBlock = 1024;

// How many bytes a byte argument or output has.
struct Size {
  enum How : std::uint8_t { kNone, kFixed, kKeyType, kCounted, kText } how = kNone;
  std::uint16_t bytes = 0;  // kFixed: exactly; kCounted, kText: at most
};
constexpr Size None() { return {}; }
constexpr Size Fixed(std::uint16_t n) { return {Size::kFixed, n}; }
// A master key: as long as its key type (the call's first number) says.
constexpr Size KeyTyped() { return {Size::kKeyType, 16}; }
// As long as the call's number argument says, at most `most`.
constexpr Size Counted(std::uint16_t most) { return {Size::kCounted, most}; }
// A text and its zero byte, at most `most` bytes.
constexpr Size Text(std::uint16_t most) { return {Size::kText, most}; }

struct Shape {
  Size in, out;
  bool releasesOnFailure = false;  // a failed call lets the handle and the port go
};

#define SIMDEV_EFT_CALLS(OPEN, ALSO, CALL)                                                 \
  OPEN(Open, EftOpen, 4, (EFTHANDLE * handle), OwnPort())                                  \
  ALSO(Open, EftOpenParms, 8, (EFTHANDLE * handle, unsigned short port), port)             \
  CALL(Write, EftWrite, 16,                                                                \
       (EFTHANDLE handle, const unsigned char* frame, EFTCOUNT length, EFTCOUNT* written), \
       (handle, frame, length, written), (Shape{Counted(kMaxWriteLength), None(), true}))  \
  CALL(Read, EftRead, 16,                                                                  \
       (EFTHANDLE handle, unsigned char* buffer, EFTCOUNT capacity, EFTCOUNT* read),       \
       (handle, buffer, capacity, read), (Shape{None(), Counted(0xFFFF), true}))           \
  CALL(Close, EftClose, 4, (EFTHANDLE handle), (handle), (Shape{}))                        \
  CALL(Dload, EftDload, 8, (EFTHANDLE handle, const char* path), (handle, path), (Shape{}))

#define SIMDEV_PIN_CALLS(OPEN, ALSO, CALL)                                                        \
  OPEN(Open, PinOpen, 4, (PINHANDLE * handle), OwnPort())                                         \
  OPEN(OpenParms, PinOpenParms, 8, (PINHANDLE * handle, unsigned short port), port)               \
  CALL(LoadMasterKey, PinLoadMasterKey, 16,                                                       \
       (PINHANDLE handle, unsigned short keyType, const unsigned char* key,                       \
        unsigned char* response),                                                                 \
       (handle, keyType, key, response), (Shape{KeyTyped(), Fixed(PIN_RESPONSE_SIZE)}))           \
  CALL(EnterMasterKey, PinEnterMasterKey, 12,                                                     \
       (PINHANDLE handle, unsigned short keyType, unsigned char* response),                       \
       (handle, keyType, response), (Shape{None(), Fixed(PIN_RESPONSE_SIZE)}))                    \
  CALL(LoadKey, PinLoadKey, 20,                                                                   \
       (PINHANDLE handle, unsigned short keyId, unsigned short variant, const unsigned char* key, \
        unsigned char* response),                                                                 \
       (handle, keyId, variant, key, response), (Shape{Fixed(8), Fixed(PIN_RESPONSE_SIZE)}))      \
  CALL(LoadIcv, PinLoadICV, 12,                                                                   \
       (PINHANDLE handle, unsigned short variant, const unsigned char* icv),                      \
       (handle, variant, icv), (Shape{Fixed(8), None()}))                                         \
  CALL(LoadVerifParms, PinLoadVerifParms, 12,                                                     \
       (PINHANDLE handle, unsigned short pinLength, const unsigned char* table),                  \
       (handle, pinLength, table), (Shape{Fixed(16), None()}))                                    \
  CALL(SetModeEnc, PinSetModeEnc, 4, (PINHANDLE handle), (handle), (Shape{}))                     \
  CALL(SetModeClr, PinSetModeClr, 4, (PINHANDLE handle), (handle), (Shape{}))                     \
  CALL(ReadSn, PinReadSN, 8, (PINHANDLE handle, unsigned char* serial), (handle, serial),         \
       (Shape{None(), Fixed(PIN_RESPONSE_SIZE)}))                                                 \
  CALL(ExecDevDiag, PinExecDevDiag, 12,                                                           \
       (PINHANDLE handle, unsigned short code, unsigned char* buffer), (handle, code, buffer),    \
       (Shape{None(), Text(PIN_DIAG_SIZE)}))                                                      \
  CALL(Close, PinClose, 4, (PINHANDLE handle), (handle), (Shape{}))

#define SIMDEV_NOTHING(...)
#define SIMDEV_ENUMERATOR(method, ...) k##method,
#define SIMDEV_NAME(method, name, ...) #name,
#define SIMDEV_SHAPE_OF_OPEN(...) Shape{},
#define SIMDEV_SHAPE(method, name, n, params, args, shape) shape,
#define SIMDEV_OPEN_METHOD(method, ...) \
  virtual std::uint16_t method(std::uint16_t port, std::uint32_t* handle) = 0;
#define SIMDEV_CALL_METHOD(method, name, n, params, ...) virtual std::uint16_t method params = 0;
// What a class that implements the interface declares.
#define SIMDEV_OPEN_OVERRIDE(method, ...) \
  std::uint16_t method(std::uint16_t port, std::uint32_t* handle) override;
#define SIMDEV_CALL_OVERRIDE(method, name, n, params, ...) std::uint16_t method params override;

// The calls of a list, numbered from 1 in the list's order, with their export names and
// shapes; `kBase` plus the number is the call's operation byte on the line.
#define SIMDEV_DECLARE_CALLS(Calls, Call, LIST, base, alwaysOneOutput)                             \
  enum class Call : std::uint8_t {                                                                 \
    kNone,                                                                                         \
    LIST(SIMDEV_ENUMERATOR, SIMDEV_NOTHING, SIMDEV_ENUMERATOR)                                     \
  };                                                                                               \
  class Calls {                                                                                    \
   public:                                                                                         \
    using Number = Call;                                                                           \
    static constexpr std::uint8_t kBase = base;                                                    \
    static constexpr bool kOneOutput = alwaysOneOutput;                                            \
    static constexpr const char* kNames[] = {"", LIST(SIMDEV_NAME, SIMDEV_NOTHING, SIMDEV_NAME)};  \
    static constexpr Shape kShapes[] = {Shape{},                                                   \
                                        LIST(SIMDEV_SHAPE_OF_OPEN, SIMDEV_NOTHING, SIMDEV_SHAPE)}; \
    static constexpr std::uint8_t kCount = sizeof kNames / sizeof kNames[0] - 1;                   \
    virtual ~Calls() = default;                                                                    \
    LIST(SIMDEV_OPEN_METHOD, SIMDEV_NOTHING, SIMDEV_CALL_METHOD)                                   \
  };

SIMDEV_DECLARE_CALLS(EftCalls, EftCall, SIMDEV_EFT_CALLS, 0x00, false)
SIMDEV_DECLARE_CALLS(PinCalls, PinCall, SIMDEV_PIN_CALLS, 0x10, true)

// The download's steps after its start (EftDload's own operation byte) on the line.
inline constexpr std::uint8_t kDloadBlock = 0x06;
inline constexpr std::uint8_t kDloadEnd = 0x07;
// PddTrace of a port driver, asked of the device's end.
inline constexpr std::uint8_t kPddTraceOp = 0x20;
// A trace of up to 32768 bytes comes in pieces that fit a frame.
inline constexpr std::size_t kMaxTracePiece = 1024;
// The piece of a trace of `length` bytes from `offset` (at most `length`): what the device's
// end sends, and the only piece the library's end takes.
constexpr std::size_t TracePiece(std::size_t length, std::size_t offset) {
  return length - offset < kMaxTracePiece ? length - offset : kMaxTracePiece;
}

// "PinLoadKey" for PinCall::kLoadKey: also the name of the fault that scripts that call.
inline const char* PinFunctionName(PinCall call) {
  auto i = static_cast<std::size_t>(call);
  return i <= PinCalls::kCount ? PinCalls::kNames[i] : "";
}
// Key bytes of a master-key type: 8, 16, or 0 for a type the pad does not know.
std::size_t MasterKeyLength(std::uint16_t keyType);

// The bytes a byte argument or output of `size` has, given the call's number arguments.
std::size_t SizeOf(Size size, std::uint16_t firstNumber, std::uint16_t lastNumber);

// What EftDload makes of the file to download: 0 with the image, kFileNotOpened or
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

}  // namespace simdev
