/* wnt43eft.c: a drop-in WNT43EFT.DLL written the way a device maker writes one, without any
   of the suite's headers. It answers as a dual-processor 8343 on any port from 1 to 256 and
   logs every call (DropinLog.h). */
#include <string.h>
#include <windows.h>

#include "DropinLog.h"

#define EFT_OK 0
#define EFT_NO_PORT 2       /* no such port */
#define EFT_BAD_HANDLE 6    /* not a handle this library gave out, or closed */
#define EFT_BAD_ARGUMENT 87 /* a pointer the call needs is NULL */
#define EFT_FILE_NOT_OPENED 1808
#define EFT_NO_ANSWER 1809 /* a read without a command before it */

#define MAX_HANDLES 16
#define MAX_ANSWER 80

typedef struct Terminal {
  int open;
  unsigned char answer[MAX_ANSWER];
  unsigned short answerLength; /* 0: nothing to read */
} Terminal;

/* Handle n is terminals[n - 1]; every open gives the next number, so a program that keeps a
   stale handle is caught. */
static Terminal terminals[MAX_HANDLES];
static unsigned long handlesGiven;

/* Read Device Type of a dual-processor terminal: RC, two fixed values, flags (bit 1 dual). */
static const unsigned char deviceType[] = {0x00, 0x00, 0x02, 0x00, 0x01, 0x02};

/* Read Device Information: RC, then serial number (8), main processor microcode version (14)
   and application (18), security processor microcode version (14) and application (16); a
   text shorter than its field is padded with zeros. */
static const char serialNumber[] = "41-00815";
static const char mainMicrocode[] = "DM 02.05";
static const char mainApplication[] = "DROP-IN APP";
static const char securityMicrocode[] = "DS 01.07";
static const char securityApplication[] = "DROP-IN SECURITY";

static Terminal* Find(unsigned long handle) {
  if (handle == 0 || handle > handlesGiven || handle > MAX_HANDLES) return NULL;
  return terminals[handle - 1].open ? &terminals[handle - 1] : NULL;
}

static unsigned short PutField(unsigned char* answer, unsigned short at, const char* text,
                               unsigned short width) {
  size_t length = strlen(text);
  memset(answer + at, 0, width);
  memcpy(answer + at, text, length < width ? length : width);
  return (unsigned short)(at + width);
}

/* The terminal's answer to one command frame. */
static void Answer(Terminal* t, const unsigned char* frame, unsigned short length) {
  if (length == 2 && frame[0] == 0x0E && frame[1] == 0x02) {
    memcpy(t->answer, deviceType, sizeof deviceType);
    t->answerLength = sizeof deviceType;
  } else if (length == 1 && frame[0] == 0x00) {
    unsigned short at = 1;
    t->answer[0] = 0x00;
    at = PutField(t->answer, at, serialNumber, 8);
    at = PutField(t->answer, at, mainMicrocode, 14);
    at = PutField(t->answer, at, mainApplication, 18);
    at = PutField(t->answer, at, securityMicrocode, 14);
    at = PutField(t->answer, at, securityApplication, 16);
    t->answerLength = at;
  } else {
    t->answer[0] = 0x01; /* unknown command */
    t->answerLength = 1;
  }
}

/* Opens the terminal on `port`, logs the outcome and ends the line. */
static unsigned short Open(DropinLine* line, unsigned long* handle, unsigned short port) {
  unsigned short rc = EFT_OK;
  if (handle == NULL) {
    rc = EFT_BAD_ARGUMENT;
  } else if (port < 1 || port > 256 || handlesGiven >= MAX_HANDLES) {
    rc = EFT_NO_PORT;
  } else {
    terminals[handlesGiven].open = 1;
    terminals[handlesGiven].answerLength = 0;
    *handle = ++handlesGiven;
  }
  DropinStatus(line, rc);
  if (rc == EFT_OK) DropinOutNumber(line, "handle", *handle);
  DropinWrite(line);
  return rc;
}

unsigned short __stdcall EftOpen(unsigned long* handle) {
  DropinLine line;
  DropinBegin(&line, "EftOpen");
  DropinArgOut(&line, "handle", handle);
  /* No configuration is read: this library opens port 1. */
  return Open(&line, handle, 1);
}

unsigned short __stdcall EftOpenParms(unsigned long* handle, unsigned short port) {
  DropinLine line;
  DropinBegin(&line, "EftOpenParms");
  DropinArgOut(&line, "handle", handle);
  DropinArgNumber(&line, "port", port);
  return Open(&line, handle, port);
}

unsigned short __stdcall EftWrite(unsigned long handle, const unsigned char* frame,
                                  unsigned short length, unsigned short* written) {
  DropinLine line;
  Terminal* t = Find(handle);
  unsigned short rc = EFT_OK;
  DropinBegin(&line, "EftWrite");
  DropinArgNumber(&line, "handle", handle);
  DropinArgBytes(&line, "frame", frame, length);
  DropinArgNumber(&line, "length", length);
  DropinArgOut(&line, "written", written);
  if (t == NULL) {
    rc = EFT_BAD_HANDLE;
  } else if (frame == NULL || written == NULL || length == 0) {
    rc = EFT_BAD_ARGUMENT;
  } else {
    Answer(t, frame, length);
    *written = length;
  }
  DropinStatus(&line, rc);
  if (rc == EFT_OK) DropinOutNumber(&line, "written", *written);
  DropinWrite(&line);
  return rc;
}

unsigned short __stdcall EftRead(unsigned long handle, unsigned char* buffer,
                                 unsigned short capacity, unsigned short* read) {
  DropinLine line;
  Terminal* t = Find(handle);
  unsigned short rc = EFT_OK;
  unsigned short count = 0;
  DropinBegin(&line, "EftRead");
  DropinArgNumber(&line, "handle", handle);
  DropinArgOut(&line, "buffer", buffer);
  DropinArgNumber(&line, "capacity", capacity);
  DropinArgOut(&line, "read", read);
  if (t == NULL) {
    rc = EFT_BAD_HANDLE;
  } else if (buffer == NULL || read == NULL) {
    rc = EFT_BAD_ARGUMENT;
  } else if (t->answerLength == 0) {
    rc = EFT_NO_ANSWER;
  } else {
    /* Never more than the caller's capacity; the answer is read once. */
    count = t->answerLength < capacity ? t->answerLength : capacity;
    memcpy(buffer, t->answer, count);
    *read = count;
    t->answerLength = 0;
  }
  DropinStatus(&line, rc);
  if (rc == EFT_OK) {
    DropinOutBytes(&line, "buffer", buffer, count);
    DropinOutNumber(&line, "read", count);
  }
  DropinWrite(&line);
  return rc;
}

unsigned short __stdcall EftClose(unsigned long handle) {
  DropinLine line;
  Terminal* t = Find(handle);
  unsigned short rc = t == NULL ? EFT_BAD_HANDLE : EFT_OK;
  DropinBegin(&line, "EftClose");
  DropinArgNumber(&line, "handle", handle);
  if (t != NULL) t->open = 0;
  DropinStatus(&line, rc);
  DropinWrite(&line);
  return rc;
}

unsigned short __stdcall EftDload(unsigned long handle, const char* path) {
  DropinLine line;
  Terminal* t = Find(handle);
  unsigned short rc = EFT_OK;
  DropinBegin(&line, "EftDload");
  DropinArgNumber(&line, "handle", handle);
  DropinArgText(&line, "path", path);
  if (t == NULL) {
    rc = EFT_BAD_HANDLE;
  } else if (path == NULL) {
    rc = EFT_BAD_ARGUMENT;
  } else {
    /* The file has to be there to be sent; what it holds is the terminal's business. */
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
      rc = EFT_FILE_NOT_OPENED;
    } else {
      CloseHandle(file);
    }
  }
  DropinStatus(&line, rc);
  DropinWrite(&line);
  return rc;
}
