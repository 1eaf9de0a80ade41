// Every text the PIN pad key loader shows of its own: the caption, and the message of each
// command. A library error is its prefix directly followed by the code in decimal.
#pragma once

namespace wntdld42 {

// Title of the main window and caption of every message box.
inline constexpr char kCaption[] = "QRT 8342 Download Program";

// Library errors.
inline constexpr char kOpenError[] = "Open 8342 device error: rc      ";
inline constexpr char kMasterKeyLoadError[] = "Load master key error: rc ";
inline constexpr char kMasterKeyEntryError[] = "Enter master key error: rc ";
inline constexpr char kEncryptionKeyError[] = "Load encryption key error: rc ";
inline constexpr char kIcvError[] = "Load icv error: rc ";
inline constexpr char kVerifError[] = "Load verification parameters error: rc ";
inline constexpr char kSetModeError[] = "Set Mode error: rc ";
inline constexpr char kSerialError[] = "Read serial number error: rc ";
inline constexpr char kHardwareError[] = "Read hardware version error: rc ";

// Fields refused before anything is sent. A master key's message names its digits, 16 or 32,
// between the two parts.
inline constexpr char kMasterKeyRefusedBefore[] = "Load master key error: the key must be ";
inline constexpr char kMasterKeyRefusedAfter[] = " hexadecimal digits.";
inline constexpr char kEncryptionKeyRefused[] =
    "Load encryption key error: the key must be 16 hexadecimal digits.";
inline constexpr char kKeyIdRefused[] =
    "Load encryption key error: the key ID must be 2 hexadecimal digits.";
inline constexpr char kKeyVariantRefused[] =
    "Load encryption key error: the variant descriptor must be 2 hexadecimal digits.";
inline constexpr char kIcvRefused[] = "Load icv error: the ICV must be 16 hexadecimal digits.";
inline constexpr char kIcvVariantRefused[] =
    "Load icv error: the variant descriptor must be 2 hexadecimal digits.";
inline constexpr char kBlankParameters[] = "Parameters may not contain blanks";
inline constexpr char kPinLengthRefused[] =
    "Load verification parameters error: the PIN length must be one hexadecimal digit.";
inline constexpr char kTableRefused[] =
    "Load verification parameters error: the decimalization table must be 32 hexadecimal "
    "digits.";

// Successes.
inline constexpr char kIcvLoaded[] = "Load icv completed successfully.";
inline constexpr char kVerifLoaded[] = "Load verification parameters completed successfully.";
inline constexpr char kClearModeSet[] = "Set Clear Mode completed successfully.";
inline constexpr char kEncryptedModeSet[] = "Set Encrypted Mode completed successfully.";

}  // namespace wntdld42
