// The help file of FIOSETUP and the context numbers its Help menu opens. The help source
// (help/fiosetup.topics) gives its topics the same numbers; the help tests hold the built
// file to this header.
#pragma once

namespace fiosetup {

inline constexpr char kHelpFile[] = "fiosetup.hlp";

inline constexpr unsigned kHelpContextFile = 10;
inline constexpr unsigned kHelpContextDevice = 20;
inline constexpr unsigned kHelpContextOption = 30;
inline constexpr unsigned kHelpContextGeneral = 40;

}  // namespace fiosetup
