// Comparing a help file, as read back, with the project it was built from: every context
// number and name must open the topic meant for it, with its title and text unchanged.
#pragma once

#include <string>
#include <vector>

#include "help/HelpModel.h"
#include "help/HelpReader.h"

namespace help {

// One line per difference; empty when the file holds exactly the project.
std::vector<std::string> CompareHelpFile(const Project& project, const HelpFile& file);

}  // namespace help
