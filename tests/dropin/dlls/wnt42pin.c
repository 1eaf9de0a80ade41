/* wnt42pin.c: a drop-in WNT42PIN.DLL written the way a device maker writes one, without any
   of the suite's headers. It answers as an 8342 PIN pad on any port from 1 to 256 with fixed
   responses, and logs every call (DropinLog.h). */
#include <string.h>
#include <windows.h>

#include "DropinLog.h"

#define PIN_OK 0
#define PIN_NO_PORT 2
#define PIN_BAD_HANDLE 6
#define PIN_BAD_ARGUMENT 87 /* a NULL pointer, an unknown key type, a value out of range */

#define MAX_HANDLES 16

/* Handle n is handleOpen[n - 1]; every open gives the next number. */
static int handleOpen[MAX_HANDLES];
static unsigned long handlesGiven;

/* The pad's answers: each kind of call its own recognisable 8 bytes. */
static const unsigned char masterKeyLoaded[8] = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8};
static const unsigned char masterKeyEntered[8] = {0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8};
static const unsigned char workingKeyLoaded[8] = {0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8};
static const unsigned char serialNumber[8] = {0x00, 0x00, 0x83, 0x42, 0x00, 0x01, 0x23, 0x45};
static const char hardwareVersion[] = "DROPIN HW 2.01";

#define DIAG_HARDWARE_VERSION 3
#define DIAG_SIZE 32

static int IsOpen(unsigned long handle) {
  return handle != 0 && handle <= handlesGiven && handle <= MAX_HANDLES && handleOpen[handle - 1];
}

/* Key bytes of a master-key type: 8 for 0x10 and 0x11, 16 for 0x00 and 0x01, else 0. */
static unsigned long MasterKeyLength(unsigned short keyType) {
  switch (keyType) {
    case 0x10:
    case 0x11:
      return 8;
    case 0x00:
    case 0x01:
      return 16;
    default:
      return 0;
  }
}

/* Ends the line of a call that answers 8 bytes (or nothing when `answer` is NULL). */
static unsigned short Finish(DropinLine* line, unsigned short rc, const char* name,
                             unsigned char* out, const unsigned char* answer) {
  if (rc == PIN_OK && answer != NULL) memcpy(out, answer, 8);
  DropinStatus(line, rc);
  if (rc == PIN_OK && answer != NULL) DropinOutBytes(line, name, out, 8);
  DropinWrite(line);
  return rc;
}

static unsigned short Open(DropinLine* line, unsigned long* handle, unsigned short port) {
  unsigned short rc = PIN_OK;
  if (handle == NULL) {
    rc = PIN_BAD_ARGUMENT;
  } else if (port < 1 || port > 256 || handlesGiven >= MAX_HANDLES) {
    rc = PIN_NO_PORT;
  } else {
    handleOpen[handlesGiven] = 1;
    *handle = ++handlesGiven;
  }
  DropinStatus(line, rc);
  if (rc == PIN_OK) DropinOutNumber(line, "handle", *handle);
  DropinWrite(line);
  return rc;
}

unsigned short __stdcall PinOpen(unsigned long* handle) {
  DropinLine line;
  DropinBegin(&line, "PinOpen");
  DropinArgOut(&line, "handle", handle);
  /* No configuration is read: this library opens port 1. */
  return Open(&line, handle, 1);
}

unsigned short __stdcall PinOpenParms(unsigned long* handle, unsigned short port) {
  DropinLine line;
  DropinBegin(&line, "PinOpenParms");
  DropinArgOut(&line, "handle", handle);
  DropinArgNumber(&line, "port", port);
  return Open(&line, handle, port);
}

unsigned short __stdcall PinLoadMasterKey(unsigned long handle, unsigned short keyType,
                                          const unsigned char* key, unsigned char* response) {
  DropinLine line;
  unsigned long length = MasterKeyLength(keyType);
  unsigned short rc = PIN_OK;
  DropinBegin(&line, "PinLoadMasterKey");
  DropinArgNumber(&line, "handle", handle);
  DropinArgNumber(&line, "keyType", keyType);
  if (length == 0) {
    DropinArgUnread(&line, "key");
  } else {
    DropinArgBytes(&line, "key", key, length);
  }
  DropinArgOut(&line, "response", response);
  if (!IsOpen(handle)) {
    rc = PIN_BAD_HANDLE;
  } else if (length == 0 || key == NULL || response == NULL) {
    rc = PIN_BAD_ARGUMENT;
  }
  return Finish(&line, rc, "response", response, masterKeyLoaded);
}

unsigned short __stdcall PinEnterMasterKey(unsigned long handle, unsigned short keyType,
                                           unsigned char* response) {
  DropinLine line;
  unsigned short rc = PIN_OK;
  DropinBegin(&line, "PinEnterMasterKey");
  DropinArgNumber(&line, "handle", handle);
  DropinArgNumber(&line, "keyType", keyType);
  DropinArgOut(&line, "response", response);
  if (!IsOpen(handle)) {
    rc = PIN_BAD_HANDLE;
  } else if (MasterKeyLength(keyType) == 0 || response == NULL) {
    rc = PIN_BAD_ARGUMENT;
  }
  return Finish(&line, rc, "response", response, masterKeyEntered);
}

unsigned short __stdcall PinLoadKey(unsigned long handle, unsigned short keyId,
                                    unsigned short variant, const unsigned char* key,
                                    unsigned char* response) {
  DropinLine line;
  unsigned short rc = PIN_OK;
  DropinBegin(&line, "PinLoadKey");
  DropinArgNumber(&line, "handle", handle);
  DropinArgNumber(&line, "keyId", keyId);
  DropinArgNumber(&line, "variant", variant);
  DropinArgBytes(&line, "key", key, 8);
  DropinArgOut(&line, "response", response);
  if (!IsOpen(handle)) {
    rc = PIN_BAD_HANDLE;
  } else if (keyId > 255 || variant > 255 || key == NULL || response == NULL) {
    rc = PIN_BAD_ARGUMENT;
  }
  return Finish(&line, rc, "response", response, workingKeyLoaded);
}

unsigned short __stdcall PinLoadICV(unsigned long handle, unsigned short variant,
                                    const unsigned char* icv) {
  DropinLine line;
  unsigned short rc = PIN_OK;
  DropinBegin(&line, "PinLoadICV");
  DropinArgNumber(&line, "handle", handle);
  DropinArgNumber(&line, "variant", variant);
  DropinArgBytes(&line, "icv", icv, 8);
  if (!IsOpen(handle)) {
    rc = PIN_BAD_HANDLE;
  } else if (variant > 255 || icv == NULL) {
    rc = PIN_BAD_ARGUMENT;
  }
  return Finish(&line, rc, NULL, NULL, NULL);
}

unsigned short __stdcall PinLoadVerifParms(unsigned long handle, unsigned short pinLength,
                                           const unsigned char* table) {
  DropinLine line;
  unsigned short rc = PIN_OK;
  DropinBegin(&line, "PinLoadVerifParms");
  DropinArgNumber(&line, "handle", handle);
  DropinArgNumber(&line, "pinLength", pinLength);
  DropinArgBytes(&line, "table", table, 16);
  if (!IsOpen(handle)) {
    rc = PIN_BAD_HANDLE;
  } else if (pinLength > 15 || table == NULL) {
    rc = PIN_BAD_ARGUMENT;
  }
  return Finish(&line, rc, NULL, NULL, NULL);
}

static unsigned short HandleOnly(const char* function, unsigned long handle) {
  DropinLine line;
  DropinBegin(&line, function);
  DropinArgNumber(&line, "handle", handle);
  return Finish(&line, IsOpen(handle) ? PIN_OK : PIN_BAD_HANDLE, NULL, NULL, NULL);
}

unsigned short __stdcall PinSetModeEnc(unsigned long handle) {
  return HandleOnly("PinSetModeEnc", handle);
}

unsigned short __stdcall PinSetModeClr(unsigned long handle) {
  return HandleOnly("PinSetModeClr", handle);
}

unsigned short __stdcall PinReadSN(unsigned long handle, unsigned char* serial) {
  DropinLine line;
  unsigned short rc = PIN_OK;
  DropinBegin(&line, "PinReadSN");
  DropinArgNumber(&line, "handle", handle);
  DropinArgOut(&line, "serial", serial);
  if (!IsOpen(handle)) {
    rc = PIN_BAD_HANDLE;
  } else if (serial == NULL) {
    rc = PIN_BAD_ARGUMENT;
  }
  return Finish(&line, rc, "serial", serial, serialNumber);
}

unsigned short __stdcall PinExecDevDiag(unsigned long handle, unsigned short code,
                                        unsigned char* buffer) {
  DropinLine line;
  unsigned short rc = PIN_OK;
  DropinBegin(&line, "PinExecDevDiag");
  DropinArgNumber(&line, "handle", handle);
  DropinArgNumber(&line, "code", code);
  DropinArgOut(&line, "buffer", buffer);
  if (!IsOpen(handle)) {
    rc = PIN_BAD_HANDLE;
  } else if (code != DIAG_HARDWARE_VERSION || buffer == NULL) {
    rc = PIN_BAD_ARGUMENT;
  } else {
    memset(buffer, 0, DIAG_SIZE);
    memcpy(buffer, hardwareVersion, sizeof hardwareVersion);
  }
  DropinStatus(&line, rc);
  if (rc == PIN_OK) DropinOutBytes(&line, "buffer", buffer, DIAG_SIZE);
  DropinWrite(&line);
  return rc;
}

unsigned short __stdcall PinClose(unsigned long handle) {
  DropinLine line;
  unsigned short rc = IsOpen(handle) ? PIN_OK : PIN_BAD_HANDLE;
  DropinBegin(&line, "PinClose");
  DropinArgNumber(&line, "handle", handle);
  if (rc == PIN_OK) handleOpen[handle - 1] = 0;
  DropinStatus(&line, rc);
  DropinWrite(&line);
  return rc;
}
