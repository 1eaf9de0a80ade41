// What the main window shows: its lines, from the device table, the status line and the
// height of the client area.
#pragma once

#include <string>
#include <vector>

#include "fiosetup/DeviceTable.h"

namespace fiosetup {

// The lines of one paint, from the top: line k (counting from 1) is drawn k line heights
// below the top of the client area, one average character width from the left. They are
// the heading, a blank line, one line per configured device, a blank line, the status
// line, and then blank lines down to the last whole line of the client area.
//
// The window is repainted without erasing its background, so every line is padded with
// blanks to 79 characters: whatever stood on that line before, a device line that moved
// up or a longer status message, is covered.
//
// The status line is shown by this paint only: it is reset to 79 blanks here.
std::vector<std::string> PaintLines(const DeviceTable& table, std::string& statusLine,
                                    int clientHeight, int lineHeight);

}  // namespace fiosetup
