// The composer's judgement: which file goes where under which name, and every reason to refuse.
#include "tools/kit/Compose.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>

namespace kit {
namespace {

using fiosetup::FileGroup;

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

bool EndsWith(std::string_view upperName, std::string_view extension) {
  return upperName.size() > extension.size() &&
         upperName.substr(upperName.size() - extension.size()) == extension;
}

std::string In(const Folder& folder, const Entry& entry) { return folder.path + "/" + entry.name; }

// The problems found so far, each said once: a program found broken both as the kit's
// program and as a file of a group is one problem.
class Problems {
 public:
  void Add(std::string text) {
    if (std::find(list_.begin(), list_.end(), text) == list_.end()) list_.push_back(text);
  }
  std::vector<std::string> Take() { return std::move(list_); }

 private:
  std::vector<std::string> list_;
};

// A folder's entries by their name in capitals. A maker may ship wnt43eft.dll; a folder that
// holds two names differing only in case leaves no way to tell which one is meant.
std::map<std::string, const Entry*> ByName(const Folder& folder, std::string_view label,
                                           Problems& problems) {
  std::map<std::string, const Entry*> names;
  for (const Entry& entry : folder.entries) {
    auto [it, added] = names.emplace(Upper(entry.name), &entry);
    if (!added) {
      problems.Add("the " + std::string(label) + " folder holds both " + it->second->name +
                   " and " + entry.name);
    }
  }
  return names;
}

const Entry* Find(const std::map<std::string, const Entry*>& names, std::string_view name) {
  auto it = names.find(Upper(name));
  return it == names.end() ? nullptr : it->second;
}

struct Program {
  std::string name;
  const PeImage* image;
};

}  // namespace

std::optional<FileGroup> GroupNamed(std::string_view name) {
  for (const GroupName& g : kGroupNames) {
    if (g.name == name) return g.group;
  }
  return std::nullopt;
}

std::string_view NameOf(FileGroup group) {
  for (const GroupName& g : kGroupNames) {
    if (g.group == group) return g.name;
  }
  return "?";
}

bool SaysEmulated(std::string_view description) {
  constexpr std::string_view kWord = "EMULATED";
  const std::string upper = Upper(description);
  auto letter = [&](std::size_t i) { return std::isalpha(static_cast<unsigned char>(upper[i])); };
  for (std::size_t at = upper.find(kWord); at != std::string::npos;
       at = upper.find(kWord, at + 1)) {
    const std::size_t after = at + kWord.size();
    if ((at == 0 || !letter(at - 1)) && (after == upper.size() || !letter(after))) return true;
  }
  return false;
}

Composition Compose(const Request& request, const Folder& kit, const Folder& devices,
                    const PeFacts& facts) {
  Problems problems;
  Composition composition;
  const auto kitNames = ByName(kit, "kit", problems);
  const auto deviceNames = ByName(devices, "devices", problems);
  std::map<std::string, PeRead> read;  // by path: each file is read once
  auto factsOf = [&](const std::string& path) -> const PeRead& {
    auto it = read.find(path);
    if (it == read.end()) it = read.emplace(path, facts(path)).first;
    return it->second;
  };

  // Every file of the selected groups, from the kit when it has it.
  for (std::string_view name : fiosetup::DistributionFiles()) {
    std::string groups;
    int needing = 0;
    for (FileGroup group : fiosetup::kFileGroups) {
      auto files = fiosetup::FilesOf(group);
      if (std::find(request.groups.begin(), request.groups.end(), group) == request.groups.end() ||
          std::find(files.begin(), files.end(), name) == files.end())
        continue;
      groups += (needing++ ? ", " : "") + std::string(NameOf(group));
    }
    if (needing == 0) continue;
    const std::string need =
        (needing > 1 ? " (needed by groups " : " (needed by group ") + groups + ")";
    const Folder* folder = &kit;
    const Entry* entry = Find(kitNames, name);
    if (!entry) {
      folder = &devices;
      entry = Find(deviceNames, name);
    }
    if (!entry) {
      problems.Add(std::string(name) + " is in neither the kit nor the devices folder" + need);
    } else if (!entry->readable) {
      problems.Add(In(*folder, *entry) + " is not a readable file" + need);
    } else {
      composition.plan.push_back({In(*folder, *entry), std::string(name)});
    }
  }

  // The architecture is the kit's programs'; they must agree on it.
  std::vector<Program> programs;
  bool anyProgram = false;
  for (const Entry& entry : kit.entries) {
    if (!entry.readable || !EndsWith(Upper(entry.name), ".EXE")) continue;
    anyProgram = true;
    const PeRead& pe = factsOf(In(kit, entry));
    if (!pe.error.empty()) {
      problems.Add(entry.name + " is not a PE image: " + pe.error);
    } else {
      programs.push_back({entry.name, &pe.image});
    }
  }
  if (!anyProgram) problems.Add("the kit folder holds no program (.EXE) to tell the architecture");
  std::optional<std::uint16_t> machine;
  if (!programs.empty()) machine = programs.front().image->machine;
  for (const Program& program : programs) {
    if (program.image->machine == *machine) continue;
    std::string each;
    for (const Program& p : programs) each += ", " + p.name + " " + MachineName(p.image->machine);
    problems.Add("the kit's programs are not of one architecture: " + each.substr(2));
    machine.reset();
    break;
  }

  // Every program and DLL laid out is an image of that architecture; a DLL is no emulation
  // unless a training source was asked for.
  std::map<std::string, const PeImage*> dlls;  // by the exact (capital) name laid out
  for (const Placement& placement : composition.plan) {
    const bool isDll = EndsWith(placement.name, ".DLL");
    if (!isDll && !EndsWith(placement.name, ".EXE")) continue;
    const PeRead& pe = factsOf(placement.source);
    if (!pe.error.empty()) {
      problems.Add(placement.name + " is not a PE image: " + pe.error);
      continue;
    }
    if (machine && pe.image.machine != *machine) {
      problems.Add(placement.name + " is for " + MachineName(pe.image.machine) +
                   ", but the kit's programs are for " + MachineName(*machine));
    }
    if (pe.image.dll != isDll)
      problems.Add(placement.name +
                   (isDll ? " is a program, not a DLL" : " is a DLL, not a program"));
    if (!isDll) continue;
    dlls[placement.name] = &pe.image;
    const std::string description = VersionString(pe.image, "FileDescription");
    if (!request.emulated && SaysEmulated(description)) {
      problems.Add(placement.name + " says it is emulated (\"" + description +
                   "\"); only a training source holds it (--emulated)");
    }
  }

  // Each name a kit program imports from a DLL laid out is exported by that DLL as it stands.
  for (const Program& program : programs) {
    for (const PeImport& import : program.image->imports) {
      auto dll = dlls.find(Upper(import.dll));
      if (dll == dlls.end()) continue;
      const std::vector<std::string>& exports = dll->second->exports;
      for (const std::string& function : import.functions) {
        if (std::find(exports.begin(), exports.end(), function) == exports.end()) {
          problems.Add(dll->first + " does not export " + function + ", which " + program.name +
                       " imports");
        }
      }
    }
  }

  if (request.outTaken)
    problems.Add("the out folder " + request.out + " already exists and is not an empty folder");
  composition.problems = problems.Take();
  if (!composition.problems.empty()) composition.plan.clear();
  return composition;
}

}  // namespace kit
