/* DropinLog.h: the call log of the drop-in device libraries. Each call becomes one line,
   appended to <DLL name>.LOG in the folder the DLL was loaded from:

     Name(arg=value, bytes=[0E 02], text="C:\x.hex", out=out) -> status, out=[A1 A2]

   Inputs are shown by value, or by the bytes or text behind them; an output pointer shows as
   "out" (or "NULL"), and what the library placed there follows the status. Plain C89 and
   nothing but <windows.h>, so these libraries stand where a device maker's would. */
#ifndef DROPINLOG_H
#define DROPINLOG_H

#define DROPIN_LINE_SIZE 4096

typedef struct DropinLine {
  char text[DROPIN_LINE_SIZE];
  unsigned long length;
  int cut; /* the line was too long: the rest of it is dropped */
} DropinLine;

void DropinBegin(DropinLine* line, const char* function);
void DropinArgNumber(DropinLine* line, const char* name, unsigned long value);
void DropinArgBytes(DropinLine* line, const char* name, const unsigned char* bytes,
                    unsigned long count);
void DropinArgText(DropinLine* line, const char* name, const char* text);
void DropinArgOut(DropinLine* line, const char* name, const void* pointer);
/* For an input the library did not read (its size depends on an argument it refused). */
void DropinArgUnread(DropinLine* line, const char* name);
void DropinStatus(DropinLine* line, unsigned long status);
void DropinOutNumber(DropinLine* line, const char* name, unsigned long value);
void DropinOutBytes(DropinLine* line, const char* name, const unsigned char* bytes,
                    unsigned long count);
/* Ends the line and appends it to the log. */
void DropinWrite(DropinLine* line);

#endif /* DROPINLOG_H */
