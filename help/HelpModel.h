// The help project as the compiler sees it: topics with their context names and numbers,
// paragraphs, the limits of the file layout we write, and the message type for bad input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace help {

enum class ParagraphKind { kHeading, kSubheading, kBody, kItem, kLink };

struct Paragraph {
  ParagraphKind kind = ParagraphKind::kBody;
  std::string text;    // for a Link, the compiler fills in the target topic's title
  std::string target;  // Link only: context name of the topic it jumps to
  int line = 0;        // source line where the paragraph starts
};

struct Topic {
  std::string context;                  // context name: letters, digits, '_' and '.'
  std::optional<std::uint32_t> number;  // context number a program passes to WinHelp
  std::string title;
  bool contents = false;  // the topic the viewer shows for "Contents"
  std::vector<Paragraph> paragraphs;
  int line = 0;       // line of the topic's "@topic"
  int titleLine = 0;  // line of its "@title"
};

struct Project {
  std::string file;   // source file name, used in messages
  std::string title;  // help file title, shown in the viewer's caption
  int titleLine = 0;
  std::vector<Topic> topics;
};

// Bad input, reported as "file:line: message" (line 0: the file as a whole).
struct Diagnostic {
  std::string file;
  int line = 0;
  std::string message;
  std::string Text() const;
};

// Limits of the layout the compiler writes.
// Uncompressed 4.0 topic blocks are 4096 bytes with a 12-byte header; a record is never
// split across blocks, so one record holds at most this many bytes.
inline constexpr std::size_t kTopicBlockSize = 4096;
inline constexpr std::size_t kTopicBlockData = kTopicBlockSize - 12;
// The context index is one B+ tree leaf page of 2048 bytes: an 8-byte page header and
// 8 bytes per context name. Every topic has one context name.
inline constexpr std::size_t kContextPageSize = 2048;
inline constexpr std::size_t kMaxTopics = (kContextPageSize - 8) / 8;
inline constexpr std::size_t kMaxFileTitle = 127;

// The text a paragraph shows: a list item starts with a bullet (0x95 in the ANSI code page).
std::string ShownText(const Paragraph& paragraph);

// The viewer's hash of a context name (names use only letters, digits, '_' and '.').
std::int32_t ContextHash(const std::string& name);
bool IsContextName(const std::string& name);

}  // namespace help
