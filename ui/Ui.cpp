// Behaviour of the Ui port that every implementation shares.
#include "ui/Ui.h"

namespace ui {

std::string TakeField(std::string_view text, std::size_t take) {
  return std::string(text.substr(0, take));
}

}  // namespace ui
