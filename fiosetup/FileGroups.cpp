// The file groups. The build's list of distribution files (cmake/DistFiles.cmake) must
// name the same files; a test compares the two.
#include "fiosetup/FileGroups.h"

#include <algorithm>
#include <array>

namespace fiosetup {
namespace {

using namespace std::string_view_literals;

constexpr std::array k8341 = {"WNT41MAG.DLL"sv, "WNT41MAG.LIB"sv, "WNT41MAG.H"sv};
constexpr std::array k8341Async = {"WNTA1MAG.DLL"sv, "WNTA1MAG.LIB"sv, "WNTA1MAG.H"sv};
constexpr std::array k8342Msr = {"WNT42MSR.DLL"sv, "WNT42MSR.LIB"sv, "WNT42MSR.H"sv};
constexpr std::array k8342MsrAsync = {"WNTA2MSR.DLL"sv, "WNTA2MSR.LIB"sv, "WNTA2MSR.H"sv};
// The key loader's help goes with it: no other group installs it.
constexpr std::array k8342Pin = {"WNT42PIN.DLL"sv, "WNT42PIN.LIB"sv, "WNT42PIN.H"sv,
                                 "WNTDLD42.EXE"sv, "WNTDLD42.HLP"sv};
constexpr std::array k8342PinAsync = {"WNTA2PIN.DLL"sv, "WNTA2PIN.LIB"sv, "WNTA2PIN.H"sv};
// One port driver and trace program for the 8341 and both 8342 personalities.
constexpr std::array kFamilyCommon = {"WNT4XPDD.DLL"sv, "W4XTRACE.EXE"sv, "FIOSETUP.EXE"sv,
                                      "README.DOC"sv, "FIOSETUP.HLP"sv};
// The 8343 brings its own driver and trace program, and its own copy of the installer.
constexpr std::array k8343 = {"WNT43EFT.DLL"sv, "WNT43EFT.LIB"sv, "WNT43EFT.H"sv, "WNT43PDD.DLL"sv,
                              "W43TRACE.EXE"sv, "FIOSETUP.EXE"sv, "README.DOC"sv, "FIOSETUP.HLP"sv};
constexpr std::array k8343Async = {"WNTA3EFT.DLL"sv, "WNTA3EFT.LIB"sv, "WNTA3EFT.H"sv};

}  // namespace

std::span<const std::string_view> FilesOf(FileGroup group) {
  switch (group) {
    case FileGroup::k8341:
      return k8341;
    case FileGroup::k8341Async:
      return k8341Async;
    case FileGroup::k8342Msr:
      return k8342Msr;
    case FileGroup::k8342MsrAsync:
      return k8342MsrAsync;
    case FileGroup::k8342Pin:
      return k8342Pin;
    case FileGroup::k8342PinAsync:
      return k8342PinAsync;
    case FileGroup::kFamilyCommon:
      return kFamilyCommon;
    case FileGroup::k8343:
      return k8343;
    case FileGroup::k8343Async:
      return k8343Async;
  }
  return {};
}

std::vector<std::string_view> DistributionFiles() {
  std::vector<std::string_view> names;
  for (FileGroup group : kFileGroups) {
    for (std::string_view name : FilesOf(group)) {
      if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
  }
  return names;
}

std::size_t LongestFileName() {
  std::size_t longest = 0;
  for (std::string_view name : DistributionFiles()) longest = std::max(longest, name.size());
  return longest;
}

}  // namespace fiosetup
