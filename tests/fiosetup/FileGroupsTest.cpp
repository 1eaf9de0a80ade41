// The file groups against the build's list of distribution files, which lays out the
// installer's source directory: a name in one and not the other would fail an installation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DistExpected.h"  // generated from cmake/DistFiles.cmake
#include "fiosetup/FileGroups.h"

using namespace fiosetup;

namespace {

TEST(FileGroups, NameExactlyTheFilesOfTheDistributionFolder) {
  const auto names = DistributionFiles();
  std::vector<std::string> groups(names.begin(), names.end());
  std::vector<std::string> dist(std::begin(kDistExpected), std::end(kDistExpected));
  EXPECT_EQ(groups, dist);
}

TEST(FileGroups, EveryGroupHasItsNamesOnce) {
  for (FileGroup group : kFileGroups) {
    auto files = FilesOf(group);
    EXPECT_FALSE(files.empty());
    for (std::size_t i = 0; i < files.size(); ++i) {
      for (std::size_t j = i + 1; j < files.size(); ++j) EXPECT_NE(files[i], files[j]);
    }
  }
}

}  // namespace
