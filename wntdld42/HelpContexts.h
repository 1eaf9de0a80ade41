// The help file of WNTDLD42 and the context numbers its HELP buttons and Help menu open. The
// help source (help/wntdld42.topics) gives its topics the same numbers; the help tests hold
// the built file to this header.
#pragma once

namespace wntdld42 {

inline constexpr char kHelpFile[] = "wntdld42.hlp";

inline constexpr unsigned kHelpGeneral = 10;
inline constexpr unsigned kHelpLd8mkn = 20;
inline constexpr unsigned kHelpLd8mke = 30;
inline constexpr unsigned kHelpLd16mkn = 40;
inline constexpr unsigned kHelpLd16mke = 50;
inline constexpr unsigned kHelpEd8mks = 60;
inline constexpr unsigned kHelpEd8mkd = 70;
inline constexpr unsigned kHelpEd16mks = 80;
inline constexpr unsigned kHelpEd16mkd = 90;
inline constexpr unsigned kHelpLdenck = 100;
inline constexpr unsigned kHelpLdicv = 110;
inline constexpr unsigned kHelpLdverp = 120;
inline constexpr unsigned kHelpCommport = 130;

}  // namespace wntdld42
