// The main window's lines.
#include "fiosetup/Painting.h"

namespace fiosetup {

namespace {

std::string Padded(std::string line) {
  if (line.size() < kLineWidth) line.append(kLineWidth - line.size(), ' ');
  return line;
}

}  // namespace

std::vector<std::string> PaintLines(const DeviceTable& table, std::string& statusLine,
                                    int clientHeight, int lineHeight) {
  std::vector<std::string> lines;
  lines.push_back(Padded(kHeading));
  lines.push_back(BlankLine());
  for (std::string& device : DeviceLines(table)) lines.push_back(Padded(std::move(device)));
  lines.push_back(BlankLine());
  lines.push_back(Padded(statusLine));
  statusLine = BlankLine();
  // Down to line n, the last line that fits whole into the client area.
  const int last = lineHeight > 0 && clientHeight > 0 ? clientHeight / lineHeight : 0;
  while (static_cast<int>(lines.size()) < last) lines.push_back(BlankLine());
  return lines;
}

}  // namespace fiosetup
