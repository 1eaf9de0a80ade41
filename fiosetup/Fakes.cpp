// The installer's test doubles.
#include "fiosetup/Fakes.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace fiosetup::testing {

std::string DescribeAvailability(const Availability& a) {
  std::ostringstream out;
  out << "grey";
  for (int id : Availability::kCommands) {
    if (!a.Enabled(id)) out << ' ' << id;
  }
  out << " | S " << (a.SChecked() ? "checked" : "unchecked") << " | "
      << (a.SubmenuEnabled(Submenu::kFileUpdate) ? 'U' : '-')
      << (a.SubmenuEnabled(Submenu::kDeviceDelete) ? 'D' : '-')
      << (a.SubmenuEnabled(Submenu::kDeviceChange) ? 'C' : '-');
  return out.str();
}

namespace fs = std::filesystem;

fs::path DirFiles::Map(const std::string& windowsPath) const {
  std::string relative;
  for (char c : windowsPath) relative += c == '\\' ? '/' : c == ':' ? '_' : c;
  return root_ / fs::path(relative).relative_path();
}

void DirFiles::Put(const std::string& windowsPath, const std::string& content) {
  fs::path path = Map(windowsPath);
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::optional<std::string> DirFiles::Get(const std::string& windowsPath) const {
  std::ifstream in(Map(windowsPath), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> DirFiles::Names(const std::string& windowsDirectory) const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(Map(windowsDirectory), ec)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool DirFiles::Fails(const char* method, const std::string& path, const std::string& other) {
  calls.push_back(std::string(method) + " " + path + (other.empty() ? "" : " " + other));
  return failCall == calls.size() - 1;
}

bool DirFiles::RunningAt(const std::string& path) const {
  return running && Map(*running) == Map(path);
}

bool DirFiles::DirectoryExists(const std::string& path) {
  if (Fails("DirectoryExists", path) || path.empty()) return false;
  std::error_code ec;
  return fs::is_directory(Map(path), ec);
}

bool DirFiles::MakeDirectory(const std::string& path, const std::string& security) {
  madeDirectories.push_back(path);
  madeSecurities.push_back(security);
  if (Fails("MakeDirectory", path) || path.empty()) return false;
  std::error_code ec;
  return fs::create_directory(Map(path), ec);  // one level: a missing parent fails
}

bool DirFiles::FileExists(const std::string& path) {
  if (Fails("FileExists", path)) return false;
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(Map(path), ec);
}

bool DirFiles::CopyReplacing(const std::string& from, const std::string& to) {
  std::error_code ec;
  // Removing first rather than overwrite_existing: MinGW's libstdc++ takes any two files for
  // the same one (no inode numbers on Windows) and refuses to overwrite.
  bool ok = !Fails("CopyReplacing", from, to) && fs::is_regular_file(Map(from), ec) &&
            !RunningAt(to) && !IsReadOnly(to);
  if (ok && fs::exists(Map(to), ec)) ok = fs::remove(Map(to), ec);
  ok = ok && fs::copy_file(Map(from), Map(to), ec);
  if (ok && IsReadOnly(from)) SetReadOnly(to);
  copies.push_back({from, to, ok, pause_ ? pause_->waits.size() : 0});
  return ok;
}

bool DirFiles::MakeWritable(const std::string& path) {
  if (Fails("MakeWritable", path)) return false;
  readOnly_.erase(Key(path));
  return true;
}

bool DirFiles::MoveReplacing(const std::string& from, const std::string& to) {
  std::error_code ec;
  if (Fails("MoveReplacing", from, to) || !fs::is_regular_file(Map(from), ec) || RunningAt(to) ||
      IsReadOnly(to)) {
    return false;
  }
  fs::rename(Map(from), Map(to), ec);
  if (ec) return false;
  if (running && Map(*running) == Map(from)) running = to;
  if (readOnly_.erase(Key(from))) SetReadOnly(to);
  return true;
}

void DirFiles::Remove(const std::string& path) {
  std::error_code ec;
  if (!Fails("Remove", path) && !path.empty() && !IsReadOnly(path)) fs::remove(Map(path), ec);
}

bool DirFiles::IsRunningProgram(const std::string& path) {
  return !Fails("IsRunningProgram", path) && RunningAt(path);
}

bool DirFiles::SameContents(const std::string& a, const std::string& b) {
  if (Fails("SameContents", a, b)) return false;
  auto first = Get(a), second = Get(b);
  return first && second && *first == *second;
}

std::size_t DirFiles::WriteReplacing(const std::string& path,
                                     const std::vector<std::uint8_t>& data) {
  bool fails = Fails("WriteReplacing", path);
  if (IsReadOnly(path)) return 0;
  std::ofstream out(Map(path), std::ios::binary | std::ios::trunc);
  if (!out) return 0;
  std::size_t n = writeLimit ? std::min(*writeLimit, data.size()) : data.size();
  if (fails) n = data.size() / 2;
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(n));
  return out ? n : 0;
}

std::optional<std::vector<std::uint8_t>> DirFiles::ReadStart(const std::string& path,
                                                             std::size_t count) {
  bool fails = Fails("ReadStart", path);
  std::error_code ec;
  if (path.empty() || !fs::is_regular_file(Map(path), ec)) return std::nullopt;
  std::ifstream in(Map(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> data(count);
  in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(count));
  data.resize(static_cast<std::size_t>(in.gcount()) / (fails ? 2 : 1));
  return data;
}

std::vector<std::string> Fakes::RegistryWrites() const {
  std::vector<std::string> writes;
  for (const std::string& line : registry.Log()) {
    if (line.rfind("Create ", 0) == 0 || line.rfind("Set ", 0) == 0 ||
        line.rfind("Delete ", 0) == 0) {
      writes.push_back(line);
    }
  }
  return writes;
}

}  // namespace fiosetup::testing
