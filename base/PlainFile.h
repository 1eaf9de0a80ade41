// Opening a file the user named, only when it is a file: Windows takes some names for devices
// (COM1, NUL, CON ...), and reading a serial port or the console as a HEX file never ends.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace base {

// True when Windows would open the device, not a file, for `path`: its last component, up to
// its first dot and without trailing blanks, is CON, PRN, AUX, NUL, COM1-COM9 or LPT1-LPT9 in
// any letter case (with or without an extension, so COM1.HEX is the port), CONIN$ or CONOUT$,
// or the path is in the device namespace (\\.\COM1).
bool IsDeviceName(std::string_view path);

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` for reading (`text` as a text file, else binary) when it names a plain file;
// null for a device name, a folder, a pipe or any other kind of file, and when it cannot be
// opened. A name that stat sees as something else is not opened at all, since opening a pipe
// or a port can block or act on the device.
File OpenPlainFile(const std::string& path, bool text);

// Reads a plain file (as OpenPlainFile opens it, binary) into `bytes`, at most `limit` bytes.
// kTooLarge when the file holds more: `bytes` then holds its first `limit` bytes.
enum class ReadResult { kOk, kCannotOpen, kTooLarge };
ReadResult ReadPlainFile(const std::string& path, std::size_t limit, std::string* bytes);

// Writes `bytes` as the whole of `path`, or leaves it as it was: they go to `path` + ".tmp"
// first, which is then renamed over it, so a reader never sees a half-written file. False
// when the file could not be written; the ".tmp" file is then gone again.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

}  // namespace base
