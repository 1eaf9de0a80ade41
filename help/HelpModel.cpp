// Context-name hashing and the message text of bad input.
#include "help/HelpModel.h"

namespace help {

std::string Diagnostic::Text() const {
  std::string text = file;
  if (line > 0) text.append(":").append(std::to_string(line));
  return text.append(": ").append(message);
}

std::string ShownText(const Paragraph& paragraph) {
  if (paragraph.kind == ParagraphKind::kItem) return "\x95 " + paragraph.text;
  return paragraph.text;
}

bool IsContextName(const std::string& name) {
  if (name.empty()) return false;
  for (char c : name) {
    bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '_' || c == '.';
    if (!ok) return false;
  }
  return true;
}

std::int32_t ContextHash(const std::string& name) {
  std::uint32_t hash = 0;  // unsigned, so the wrap-around is defined
  for (char c : name) {
    std::uint32_t code = 0;
    if (c >= 'A' && c <= 'Z') code = static_cast<std::uint32_t>(c - 'A') + 17;
    if (c >= 'a' && c <= 'z') code = static_cast<std::uint32_t>(c - 'a') + 17;
    if (c >= '1' && c <= '9') code = static_cast<std::uint32_t>(c - '0');
    if (c == '0') code = 10;
    if (c == '.') code = 12;
    if (c == '_') code = 13;
    hash = hash * 43 + code;
  }
  return static_cast<std::int32_t>(hash);
}

}  // namespace help
