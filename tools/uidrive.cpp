// uidrive: runs a small script of UI steps against a Windows program, for demonstrations
// and manual checks. One step per line; '#' starts a comment; texts go in double quotes.
//
//   env NAME "value"      set a variable for the program started next
//   cd "dir"              working directory for the program started next
//   start "command line"  start the program
//   wait "title"          wait for its window or dialog; later steps act on it
//   type ID "text"        type into a field, key by key
//   set ID "text"         replace a field's text
//   clear ID              empty a field, key by key
//   expect ID "text"      fail unless the field holds exactly this text
//   click ID              click a button
//   select ID N           select item N (from 0) of a list box
//   command ID            send a menu command to the window
//   key F3|ENTER|ESCAPE   press a key in the window
//   msgbox                wait for a message box and print it; "answer ID" presses its button
//   shot "file.png"       screenshot of the current window ("shot-screen" for the screen)
//   sleep MS              wait
//   exit CODE             wait for the program to end and check its exit code
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tools/UiAuto.h"

namespace {

std::vector<std::string> Tokens(const std::string& line) {
  std::vector<std::string> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    if (isspace(static_cast<unsigned char>(line[i]))) {
      ++i;
    } else if (line[i] == '#') {
      break;
    } else if (line[i] == '"') {
      std::size_t end = line.find('"', i + 1);
      if (end == std::string::npos) throw uiauto::Error("unterminated text: " + line);
      tokens.push_back(line.substr(i + 1, end - i - 1));
      i = end + 1;
    } else {
      std::size_t end = i;
      while (end < line.size() && !isspace(static_cast<unsigned char>(line[end]))) ++end;
      tokens.push_back(line.substr(i, end - i));
      i = end;
    }
  }
  return tokens;
}

int KeyCode(const std::string& name) {
  if (name == "F3") return VK_F3;
  if (name == "ENTER") return VK_RETURN;
  if (name == "ESCAPE") return VK_ESCAPE;
  throw uiauto::Error("unknown key " + name);
}

int Run(std::istream& script) {
  uiauto::StartOptions options;
  std::unique_ptr<uiauto::Process> process;
  HWND window = nullptr;
  uiauto::MessageBoxInfo box;
  std::string line;
  int number = 0;
  auto need = [&](const std::vector<std::string>& t, std::size_t n) {
    if (t.size() != n) throw uiauto::Error("line " + std::to_string(number) + ": wrong arguments");
  };
  auto running = [&]() -> uiauto::Process& {
    if (!process) throw uiauto::Error("no program started");
    return *process;
  };
  while (std::getline(script, line)) {
    ++number;
    std::vector<std::string> t = Tokens(line);
    if (t.empty()) continue;
    const std::string& op = t[0];
    if (op == "env") {
      need(t, 3);
      options.env.emplace_back(t[1], t[2]);
    } else if (op == "cd") {
      need(t, 2);
      options.workDir = t[1];
    } else if (op == "start") {
      need(t, 2);
      process = std::make_unique<uiauto::Process>(uiauto::Process::Start(t[1], options));
      std::printf("started %s\n", t[1].c_str());
    } else if (op == "wait") {
      need(t, 2);
      window = uiauto::WaitWindow(running(), t[1]);
      std::printf("window \"%s\"\n", t[1].c_str());
    } else if (op == "type" || op == "set") {
      need(t, 3);
      if (op == "type")
        uiauto::Type(window, std::stoi(t[1]), t[2]);
      else
        uiauto::SetText(window, std::stoi(t[1]), t[2]);
    } else if (op == "clear") {
      need(t, 2);
      uiauto::Clear(window, std::stoi(t[1]));
    } else if (op == "expect") {
      need(t, 3);
      std::string text = uiauto::Text(window, std::stoi(t[1]));
      if (text != t[2]) {
        throw uiauto::Error("field " + t[1] + " holds \"" + text + "\", expected \"" + t[2] + "\"");
      }
    } else if (op == "click") {
      need(t, 2);
      uiauto::Click(window, std::stoi(t[1]));
    } else if (op == "select") {
      need(t, 3);
      uiauto::ListSelect(window, std::stoi(t[1]), std::stoi(t[2]));
    } else if (op == "command") {
      need(t, 2);
      uiauto::Command(window, std::stoi(t[1]));
    } else if (op == "key") {
      need(t, 2);
      uiauto::PressKey(window, KeyCode(t[1]));
    } else if (op == "msgbox") {
      box = uiauto::WaitMessageBox(running());
      std::printf("message box \"%s\": \"%s\" (icon %s)\n", box.caption.c_str(), box.text.c_str(),
                  box.icon.c_str());
    } else if (op == "answer") {
      need(t, 2);
      uiauto::Answer(box, std::stoi(t[1]));
    } else if (op == "shot" || op == "shot-screen") {
      need(t, 2);
      uiauto::Screenshot(t[1], op == "shot" ? window : nullptr);
      std::printf("screenshot %s\n", t[1].c_str());
    } else if (op == "sleep") {
      need(t, 2);
      Sleep(static_cast<DWORD>(std::stoul(t[1])));
    } else if (op == "exit") {
      need(t, 2);
      DWORD code = running().WaitExit();
      std::printf("exit code %lu\n", static_cast<unsigned long>(code));
      if (code != std::stoul(t[1])) throw uiauto::Error("expected exit code " + t[1]);
      process.reset();
    } else {
      throw uiauto::Error("line " + std::to_string(number) + ": unknown step " + op);
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: uidrive script.txt   (or - for standard input)\n");
    return 2;
  }
  try {
    std::string name = argv[1];
    if (name == "-") return Run(std::cin);
    std::ifstream file(name);
    if (!file) throw uiauto::Error("cannot read " + name);
    return Run(file);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "uidrive: %s\n", e.what());
    return 1;
  }
}
