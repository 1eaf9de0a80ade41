/* WNT43EFT.H: the functions of the 8343 EFT terminal device-access library WNT43EFT.DLL. */
#ifndef WNT43EFT_H
#define WNT43EFT_H

/* Every function returns a 16-bit unsigned status: 0 is success, anything else failure.
   A device handle is one 32-bit value, filled in by an open function and then passed by
   value. Ports are numbered from 1 (COM1). */

/* The calling convention of every function of the library, stated once. */
#ifndef EFTAPI
#ifdef _WIN32
#define EFTAPI __stdcall
#else
#define EFTAPI
#endif
#endif

typedef unsigned short EFTSTATUS; /* 16 bits */
typedef unsigned int EFTHANDLE;   /* 32 bits */
typedef unsigned short EFTCOUNT;  /* 16 bits */

#ifdef __cplusplus
extern "C" {
#endif

/* Opens the terminal on the port configured for the 8343 (ComPort of
   HKEY_CLASSES_ROOT\QRT_8300_FIO_DEVICES\QRT8343), or on port 1 when none is configured. */
EFTSTATUS EFTAPI EftOpen(EFTHANDLE* handle);

/* Opens the terminal on the given port. */
EFTSTATUS EFTAPI EftOpenParms(EFTHANDLE* handle, unsigned short port);

/* Sends one command frame of `length` bytes; `written` receives the count sent. */
EFTSTATUS EFTAPI EftWrite(EFTHANDLE handle, const unsigned char* frame, EFTCOUNT length,
                          EFTCOUNT* written);

/* Places the terminal's answer at the start of `buffer` (return-code byte first), at most
   `capacity` bytes; `read` receives the count placed. */
EFTSTATUS EFTAPI EftRead(EFTHANDLE handle, unsigned char* buffer, EFTCOUNT capacity,
                         EFTCOUNT* read);

/* Releases the handle. */
EFTSTATUS EFTAPI EftClose(EFTHANDLE handle);

/* Downloads an application HEX file (Intel HEX) into the terminal. 1808: the file cannot be
   opened; 1809: the terminal does not answer. */
EFTSTATUS EFTAPI EftDload(EFTHANDLE handle, const char* path);

#ifdef __cplusplus
}
#endif

#endif /* WNT43EFT_H */
