// The installer's file groups: which files make up the support of each device kind.
#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace fiosetup {

enum class FileGroup {
  k8341,
  k8341Async,
  k8342Msr,
  k8342MsrAsync,
  k8342Pin,
  k8342PinAsync,
  kFamilyCommon,
  k8343,
  k8343Async,
};

inline constexpr FileGroup kFileGroups[] = {
    FileGroup::k8341,         FileGroup::k8341Async, FileGroup::k8342Msr,
    FileGroup::k8342MsrAsync, FileGroup::k8342Pin,   FileGroup::k8342PinAsync,
    FileGroup::kFamilyCommon, FileGroup::k8343,      FileGroup::k8343Async};

// The file names of a group, exactly as they are copied, in copying order.
std::span<const std::string_view> FilesOf(FileGroup group);

// Every name of every group, each once, in the order of its first appearance: the files
// the distribution folder (the installer's source directory) must hold.
std::vector<std::string_view> DistributionFiles();

// The length of the longest name of any group.
std::size_t LongestFileName();

}  // namespace fiosetup
