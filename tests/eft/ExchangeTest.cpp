// The command exchange: call order, port choice, results, and the response buffer.
#include <gtest/gtest.h>

#include <vector>

#include "eft/Exchange.h"
#include "eft/FakeEftApi.h"
#include "eft/Frames.h"

namespace {

using Names = std::vector<std::string>;

class Exchange : public ::testing::Test {
 protected:
  eft::FakeEftApi api;
  eft::PortSelection ports;
  eft::ResponseBuffer buffer{};
  eft::ExchangeResult Run(const eft::Frame& frame) {
    return eft::ExchangeCommand(api, ports, frame.Bytes(), buffer);
  }
};

TEST_F(Exchange, OpenWriteReadCloseOnOneHandle) {
  api.answers.push_back({0x00, 0x11, 0x22});
  ASSERT_EQ(Run(eft::ReadDeviceTypeFrame()), eft::kExchangeDone);
  ASSERT_EQ(api.Functions(), (Names{"EftOpen", "EftWrite", "EftRead", "EftClose"}));
  for (std::size_t i = 1; i < 4; ++i) EXPECT_EQ(api.calls[i].handle, api.handleValue);
  EXPECT_EQ(api.calls[1].data, (std::vector<std::uint8_t>{0x0E, 0x02}));
  EXPECT_EQ(api.calls[1].count, 2);
  EXPECT_EQ(api.calls[2].count, 200);  // the read's capacity
  EXPECT_EQ(buffer[0], 0x00);
  EXPECT_EQ(buffer[1], 0x11);
  EXPECT_EQ(buffer[2], 0x22);
}

TEST_F(Exchange, FlagOffOpensWithEftOpenFlagOnWithEftOpenParmsAndThePort) {
  Run(eft::EjectCardFrame());
  EXPECT_EQ(api.calls[0].function, "EftOpen");
  for (std::uint16_t port :
       {std::uint16_t{3}, std::uint16_t{0}, std::uint16_t{256}, std::uint16_t{65535}}) {
    api.calls.clear();
    ports = {true, port};
    Run(eft::EjectCardFrame());
    ASSERT_EQ(api.calls[0].function, "EftOpenParms") << port;
    EXPECT_EQ(api.calls[0].port, port);
  }
}

TEST_F(Exchange, FailedOpenGivesOneAndNoOtherCall) {
  api.Script("EftOpen", 2);
  EXPECT_EQ(Run(eft::ReadDeviceInformationFrame()), eft::kExchangeNoOpen);
  EXPECT_EQ(api.Functions(), Names{"EftOpen"});
}

TEST_F(Exchange, FailedWriteReadOrCloseGivesTwoAndAFailedWriteOrReadIsTheLastCall) {
  const std::pair<const char*, Names> cases[] = {
      {"EftWrite", {"EftOpen", "EftWrite"}},
      {"EftRead", {"EftOpen", "EftWrite", "EftRead"}},
      {"EftClose", {"EftOpen", "EftWrite", "EftRead", "EftClose"}},
  };
  for (const auto& [failing, expected] : cases) {
    eft::FakeEftApi fresh;
    fresh.Script(failing, 0xFFFF);
    EXPECT_EQ(eft::ExchangeCommand(fresh, ports, eft::EjectCardFrame().Bytes(), buffer),
              eft::kExchangeFailed)
        << failing;
    EXPECT_EQ(fresh.Functions(), expected) << failing;
  }
}

TEST_F(Exchange, NonzeroRcIsNotAnExchangeFailure) {
  api.answers.push_back({0x07});
  EXPECT_EQ(Run(eft::EjectCardFrame()), eft::kExchangeDone);
  EXPECT_EQ(buffer[0], 0x07);
}

TEST_F(Exchange, AShortAnswerNeverShowsBytesOfTheEarlierCommand) {
  std::vector<std::uint8_t> full(71, 0x41);
  full[0] = 0;
  api.answers.push_back(full);
  api.answers.push_back({0x01});  // only an RC this time
  ASSERT_EQ(Run(eft::ReadDeviceInformationFrame()), eft::kExchangeDone);
  ASSERT_EQ(eft::FieldText(buffer, eft::response::kSerialNumber), "AAAAAAAA");
  ASSERT_EQ(Run(eft::ReadDeviceInformationFrame()), eft::kExchangeDone);
  EXPECT_EQ(buffer[0], 0x01);
  for (std::size_t i = 1; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0) << "byte " << i;
}

TEST_F(Exchange, TheBufferIsClearedEvenWhenTheOpenFails) {
  buffer.fill(0x5A);
  api.Script("EftOpen", 1);
  Run(eft::ReadDeviceStatusFrame());
  for (std::uint8_t b : buffer) ASSERT_EQ(b, 0);
}

TEST(ResponseFields, PositionsOfEveryLayout) {
  namespace r = eft::response;
  EXPECT_EQ(r::kSerialNumber.offset, 1u);
  EXPECT_EQ(r::kSerialNumber.width, 8u);
  EXPECT_EQ(r::kMainMicrocodeVersion.offset, 9u);
  EXPECT_EQ(r::kMainMicrocodeVersion.width, 14u);
  EXPECT_EQ(r::kMainApplication.offset, 23u);
  EXPECT_EQ(r::kMainApplication.width, 18u);
  EXPECT_EQ(r::kSecurityMicrocodeVersion.offset, 41u);
  EXPECT_EQ(r::kSecurityMicrocodeVersion.width, 14u);
  EXPECT_EQ(r::kSecurityApplication.offset, 55u);
  EXPECT_EQ(r::kSecurityApplication.width, 16u);
  EXPECT_EQ(r::kStatusByte, 1u);
  EXPECT_EQ(r::kResetData.offset, 2u);
  EXPECT_EQ(r::kResetData.width, 40u);
  EXPECT_EQ(r::kTypeFirstValue.offset, 1u);
  EXPECT_EQ(r::kTypeSecondValue.offset, 3u);
  EXPECT_EQ(r::kTypeFlags, 5u);
  EXPECT_EQ(r::kDualProcessorFlag, 0x02);
  EXPECT_EQ(r::kCrcValue.offset, 1u);
  EXPECT_EQ(r::kCrcValue.width, 4u);
  EXPECT_EQ(eft::kResponseBufferSize, 200u);
}

TEST(ResponseFields, TextEndsAtAZeroByteOrTheWidth) {
  eft::ResponseBuffer b{};
  const char text[] = "41-12345MICROCODE-0123456";  // the serial number runs into the next field
  std::copy(text, text + sizeof text - 1, b.begin() + 1);
  EXPECT_EQ(eft::FieldText(b, eft::response::kSerialNumber), "41-12345");
  EXPECT_EQ(eft::FieldText(b, eft::response::kMainMicrocodeVersion), "MICROCODE-0123");
  b[3] = 0;
  EXPECT_EQ(eft::FieldText(b, eft::response::kSerialNumber), "41");
  EXPECT_EQ(eft::FieldText(b, eft::response::kSecurityApplication), "");
}

TEST(ResponseFields, AFieldPastTheBufferIsCutNotRead) {
  eft::ResponseBuffer b;
  b.fill('Z');
  EXPECT_EQ(eft::FieldBytes(b, {195, 10}).size(), 5u);
  EXPECT_EQ(eft::FieldText(b, {250, 10}), "");
}

TEST(StatusBits, LabelsFromBit7Down) {
  EXPECT_STREQ(eft::kStatusBitLabels[0], "Motor Timeout Occurred");
  EXPECT_STREQ(eft::kStatusBitLabels[1], "Smart Card Present");
  EXPECT_STREQ(eft::kStatusBitLabels[2], "T3 Data Present");
  EXPECT_STREQ(eft::kStatusBitLabels[3], "T2 Data Present");
  EXPECT_STREQ(eft::kStatusBitLabels[4], "T1 Data Present");
  EXPECT_STREQ(eft::kStatusBitLabels[5], "Card Lock Sensor Status");
  EXPECT_STREQ(eft::kStatusBitLabels[6], "Middle Sensor Status");
  EXPECT_STREQ(eft::kStatusBitLabels[7], "Front Sensor Status");
}

}  // namespace
