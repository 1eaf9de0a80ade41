// The application download program WNT43APD as one portable run: argument check, device-type
// check against the HEX file, download, report, identification print-out.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/Result.h"
#include "eft/EftApi.h"
#include "ui/Pause.h"

namespace wnt43apd {

// Where the program's text goes (standard output in the program).
class Output {
 public:
  virtual ~Output() = default;
  virtual void Write(std::string_view text) = 0;
};

class StringOutput : public Output {
 public:
  void Write(std::string_view text) override { text_.append(text); }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

// Results, which are also the exit status: these, or any other status EftDload returns.
using base::Result;
inline constexpr Result kSuccess = 0;
inline constexpr Result kCannotOpen = 1;         // the open before the download failed
inline constexpr Result kDeviceTypeError = 2;    // unexpected Read Device Type answer
inline constexpr Result kProcessorMismatch = 3;  // the file's tag does not suit the terminal
inline constexpr Result kFileNotOpened = 1808;
inline constexpr Result kNoCommunication = 1809;  // the Read Device Type exchange failed
inline constexpr Result kUsageExitStatus = 1;
inline constexpr unsigned kPauseAfterDownloadMs = 2000;
// The longest first record (':', 255 data bytes and the other fields in hexadecimal, 521
// characters) and its line end easily fit; a file without a second ':' in this many
// characters is no application file.
inline constexpr std::size_t kTagSearchLimit = 4096;

// The four characters after the second record's ':' and its count (the load-address field
// of the second record) of the HEX file at `path`, checked against the terminal's kind:
// kSuccess, kProcessorMismatch (also for a file that ends before the characters are read, or
// whose second ':' is not among its first kTagSearchLimit characters), or kFileNotOpened
// (also for a name that is not a plain file: COM1, NUL, COM1.HEX, a folder).
Result CheckHexTag(const std::string& path, bool dualProcessor);

// One run. `args` are the command-line arguments after the program name. Returns the exit
// status.
Result Run(std::span<const std::string> args, eft::EftApi& api, ui::Pause& pause, Output& out);

}  // namespace wnt43apd
