// Reading a help source file: the plain-text topic format the help files are written in.
//
//   ; a comment line
//   @file QRT 8343 Support Program Help       the help file title (once)
//   @topic ldsn 40                            a topic: context name, optional context number
//   @title Load Device Serial Number          its title (once per topic, required)
//   @contents                                 marks the contents topic (exactly one)
//   A paragraph runs over consecutive lines;
//   a blank line ends it.
//   == A subheading
//   - A list item; plain lines below it
//     continue the item.
//   @link ldsn                                a paragraph that jumps to another topic
//
// Only printable ASCII is accepted. Parsing checks the source on its own terms (directives,
// names, numbers, duplicates, titles, links); the limits of the file layout are checked when
// the file is built.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "help/HelpModel.h"

namespace help {

struct ParseResult {
  Project project;
  std::optional<Diagnostic> error;  // the first fault found; the project is then incomplete
};

ParseResult ParseSource(std::string_view text, const std::string& fileName);

}  // namespace help
