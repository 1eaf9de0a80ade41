// composesrc: lays out an installation source from the suite kit and a folder of device files
// once both are checked, or names every problem found and writes nothing.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "base/Hex.h"
#include "base/PlainFile.h"
#include "simdev/Digest.h"
#include "tools/kit/Compose.h"

namespace {

namespace fs = std::filesystem;

constexpr int kComposed = 0;
constexpr int kRefused = 1;
constexpr int kUsage = 2;
// Far more than any program or library of a source holds; a larger file is none of them.
constexpr std::size_t kLargestFile = std::size_t{64} << 20;

int Usage(const std::string& why) {
  std::string groups;
  // Appended, not joined with +: GCC 12 warns falsely (-Wrestrict) about the inlined copies
  // of " " + std::string.
  for (const kit::GroupName& g : kit::kGroupNames) groups.append(" ").append(g.name);
  std::fprintf(stderr,
               "composesrc: %s\nusage: composesrc --kit DIR --devices DIR --out DIR "
               "[--group NAME]... [--emulated]\ngroups:%s\n",
               why.c_str(), groups.c_str());
  return kUsage;
}

std::optional<kit::Folder> List(const std::string& path) {
  kit::Folder folder{path, {}};
  std::error_code error;
  fs::directory_iterator it(path, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    const std::string entry = it->path().string();
    folder.entries.push_back(
        {it->path().filename().string(), base::OpenPlainFile(entry, false) != nullptr});
  }
  if (error) return std::nullopt;
  return folder;
}

// Every file read so far, by path: a binary is laid out with the very bytes that were checked.
using Contents = std::map<std::string, std::string>;

const std::string* Read(Contents& contents, const std::string& path) {
  if (auto it = contents.find(path); it != contents.end()) return &it->second;
  std::string bytes;
  if (base::ReadPlainFile(path, kLargestFile, &bytes) != base::ReadResult::kOk) return nullptr;
  return &contents.emplace(path, std::move(bytes)).first->second;
}

// One line as sha256sum writes and checks it: the digest in small letters, two blanks, the name.
std::string SumLine(const std::string& bytes, const std::string& name) {
  auto digest = simdev::Sha256({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  std::string hex = base::BytesToHex(digest);
  for (char& c : hex) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return hex + "  " + name + "\n";
}

// Lays the plan out in a fresh folder beside `out` and renames it into place, so that no
// half-written source ever stands under the out name; on failure nothing is left behind.
bool Write(const std::vector<kit::Placement>& plan, Contents& contents, const fs::path& out,
           std::string* error) {
  std::error_code ec;
  const fs::path parent = out.has_parent_path() ? out.parent_path() : fs::path(".");
  fs::create_directories(parent, ec);
  fs::path temp;
  for (int i = 0;; ++i) {
    temp = parent / (out.filename().string() + ".composing" + std::to_string(i));
    if (fs::create_directory(temp, ec)) break;
    if (ec || i == 99) {
      *error = "cannot make a folder beside " + out.string();
      return false;
    }
  }
  auto fail = [&](std::string why) {
    fs::remove_all(temp, ec);
    *error = std::move(why);
    return false;
  };
  std::vector<std::pair<std::string, std::string>> sums;  // name, line
  for (const kit::Placement& placement : plan) {
    const std::string* bytes = Read(contents, placement.source);
    if (!bytes) return fail("cannot read " + placement.source);
    if (!base::WriteWholeFile((temp / placement.name).string(), *bytes))
      return fail("cannot write " + (temp / placement.name).string());
    sums.emplace_back(placement.name, SumLine(*bytes, placement.name));
  }
  std::sort(sums.begin(), sums.end());
  std::string lines;
  for (const auto& sum : sums) lines += sum.second;
  if (!base::WriteWholeFile((temp / "SHA256SUMS").string(), lines))
    return fail("cannot write SHA256SUMS");
  if (fs::exists(out, ec)) fs::remove(out, ec);  // found empty before anything was read
  fs::rename(temp, out, ec);
  if (ec) return fail("cannot rename " + temp.string() + " to " + out.string());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string kitDir, devicesDir, outDir;
  kit::Request request;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--emulated") {
      request.emulated = true;
      continue;
    }
    std::string* value = arg == "--kit"       ? &kitDir
                         : arg == "--devices" ? &devicesDir
                         : arg == "--out"     ? &outDir
                                              : nullptr;
    if (!value && arg != "--group") return Usage("unknown option " + arg);
    if (i + 1 == argc) return Usage(arg + " needs a value");
    const std::string next = argv[++i];
    if (value) {
      *value = next;
    } else if (auto group = kit::GroupNamed(next)) {
      request.groups.push_back(*group);
    } else {
      return Usage("unknown group " + next);
    }
  }
  if (kitDir.empty() || devicesDir.empty() || outDir.empty())
    return Usage("--kit, --devices and --out are needed");
  if (request.groups.empty())
    request.groups.assign(std::begin(fiosetup::kFileGroups), std::end(fiosetup::kFileGroups));

  std::optional<kit::Folder> kit = List(kitDir), devices = List(devicesDir);
  if (!kit) std::fprintf(stderr, "composesrc: cannot list the folder %s\n", kitDir.c_str());
  if (!devices) std::fprintf(stderr, "composesrc: cannot list the folder %s\n", devicesDir.c_str());
  if (!kit || !devices) return kRefused;
  fs::path out = fs::path(outDir).lexically_normal();
  if (!out.has_filename()) out = out.parent_path();  // "dir/" names dir
  std::error_code ec;
  request.out = outDir;
  request.outTaken = fs::exists(out, ec) && !(fs::is_directory(out, ec) && fs::is_empty(out, ec));

  Contents contents;
  kit::Composition composition =
      kit::Compose(request, *kit, *devices, [&](const std::string& path) -> kit::PeRead {
        const std::string* bytes = Read(contents, path);
        if (!bytes) return {{}, "it cannot be read or holds more than 64 MB"};
        return kit::ReadPe({reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()});
      });
  for (const std::string& problem : composition.problems)
    std::fprintf(stderr, "composesrc: %s\n", problem.c_str());
  if (!composition.problems.empty()) return kRefused;

  std::string error;
  if (!Write(composition.plan, contents, out, &error)) {
    std::fprintf(stderr, "composesrc: %s; nothing was composed\n", error.c_str());
    return kRefused;
  }
  std::sort(request.groups.begin(), request.groups.end());
  const auto groups = static_cast<std::size_t>(
      std::unique(request.groups.begin(), request.groups.end()) - request.groups.begin());
  std::printf("composed %s: %zu files of %zu group%s, with SHA256SUMS\n", outDir.c_str(),
              composition.plan.size(), groups, groups == 1 ? "" : "s");
  return kComposed;
}
