// The help file of WNT43SUP and the context numbers its HELP buttons and Help menu open. The
// help source (help/wnt43sup.topics) gives its topics the same numbers; the help tests hold
// the built file to this header.
#pragma once

namespace wnt43sup {

inline constexpr char kHelpFile[] = "wnt43sup.hlp";

inline constexpr unsigned kHelpGeneral = 10;
inline constexpr unsigned kHelpLdrsapk = 20;
inline constexpr unsigned kHelpLddlkp = 30;
inline constexpr unsigned kHelpLdsn = 40;
inline constexpr unsigned kHelpGencrc = 50;
inline constexpr unsigned kHelpQrymcrc = 60;
inline constexpr unsigned kHelpCommport = 70;

}  // namespace wnt43sup
