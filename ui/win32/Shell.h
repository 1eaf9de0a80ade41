// The main window every windowed program has, built one way: its class, the program's state
// reaching the window at WM_NCCREATE, one command at a time, help quit with the window, and
// the message loop through the accelerator table.
#pragma once

#include <windows.h>

#include "ui/CommandGate.h"

namespace ui {

// The program's side of its main window.
class MainWindowHandler {
 public:
  virtual ~MainWindowHandler() = default;
  // A menu command or accelerator; never while another one runs.
  virtual After Command(int id) = 0;
  // The close box or the system menu's Close; never while a command runs.
  virtual After CloseRequested() { return After::kClose; }
  // Any other message (WM_DESTROY too, before the window quits help and the loop); true when
  // handled, with `*result` its answer.
  virtual bool Message(HWND, UINT, WPARAM, LPARAM, LRESULT*) { return false; }
};

// Runs a program's RunCommand(Program&, int), the one dispatch signature of the programs.
template <typename Program>
class Commands : public MainWindowHandler {
 public:
  explicit Commands(Program& program) : program_(program) {}
  After Command(int id) override { return RunCommand(program_, id); }

 private:
  Program& program_;
};

class ProgramFrame {
 public:
  // `name` names the window class, the menu, the icon and the accelerator table. The help
  // window, owned by the window, goes with it.
  ProgramFrame(HINSTANCE instance, const char* name) : instance_(instance), name_(name) {}
  ProgramFrame(const ProgramFrame&) = delete;
  ProgramFrame& operator=(const ProgramFrame&) = delete;

  // Registers the class and creates the overlapped main window at the system's default place
  // and size; nullptr when either fails. The window is redrawn whole on every change of width
  // or height, with the arrow cursor and the window colour as background.
  HWND Create(const char* title);
  // From now on commands and close requests go to `handler` (before, commands are ignored and
  // a close request destroys the window). May come before Create.
  void Attach(MainWindowHandler* handler) { handler_ = handler; }

  // Serves the thread's messages until the window is destroyed; returns the quit code.
  int Run();

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Apply(After after);

  HINSTANCE instance_;
  const char* name_;
  HWND window_ = nullptr;
  MainWindowHandler* handler_ = nullptr;
  CommandGate commands_;  // also closing: never under a running command
};

}  // namespace ui
