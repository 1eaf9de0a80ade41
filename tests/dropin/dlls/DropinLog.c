/* DropinLog.c: the call log, and DllMain, which finds the log's place beside the DLL. */
#include "DropinLog.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

/* Room kept at the end of a line for a cut mark and the line end. */
#define DROPIN_RESERVE 8

static char logPath[MAX_PATH + 8];

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    /* The log goes beside the DLL, whatever the program's working directory: the folder a
       program loaded its library from is the one a test looks in. */
    DWORD n = GetModuleFileNameA(instance, logPath, MAX_PATH);
    char* dot;
    char* slash;
    if (n == 0 || n >= MAX_PATH) {
      logPath[0] = '\0';
      return TRUE;
    }
    logPath[n] = '\0';
    dot = strrchr(logPath, '.');
    slash = strrchr(logPath, '\\');
    if (dot == NULL || (slash != NULL && dot < slash)) dot = logPath + n;
    strcpy(dot, ".LOG");
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

static void Append(DropinLine* line, const char* text, unsigned long count) {
  unsigned long room = DROPIN_LINE_SIZE - DROPIN_RESERVE - line->length;
  if (line->cut) return;
  if (count > room) {
    /* A line cut short says so rather than passing for the whole argument. */
    memcpy(line->text + line->length, text, room);
    line->length += room;
    memcpy(line->text + line->length, "...", 3);
    line->length += 3;
    line->cut = 1;
    return;
  }
  memcpy(line->text + line->length, text, count);
  line->length += count;
}

static void AppendText(DropinLine* line, const char* text) { Append(line, text, strlen(text)); }

static void AppendNumber(DropinLine* line, unsigned long value) {
  char digits[16];
  sprintf(digits, "%lu", value);
  AppendText(line, digits);
}

static void AppendBytes(DropinLine* line, const unsigned char* bytes, unsigned long count) {
  static const char hex[] = "0123456789ABCDEF";
  unsigned long i;
  Append(line, "[", 1);
  for (i = 0; i < count; ++i) {
    char byte[3];
    byte[0] = ' ';
    byte[1] = hex[bytes[i] >> 4];
    byte[2] = hex[bytes[i] & 0x0F];
    /* Blank-separated: no blank before the first byte. */
    if (i == 0) {
      Append(line, byte + 1, 2);
    } else {
      Append(line, byte, 3);
    }
  }
  Append(line, "]", 1);
}

static void AppendName(DropinLine* line, const char* name) {
  if (line->text[line->length - 1] != '(') AppendText(line, ", ");
  AppendText(line, name);
  Append(line, "=", 1);
}

void DropinBegin(DropinLine* line, const char* function) {
  line->length = 0;
  line->cut = 0;
  AppendText(line, function);
  Append(line, "(", 1);
}

void DropinArgNumber(DropinLine* line, const char* name, unsigned long value) {
  AppendName(line, name);
  AppendNumber(line, value);
}

void DropinArgBytes(DropinLine* line, const char* name, const unsigned char* bytes,
                    unsigned long count) {
  AppendName(line, name);
  if (bytes == NULL) {
    AppendText(line, "NULL");
  } else {
    AppendBytes(line, bytes, count);
  }
}

void DropinArgText(DropinLine* line, const char* name, const char* text) {
  AppendName(line, name);
  if (text == NULL) {
    AppendText(line, "NULL");
    return;
  }
  Append(line, "\"", 1);
  AppendText(line, text);
  Append(line, "\"", 1);
}

void DropinArgOut(DropinLine* line, const char* name, const void* pointer) {
  AppendName(line, name);
  AppendText(line, pointer == NULL ? "NULL" : "out");
}

void DropinArgUnread(DropinLine* line, const char* name) {
  AppendName(line, name);
  AppendText(line, "unread");
}

void DropinStatus(DropinLine* line, unsigned long status) {
  AppendText(line, ") -> ");
  AppendNumber(line, status);
}

void DropinOutNumber(DropinLine* line, const char* name, unsigned long value) {
  AppendText(line, ", ");
  AppendText(line, name);
  Append(line, "=", 1);
  AppendNumber(line, value);
}

void DropinOutBytes(DropinLine* line, const char* name, const unsigned char* bytes,
                    unsigned long count) {
  AppendText(line, ", ");
  AppendText(line, name);
  Append(line, "=", 1);
  AppendBytes(line, bytes, count);
}

void DropinWrite(DropinLine* line) {
  HANDLE file;
  DWORD written = 0;
  memcpy(line->text + line->length, "\r\n", 2);
  line->length += 2;
  if (logPath[0] == '\0') return;
  /* Opened and closed for every line: a program that is killed still leaves every call it
     made in the log. */
  file = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  WriteFile(file, line->text, line->length, &written, NULL);
  CloseHandle(file);
}
