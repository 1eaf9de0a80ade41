/* wnt43pdd.c: a drop-in WNT43PDD.DLL, the 8343 port driver as far as the trace program sees
   it, written without any of the suite's headers. Its trace is always active and holds a
   fixed, recognisable record; every call is logged (DropinLog.h). */
#include <string.h>
#include <windows.h>

#include "DropinLog.h"

/* A title, then the bytes 01 to 20: the first 48 bytes of the buffer. Everything behind them
   is left as the caller had it. */
#define TRACE_TITLE "DROPIN-PDD-TRACE"
#define TRACE_SIZE 48

/* The answer is 16 bits wide, as the driver's other functions answer. */
unsigned short __stdcall PddTrace(unsigned char* buffer) {
  DropinLine line;
  unsigned short rc = 0;
  DropinBegin(&line, "PddTrace");
  DropinArgOut(&line, "buffer", buffer);
  if (buffer != NULL) {
    unsigned char i;
    memcpy(buffer, TRACE_TITLE, sizeof TRACE_TITLE - 1);
    for (i = 0; i < TRACE_SIZE - (sizeof TRACE_TITLE - 1); ++i)
      buffer[sizeof TRACE_TITLE - 1 + i] = (unsigned char)(i + 1);
    rc = 1;
  }
  DropinStatus(&line, rc);
  if (rc != 0) DropinOutBytes(&line, "buffer", buffer, TRACE_SIZE);
  DropinWrite(&line);
  return rc;
}
