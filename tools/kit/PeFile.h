// What the installation-source checks read from a Windows PE image (PE32 or PE32+): its
// machine, whether it is a DLL, its exports and imports by name and its version strings.
// Every offset and size is checked against the bytes: a damaged image gives a reason, never
// a crash or a read past the end, and no walk can loop.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kit {

inline constexpr std::uint16_t kMachineI386 = 0x14C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;

struct PeImport {
  std::string dll;                     // as the image names it, in its letter case
  std::vector<std::string> functions;  // imported by name; imports by ordinal are left out
};

struct PeImage {
  std::uint16_t machine = 0;
  bool dll = false;
  std::vector<std::string> exports;  // every exported name, in the name table's order
  std::vector<PeImport> imports;
  // The StringFileInfo strings of the version resource (key, value), every table's, in order.
  std::vector<std::pair<std::string, std::string>> versionStrings;
};

struct PeRead {
  PeImage image;
  std::string error;  // empty: the image was read whole
};

PeRead ReadPe(std::span<const std::uint8_t> bytes);

// "32-bit x86", "x64", or the machine number in hexadecimal ("machine 0x1C4").
std::string MachineName(std::uint16_t machine);

// The first version string of that key; empty when there is none.
std::string VersionString(const PeImage& image, std::string_view key);

}  // namespace kit
