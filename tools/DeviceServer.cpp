// The native device server, started from a Windows test under Wine.
#include "tools/DeviceServer.h"

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

namespace uiauto {

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return in ? text.str() : std::string();
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Port numbers of the COMn-model files of the state directory.
std::set<std::string> AttachedPorts(const std::string& dir) {
  std::set<std::string> ports;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((dir + "\\COM*-*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return ports;
  do {
    std::string name = found.cFileName;
    ports.insert(name.substr(0, name.find('-')));
  } while (FindNextFileA(h, &found));
  FindClose(h);
  return ports;
}

template <typename Done>
bool WaitFor(Done done, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
    if (done()) return true;
    Sleep(50);
  }
  return done();
}

}  // namespace

std::string DeviceServer::UnixPath(const std::string& windowsPath) {
  using ToUnix = char*(__cdecl*)(const wchar_t*);
  auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) throw Error("not running under Wine: no Unix path for " + windowsPath);
  std::wstring wide(windowsPath.begin(), windowsPath.end());
  char* unix = toUnix(wide.c_str());
  if (!unix) throw Error("no Unix path for " + windowsPath);
  std::string path = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return path;
}

DeviceServer::DeviceServer(const std::string& stateDir, const std::string& arguments)
    : stateDir_(stateDir) {
  const char* server = std::getenv("SUITE_NATIVE_SIMDEV");
  const char* prefix = std::getenv("WINEPREFIX");
  if (!server || !prefix) throw Error("SUITE_NATIVE_SIMDEV and WINEPREFIX must be set");
  std::string program = std::string("Z:") + server;
  for (char& c : program)
    if (c == '/') c = '\\';
  CreateDirectoryA(stateDir.c_str(), nullptr);  // the server ends when its folder is gone
  StartOptions options;
  options.env = {{"SIMDEV_STATE_DIR", UnixPath(stateDir)}};
  options.application = program;
  DeleteFileA((stateDir + "\\serve.stop").c_str());
  process_.emplace(Process::Start("\"" + program + "\" serve --fast --link \"" +
                                      std::string(prefix) + "/dosdevices\" " + arguments,
                                  options));
  if (!WaitFor([&] { return Exists(stateDir_ + "\\serve.lines"); }, 10000))
    throw Error("simdev serve did not start for " + stateDir);
  Sync();
}

DeviceServer::~DeviceServer() {
  std::ofstream(stateDir_ + "\\serve.stop").put('\n');
  WaitFor([&] { return !Exists(stateDir_ + "\\serve.lines"); }, 5000);
}

void DeviceServer::Sync() const {
  auto served = [&] {
    std::string lines = Slurp(stateDir_ + "\\serve.lines");
    for (const std::string& port : AttachedPorts(stateDir_))
      if (lines.find(port + " ") == std::string::npos) return false;
    return true;
  };
  if (!WaitFor(served, 5000)) throw Error("simdev serve has no line for a device in " + stateDir_);
}

}  // namespace uiauto
