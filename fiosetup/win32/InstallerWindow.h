// FIOSETUP's main window: the device lines and the status line it paints, and its commands,
// which go to the core's RunCommand; the shared frame owns the window itself.
#pragma once

#include <windows.h>

#include <string>

#include "fiosetup/DeviceTable.h"
#include "fiosetup/Operations.h"
#include "fiosetup/Painting.h"
#include "ui/win32/Shell.h"

namespace fiosetup {

class InstallerWindow : public StatusLine, public MainWindow, public ui::MainWindowHandler {
 public:
  explicit InstallerWindow(const DeviceTable& table) : table_(table) {}

  Program* session = nullptr;

  // The steps that set a status line block the message loop, so it is drawn at once.
  void Show(const std::string& text) override {
    status_ = text;
    Repaint();
  }
  void Repaint() override;

  ui::After Command(int id) override;
  // The close box and the system menu ask about unsaved edits just as Exit does.
  ui::After CloseRequested() override { return fiosetup::CloseRequested(*session); }
  bool Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  void MeasureFont();
  void Paint();

  const DeviceTable& table_;
  HWND hwnd_ = nullptr;  // from WM_CREATE to WM_DESTROY
  std::string status_ = BlankLine();
  int charWidth_ = 0;
  int lineHeight_ = 0;
  int clientHeight_ = 0;
};

}  // namespace fiosetup
