// What every windowed program's shell does the same way: its window class, its main window
// and its message loop with the accelerator table.
#pragma once

#include <windows.h>

namespace ui {

// Registers the program's window class. The name is also the name of its menu and icon
// resources; the window is redrawn whole on every change of width or height, with the arrow
// cursor and the window colour as background.
bool RegisterProgramClass(HINSTANCE instance, const char* name, WNDPROC procedure);

// Creates the overlapped main window (caption, system menu, sizing border, minimize and
// maximize boxes) at the system's default position and size; `param` reaches WM_NCCREATE.
HWND CreateProgramWindow(HINSTANCE instance, const char* className, const char* title,
                         void* param = nullptr);

// Tells the help viewer that the program is done with its help file, as a Windows program does
// when its main window is destroyed: otherwise the viewer stays open after the program ended.
void QuitHelp(HWND main, const char* helpFile);

// Serves the thread's messages, through the accelerator table of that name, until the main
// window is closed; returns the quit code.
int RunMessageLoop(HINSTANCE instance, HWND main, const char* acceleratorName);

}  // namespace ui
