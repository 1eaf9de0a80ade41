// A COM port as one end of the serial line.
#include "simdev/win32/ComPort.h"

#include <windows.h>

#include <string>

#include "simdev/Status.h"

namespace simdev::win32 {

namespace {

// Ten bit times at 19200 baud are half a millisecond; a pause twenty times that long ends
// what the device sent.
constexpr DWORD kIntervalMs = 10;

class ComPort : public line::Port {
 public:
  ComPort(HANDLE file, HANDLE claim) : file_(file), claim_(claim) {}
  ~ComPort() override {
    CloseHandle(file_);
    ReleaseSemaphore(claim_, 1, nullptr);
    CloseHandle(claim_);
  }

  bool Send(std::span<const std::uint8_t> bytes) override {
    DWORD written = 0;
    return WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
  }

  std::uint64_t Milliseconds() override { return GetTickCount64(); }

  std::size_t Receive(std::uint8_t* buffer, std::size_t capacity, unsigned timeoutMs) override {
    if (timeoutMs != timeoutMs_) {
      // Back once the bytes that came have paused for kIntervalMs, or after the time-out with
      // nothing. (Windows' "back at the first byte" setting, MAXDWORD twice, Wine does not
      // honour: it waits out the whole time-out.)
      COMMTIMEOUTS t{};
      t.ReadIntervalTimeout = kIntervalMs;
      t.ReadTotalTimeoutConstant = timeoutMs;
      t.WriteTotalTimeoutConstant = 5000;
      if (!SetCommTimeouts(file_, &t)) return 0;
      timeoutMs_ = timeoutMs;
    }
    DWORD read = 0;
    if (!ReadFile(file_, buffer, static_cast<DWORD>(capacity), &read, nullptr)) return 0;
    return read;
  }

 private:
  HANDLE file_;
  HANDLE claim_;
  unsigned timeoutMs_ = ~0u;
};

}  // namespace

std::unique_ptr<line::Port> OpenComPort(std::uint16_t port, std::uint16_t* status) {
  std::string number = std::to_string(port);
  std::string claimName = "Global\\simdev-line-COM" + number;
  HANDLE claim = CreateSemaphoreA(nullptr, 1, 1, claimName.c_str());
  if (!claim) {
    *status = status::kPortHeld;
    return nullptr;
  }
  if (WaitForSingleObject(claim, 0) != WAIT_OBJECT_0) {
    CloseHandle(claim);
    *status = status::kPortHeld;
    return nullptr;
  }
  std::string path = "\\\\.\\COM" + number;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (file == INVALID_HANDLE_VALUE || !GetCommState(file, &dcb)) {
    DWORD error = GetLastError();
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    ReleaseSemaphore(claim, 1, nullptr);
    CloseHandle(claim);
    *status = error == ERROR_ACCESS_DENIED ? status::kPortHeld : status::kCannotOpenPort;
    return nullptr;
  }
  dcb.BaudRate = line::kBaud;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  SetCommState(file, &dcb);
  PurgeComm(file, PURGE_RXCLEAR | PURGE_TXCLEAR);
  return std::make_unique<ComPort>(file, claim);
}

}  // namespace simdev::win32
