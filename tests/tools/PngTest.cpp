// Screenshots must be real PNG files: ImageMagick decodes what the writer produced.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/TempFolder.h"
#include "tools/Png.h"

namespace {

std::string Shell(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
  pclose(pipe);
  return out;
}

TEST(Png, ChecksumsHaveTheirKnownValues) {
  const std::string text = "123456789";
  auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  EXPECT_EQ(uiauto::Crc32(bytes, text.size()), 0xCBF43926u);
  EXPECT_EQ(uiauto::Adler32(bytes, text.size()), 0x091E01DEu);
}

TEST(Png, ImageMagickReadsTheExactPixels) {
  const int width = 300, height = 300;  // raw data spans several stored deflate blocks
  std::vector<std::uint8_t> rgb(width * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &rgb[(y * width + x) * 3];
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y);
      p[2] = static_cast<std::uint8_t>(x ^ y);
    }
  }
  const support::TempFolder dir("png-test");
  const std::string path = dir.File("png-test.png");
  ASSERT_TRUE(uiauto::WritePng(path, width, height, rgb));
  EXPECT_EQ(Shell("identify -format '%w %h' " + path), "300 300");
  EXPECT_EQ(Shell("convert " + path + " -format '%[pixel:p{0,0}]' info:"), "srgb(0,0,0)");
  EXPECT_EQ(Shell("convert " + path + " -format '%[pixel:p{299,7}]' info:"),
            "srgb(43,7," + std::to_string((299 & 255) ^ 7) + ")");
  EXPECT_EQ(Shell("convert " + path + " -format '%[pixel:p{5,299}]' info:"),
            "srgb(5,43," + std::to_string(5 ^ 43) + ")");
}

}  // namespace
