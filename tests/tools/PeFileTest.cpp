// The PE reader over the two seed images (make-pefile-seeds.sh says what they hold).
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/kit/PeFile.h"

namespace {

std::vector<std::uint8_t> Seed(const std::string& name) {
  std::ifstream in(std::string(PEFILE_SEEDS) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(PeFile, ReadsBothImageFormats) {
  for (auto [name, machine] :
       {std::pair{"x86.dll", kit::kMachineI386}, std::pair{"x64.dll", kit::kMachineAmd64}}) {
    std::vector<std::uint8_t> bytes = Seed(name);
    ASSERT_FALSE(bytes.empty()) << name;
    kit::PeRead pe = kit::ReadPe(bytes);
    ASSERT_EQ(pe.error, "") << name;
    EXPECT_EQ(pe.image.machine, machine) << name;
    EXPECT_TRUE(pe.image.dll) << name;
    EXPECT_EQ(pe.image.exports, (std::vector<std::string>{"SeedClose", "SeedOpen"})) << name;
    ASSERT_EQ(pe.image.imports.size(), 2u) << name;
    EXPECT_EQ(pe.image.imports[0].dll, "KERNEL32.dll") << name;
    EXPECT_EQ(pe.image.imports[0].functions, std::vector<std::string>{"GetTickCount"}) << name;
    // SEEDDEV.DLL's second import is by ordinal, which has no name to check.
    EXPECT_EQ(pe.image.imports[1].dll, "SEEDDEV.DLL") << name;
    EXPECT_EQ(pe.image.imports[1].functions, std::vector<std::string>{"DevOpen"}) << name;
    EXPECT_EQ(kit::VersionString(pe.image, "FileDescription"), "Emulated seed library") << name;
    EXPECT_EQ(kit::VersionString(pe.image, "OriginalFilename"), "SEED.DLL") << name;
  }
}

// The seeds end with their last section's data, so every cut of them loses bytes that the
// reader needs: each must be refused, none read as if whole.
TEST(PeFile, RefusesEveryTruncatedImage) {
  for (const char* name : {"x86.dll", "x64.dll"}) {
    std::vector<std::uint8_t> bytes = Seed(name);
    for (std::size_t size = 0; size < bytes.size(); ++size) {
      kit::PeRead pe = kit::ReadPe(std::span(bytes).first(size));
      EXPECT_NE(pe.error, "") << name << " cut to " << size << " bytes";
    }
  }
}

}  // namespace
