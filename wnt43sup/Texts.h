// Every text the support program shows of its own: the title, and the message of each command.
// The spelling and the blanks are the program's own ("Internal Error." in the key commands,
// "Internal error." in the others; two blanks after "failed:", one after "Error:").
#pragma once

namespace wnt43sup {

// Title of the main window and caption of every message box.
inline constexpr char kTitle[] = "QRT 8343 Support Program";

// Load Clear RSA Private Key.
inline constexpr char kRsaInvalidModulus[] = "Load Clear RSA Private Key failed:  Invalid Modulus.";
inline constexpr char kRsaCannotOpen[] = "Load Clear RSA Private Key failed:  Cannot open device.";
inline constexpr char kRsaInternal[] = "Load Clear RSA Private Key failed:  Internal Error.";
inline constexpr char kRsaDone[] = "Load Clear RSA Private Key completed successfully.";

// Load Clear DES Key Part.
inline constexpr char kDesInvalidKeyNumber[] =
    "Load Clear DES Key Part failed:  Invalid Key Number.";
inline constexpr char kDesInvalidPart[] =
    "Load Clear DES Key Part failed:  Invalid Part Indicator.";
inline constexpr char kDesInvalidKeyPart[] = "Load Clear DES Key Part failed:  Invalid Key Part.";
inline constexpr char kDesCannotOpen[] = "Load Clear DES Key Part failed:  Cannot open device.";
inline constexpr char kDesInternal[] = "Load Clear DES Key Part failed:  Internal Error.";
inline constexpr char kDesDone[] = "Load Clear DES Key Part completed successfully.";

// Load Device Serial Number.
inline constexpr char kSerialInvalid[] =
    "Load Device Serial Number failed:  Invalid Serial Number.";
inline constexpr char kSerialCannotOpen[] =
    "Load Device Serial Number failed:  Cannot open device.";
inline constexpr char kSerialInternal[] = "Load Device Serial Number failed:  Internal Error.";
inline constexpr char kSerialDone[] = "Load Device Serial Number completed successfully.";

// Read Device Information, Read Device Status, Eject Card.
inline constexpr char kInfoCannotOpen[] = "Read Device Information failed:  Cannot open device.";
inline constexpr char kInfoInternal[] = "Read Device Information failed:  Internal error.";
inline constexpr char kStatusCannotOpen[] = "Read Device Status failed:  Cannot open device.";
inline constexpr char kStatusInternal[] = "Read Device Status failed:  Internal error.";
inline constexpr char kEjectCannotOpen[] = "Eject Card failed:  Cannot open device.";
inline constexpr char kEjectInternal[] = "Eject Card failed:  Internal error.";
inline constexpr char kEjectDone[] = "Eject Card completed successfully.";
inline constexpr char kBitOn[] = "ON";
inline constexpr char kBitOff[] = "OFF";

// Query Memory CRC.
inline constexpr char kCrcInvalidAddress[] = "Query Memory CRC Error: invalid memory address.";
inline constexpr char kCrcInvalidLength[] = "Query Memory CRC Error: invalid memory length.";
inline constexpr char kCrcCannotOpen[] = "Query Memory CRC Error: Cannot open device.";
inline constexpr char kCrcInternal[] = "Query Memory CRC Error: Internal error.";
inline constexpr char kCrcInvalidParameter[] = "Query Memory CRC Error: invalid input parameter.";

}  // namespace wnt43sup
