// Every command frame, byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "eft/Frames.h"

namespace {

std::vector<std::uint8_t> Bytes(const eft::Frame& f) {
  return {f.Bytes().begin(), f.Bytes().end()};
}

TEST(Frames, OneAndTwoByteCommands) {
  EXPECT_EQ(Bytes(eft::ReadDeviceInformationFrame()), (std::vector<std::uint8_t>{0x00}));
  EXPECT_EQ(Bytes(eft::ReadDeviceStatusFrame()), (std::vector<std::uint8_t>{0x01}));
  EXPECT_EQ(Bytes(eft::EjectCardFrame()), (std::vector<std::uint8_t>{0x05}));
  EXPECT_EQ(Bytes(eft::ReadDeviceTypeFrame()), (std::vector<std::uint8_t>{0x0E, 0x02}));
}

TEST(Frames, LoadClearRsaPrivateKeyIs131Bytes) {
  std::array<std::uint8_t, 64> modulus, exponent;
  for (int i = 0; i < 64; ++i) {
    modulus[i] = static_cast<std::uint8_t>(i);
    exponent[i] = static_cast<std::uint8_t>(0xFF - i);
  }
  std::vector<std::uint8_t> f = Bytes(eft::LoadClearRsaPrivateKeyFrame(modulus, exponent));
  ASSERT_EQ(f.size(), 131u);
  EXPECT_EQ(f[0], 0x82);
  EXPECT_EQ(f[1], 0x20);
  EXPECT_EQ(f[2], 0x20);
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(f[3 + i], i) << "modulus byte " << i;
    EXPECT_EQ(f[67 + i], 0xFF - i) << "exponent byte " << i;
  }
}

TEST(Frames, LoadClearDesKeyPartIs19Bytes) {
  std::array<std::uint8_t, 8> left = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  std::array<std::uint8_t, 8> right = {0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10};
  EXPECT_EQ(Bytes(eft::LoadClearDesKeyPartFrame(7, 2, left, right)),
            (std::vector<std::uint8_t>{0x83, 0x07, 0x02, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD,
                                       0xEF, 0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}));
}

TEST(Frames, LoadDeviceSerialNumberIs17Bytes) {
  std::array<char, 8> serial = {'4', '1', '-', '1', '2', '3', '4', '5'};
  std::array<std::uint8_t, 8> further = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(Bytes(eft::LoadDeviceSerialNumberFrame(serial, further)),
            (std::vector<std::uint8_t>{0x8F, 0x34, 0x31, 0x2D, 0x31, 0x32, 0x33, 0x34, 0x35, 1, 2,
                                       3, 4, 5, 6, 7, 8}));
}

TEST(Frames, QueryMemoryCrcIs5BytesHighBytesFirst) {
  std::array<std::uint8_t, 2> address = {0x70, 0x00}, length = {0x0F, 0xFF};
  EXPECT_EQ(Bytes(eft::QueryMemoryCrcFrame(address, length)),
            (std::vector<std::uint8_t>{0xF5, 0x70, 0x00, 0x0F, 0xFF}));
}

TEST(Frames, LengthConstantsMatchTheBuiltFrames) {
  std::array<std::uint8_t, 64> k{};
  std::array<std::uint8_t, 8> h{};
  std::array<char, 8> s{};
  std::array<std::uint8_t, 2> w{};
  EXPECT_EQ(eft::ReadDeviceTypeFrame().Length(), eft::kReadDeviceTypeLength);
  EXPECT_EQ(eft::LoadClearRsaPrivateKeyFrame(k, k).Length(), eft::kLoadClearRsaPrivateKeyLength);
  EXPECT_EQ(eft::LoadClearDesKeyPartFrame(0, 0, h, h).Length(), eft::kLoadClearDesKeyPartLength);
  EXPECT_EQ(eft::LoadDeviceSerialNumberFrame(s, h).Length(), eft::kLoadDeviceSerialNumberLength);
  EXPECT_EQ(eft::QueryMemoryCrcFrame(w, w).Length(), eft::kQueryMemoryCrcLength);
  EXPECT_EQ(eft::kMaxFrameLength, 131u);
}

TEST(Frames, AppendStopsAtTheLongestFrame) {
  eft::Frame f;
  for (int i = 0; i < 200; ++i) f.Append(static_cast<std::uint8_t>(i));
  EXPECT_EQ(f.Length(), 131u);
  EXPECT_EQ(f[130], 130);
}

}  // namespace
