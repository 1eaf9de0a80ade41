/* WNT42PIN.H: the functions of the 8342 PIN pad device-access library WNT42PIN.DLL. */
#ifndef WNT42PIN_H
#define WNT42PIN_H

/* Every function returns a 16-bit unsigned status: 0 is success, anything else failure, and
   then no output buffer holds anything to read. A device handle is one 32-bit value, filled
   in by an open function and then passed by value. Byte values (port, key ID, variant
   descriptor, PIN length) and key-type codes travel as 16-bit values. Ports are numbered from
   1 (COM1). */

/* The calling convention of every function of the library, stated once. */
#ifndef PINAPI
#ifdef _WIN32
#define PINAPI __stdcall
#else
#define PINAPI
#endif
#endif

typedef unsigned short PINSTATUS; /* 16 bits */
typedef unsigned int PINHANDLE;   /* 32 bits */

/* Key-type codes of PinLoadMasterKey and PinEnterMasterKey: the length, plus bit 0 for an
   encrypted key (load) or a dual entry (entry at the PIN pad). */
#define PIN_KEY_8_BYTE 0x10
#define PIN_KEY_16_BYTE 0x00
#define PIN_KEY_ENCRYPTED 0x01
#define PIN_KEY_DUAL_ENTRY 0x01

/* The diagnostic code of PinExecDevDiag that reads the hardware version. */
#define PIN_DIAG_HARDWARE_VERSION 3

#define PIN_RESPONSE_SIZE 8 /* response of the key loads, serial number */
#define PIN_DIAG_SIZE 32    /* buffer of PinExecDevDiag */

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the PIN pad on the port configured for the 8342 (ComPort of
   HKEY_CLASSES_ROOT\QRT_8300_FIO_DEVICES\QRT8342P, else of QRT8342M), or on port 1 when
   none is configured. */
PINSTATUS PINAPI PinOpen(PINHANDLE* handle);

/* Opens the PIN pad on the given port. */
PINSTATUS PINAPI PinOpenParms(PINHANDLE* handle, unsigned short port);

/* Loads a master key typed at the workstation: 8 key bytes with key type 0x10 or 0x11,
   16 with 0x00 or 0x01. `response` receives 8 bytes (the key's check value). */
PINSTATUS PINAPI PinLoadMasterKey(PINHANDLE handle, unsigned short keyType,
                                  const unsigned char* key, unsigned char* response);

/* Starts the entry of a master key at the PIN pad's own keys and returns when it is over.
   `response` receives 8 bytes (the entered key's check value). */
PINSTATUS PINAPI PinEnterMasterKey(PINHANDLE handle, unsigned short keyType,
                                   unsigned char* response);

/* Loads an 8-byte encryption key under a key ID and a variant descriptor (0-255 each).
   `response` receives 8 bytes (the key's check value). */
PINSTATUS PINAPI PinLoadKey(PINHANDLE handle, unsigned short keyId, unsigned short variant,
                            const unsigned char* key, unsigned char* response);

/* Loads the 8-byte initial chaining value with a variant descriptor. */
PINSTATUS PINAPI PinLoadICV(PINHANDLE handle, unsigned short variant, const unsigned char* icv);

/* Loads the PIN length to check (0-15) and the 16-byte decimalization table. */
PINSTATUS PINAPI PinLoadVerifParms(PINHANDLE handle, unsigned short pinLength,
                                   const unsigned char* table);

/* Switches the PIN pad to encrypted mode (its working keys are destroyed) or clear mode. */
PINSTATUS PINAPI PinSetModeEnc(PINHANDLE handle);
PINSTATUS PINAPI PinSetModeClr(PINHANDLE handle);

/* Places the 8 serial-number bytes in `serial`. */
PINSTATUS PINAPI PinReadSN(PINHANDLE handle, unsigned char* serial);

/* Runs a diagnostic; code 3 places the zero-terminated hardware-version text in `buffer`,
   which must hold 32 bytes. */
PINSTATUS PINAPI PinExecDevDiag(PINHANDLE handle, unsigned short code, unsigned char* buffer);

/* Releases the handle. */
PINSTATUS PINAPI PinClose(PINHANDLE handle);

#ifdef __cplusplus
}
#endif

#endif /* WNT42PIN_H */
