// What the stand-in libraries' two ends both need of their calls: the sizes of their byte
// arguments, and the download's reading of its file and its blocks.
#include "simdev/Calls.h"

#include <algorithm>

#include "base/Crc16.h"
#include "base/PlainFile.h"
#include "simdev/Status.h"

namespace simdev {

std::size_t MasterKeyLength(std::uint16_t keyType) {
  switch (keyType) {
    case PIN_KEY_8_BYTE:
    case PIN_KEY_8_BYTE | PIN_KEY_ENCRYPTED:
      return 8;
    case PIN_KEY_16_BYTE:
    case PIN_KEY_16_BYTE | PIN_KEY_ENCRYPTED:
      return 16;
    default:
      return 0;
  }
}

std::size_t SizeOf(Size size, std::uint16_t firstNumber, std::uint16_t lastNumber) {
  switch (size.how) {
    case Size::kFixed:
    case Size::kText:
      return size.bytes;
    case Size::kKeyType:
      return MasterKeyLength(firstNumber);
    case Size::kCounted:
      return lastNumber <= size.bytes ? lastNumber : 0;
    case Size::kNone:
      break;
  }
  return 0;
}

std::uint16_t ReadDownloadFile(const char* path, MemoryImage* image) {
  std::string text;
  base::ReadResult file =
      path ? base::ReadPlainFile(path, kMaxHexFileSize, &text) : base::ReadResult::kCannotOpen;
  std::string error;
  if (file == base::ReadResult::kCannotOpen) return status::kFileNotOpened;
  if (file == base::ReadResult::kTooLarge || !ParseIntelHex(text, image, &error))
    return status::kBadHexFile;
  return status::kOk;
}

BlocksSent ForEachBlock(
    const MemoryImage& image, std::size_t size,
    const std::function<bool(std::uint16_t, std::span<const std::uint8_t>)>& send) {
  BlocksSent sent;
  for (auto [first, last] : image.Ranges()) {
    for (std::uint32_t at = first; at <= last; at += static_cast<std::uint32_t>(size)) {
      std::span<const std::uint8_t> block(image.bytes.data() + at,
                                          std::min<std::size_t>(size, last - at + 1));
      sent.count += static_cast<std::uint32_t>(block.size());
      sent.crc = base::Crc16Arc(block, sent.crc);
      if (!send(static_cast<std::uint16_t>(at), block)) return sent;
    }
  }
  return sent;
}

}  // namespace simdev
