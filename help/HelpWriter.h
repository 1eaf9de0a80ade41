// Building an uncompressed WinHelp 4.0 file from a parsed help project.
//
// The file holds the internal files |SYSTEM (title, contents topic, language, charset),
// |FONT (one face, four descriptors), |TOPIC (one topic header record per topic followed
// by one text record per paragraph, the title first; a closing empty topic header),
// |CONTEXT (context-name hashes, one B+ tree leaf page) and |CTXOMAP (context numbers).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "help/HelpModel.h"

namespace help {

struct BuildResult {
  std::vector<std::uint8_t> bytes;
  std::optional<Diagnostic> error;  // nothing is built when set
};

// Font numbers used by the text records, in |FONT order.
enum FontNumber : std::uint16_t {
  kFontBody = 0,
  kFontHeading = 1,
  kFontSubheading = 2,
  kFontLink = 3
};

// `generated` is the file's generation time in seconds since 1970 (0 = unknown).
BuildResult BuildHelpFile(const Project& project, std::uint32_t generated);

}  // namespace help
