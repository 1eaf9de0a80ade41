// Deciding what an installation source holds and everything that stops it from being
// composed, without touching a file: the folders come as listings and the binaries' facts
// through a function, so that tests can give it any folder.
#pragma once

#include <cstddef>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fiosetup/FileGroups.h"
#include "tools/kit/PeFile.h"

namespace kit {

// The group names of the command line, in the installer's group order.
struct GroupName {
  std::string_view name;
  fiosetup::FileGroup group;
};
inline constexpr GroupName kGroupNames[] = {
    {"8341", fiosetup::FileGroup::k8341},
    {"8341-async", fiosetup::FileGroup::k8341Async},
    {"8342-msr", fiosetup::FileGroup::k8342Msr},
    {"8342-msr-async", fiosetup::FileGroup::k8342MsrAsync},
    {"8342-pin", fiosetup::FileGroup::k8342Pin},
    {"8342-pin-async", fiosetup::FileGroup::k8342PinAsync},
    {"family", fiosetup::FileGroup::kFamilyCommon},
    {"8343", fiosetup::FileGroup::k8343},
    {"8343-async", fiosetup::FileGroup::k8343Async},
};

constexpr bool NamesEveryGroup() {
  if (std::size(kGroupNames) != std::size(fiosetup::kFileGroups)) return false;
  for (std::size_t i = 0; i < std::size(kGroupNames); ++i) {
    if (kGroupNames[i].group != fiosetup::kFileGroups[i]) return false;
  }
  return true;
}
static_assert(NamesEveryGroup(), "a file group without its name on the command line");

std::optional<fiosetup::FileGroup> GroupNamed(std::string_view name);
std::string_view NameOf(fiosetup::FileGroup group);

// One entry of a folder: its name as the folder spells it, and whether it is a plain file
// that opens for reading.
struct Entry {
  std::string name;
  bool readable = true;
};
struct Folder {
  std::string path;
  std::vector<Entry> entries;
};

struct Request {
  std::vector<fiosetup::FileGroup> groups;  // any order; a group named twice counts once
  bool emulated = false;                    // the emulator kit's libraries are allowed
  std::string out;
  bool outTaken = false;  // the out folder exists and is not an empty folder
};

// One file of the source: where it is read from and the exact name it gets.
struct Placement {
  std::string source;
  std::string name;
};

struct Composition {
  std::vector<std::string> problems;  // each once, in the order found; none: `plan` holds
  std::vector<Placement> plan;        // in the order of the installer's distribution files
};

// The PE facts of a file by its path, or why it has none.
using PeFacts = std::function<PeRead(const std::string& path)>;

// The files of the requested groups, each from the kit folder when it holds that name (the
// suite's own programs and help), else from the devices folder; names match in any letter
// case. The plan is empty whenever a problem was found.
Composition Compose(const Request& request, const Folder& kit, const Folder& devices,
                    const PeFacts& facts);

// Whether a version description calls its file emulated, as the emulator kit's libraries do.
bool SaysEmulated(std::string_view description);

}  // namespace kit
