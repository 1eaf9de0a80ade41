// The composer's decision over faked folders and PE facts: the plan, and each kind of refusal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tools/kit/Compose.h"

namespace {

using fiosetup::FileGroup;
using kit::kMachineAmd64;
using kit::kMachineI386;

const std::vector<std::string> kKitFiles = {
    "FIOSETUP.EXE", "WNT43SUP.EXE", "WNT43APD.EXE", "WNTDLD42.EXE", "W4XTRACE.EXE", "W43TRACE.EXE",
    "FIOSETUP.HLP", "WNT43SUP.HLP", "WNTDLD42.HLP", "README.DOC",   "SHA256SUMS"};

bool InKit(std::string_view name) {
  return std::find(kKitFiles.begin(), kKitFiles.end(), name) != kKitFiles.end();
}

// A kit and a devices folder that compose cleanly: the suite's files in the kit, the rest in
// the devices folder (WNT43EFT.DLL spelt in small letters, as a maker may ship it), every
// binary a 32-bit x86 image, and WNT43APD.EXE importing two functions WNT43EFT.DLL exports.
struct World {
  kit::Folder kit{"kit", {}};
  kit::Folder devices{"dev", {}};
  std::map<std::string, kit::PeRead> pe;  // by file name in capitals; unlisted: plain images
  kit::Request request;

  World() {
    request.groups.assign(std::begin(fiosetup::kFileGroups), std::end(fiosetup::kFileGroups));
    for (const std::string& name : kKitFiles) kit.entries.push_back({name});
    for (std::string_view name : fiosetup::DistributionFiles()) {
      if (!InKit(name)) devices.entries.push_back({Spelt(name)});
    }
    Image("WNT43APD.EXE").imports = {{"KERNEL32.dll", {"GetTickCount"}},
                                     {"WNT43EFT.DLL", {"EftOpen", "EftDload"}}};
    Image("WNT43EFT.DLL").exports = {"EftClose", "EftDload", "EftOpen"};
  }
  static std::string Spelt(std::string_view name) {
    return name == "WNT43EFT.DLL" ? "wnt43eft.dll" : std::string(name);
  }
  static kit::PeRead Plain(const std::string& name) {
    return {{kMachineI386, name.ends_with(".DLL"), {}, {}, {}}, ""};
  }
  kit::PeImage& Image(const std::string& name) {
    return pe.try_emplace(name, Plain(name)).first->second.image;
  }
  void Remove(kit::Folder& folder, const std::string& name) {
    std::erase_if(folder.entries, [&](const kit::Entry& e) { return e.name == name; });
  }
  kit::Composition Compose() {
    return kit::Compose(request, kit, devices, [this](const std::string& path) {
      std::string name = path.substr(4);  // past "kit/" or "dev/"
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      auto it = pe.find(name);
      return it != pe.end() ? it->second : Plain(name);
    });
  }
};

TEST(Compose, LaysOutTheGroupsFilesFromTheKitFirstInTheInstallersOrder) {
  const auto everyFile = fiosetup::DistributionFiles();
  const std::vector<std::string> all(everyFile.begin(), everyFile.end());
  const std::vector<std::string> only8343 = {"FIOSETUP.EXE", "README.DOC",   "FIOSETUP.HLP",
                                             "WNT43EFT.DLL", "WNT43EFT.LIB", "WNT43EFT.H",
                                             "WNT43PDD.DLL", "W43TRACE.EXE"};
  for (auto [groups, expected] :
       {std::pair{std::vector(std::begin(fiosetup::kFileGroups), std::end(fiosetup::kFileGroups)),
                  all},
        std::pair{std::vector{FileGroup::k8343, FileGroup::k8343}, only8343}}) {
    World world;
    world.request.groups = groups;
    kit::Composition composition = world.Compose();
    EXPECT_EQ(composition.problems, std::vector<std::string>{});
    std::vector<std::string> names;
    for (const kit::Placement& p : composition.plan) {
      names.push_back(p.name);
      EXPECT_EQ(p.source, (InKit(p.name) ? "kit/" : "dev/") + World::Spelt(p.name));
    }
    EXPECT_EQ(names, expected);
  }
}

struct Refusal {
  const char* what;
  std::function<void(World&)> change;
  std::vector<std::string> problems;  // exactly these, in this order; none: it composes
};

const std::vector<std::string> kOutTaken = {
    "the out folder src already exists and is not an empty folder"};

const Refusal kRefusals[] = {
    {"missing file",
     [](World& w) { w.Remove(w.devices, "WNT43PDD.DLL"); },
     {"WNT43PDD.DLL is in neither the kit nor the devices folder (needed by group 8343)"}},
    {"missing file of two groups",
     [](World& w) { w.Remove(w.kit, "README.DOC"); },
     {"README.DOC is in neither the kit nor the devices folder (needed by groups family, 8343)"}},
    {"not a readable file",
     [](World& w) {
       w.Remove(w.devices, "WNTA3EFT.LIB");
       w.devices.entries.push_back({"WNTA3EFT.LIB", false});
     },
     {"dev/WNTA3EFT.LIB is not a readable file (needed by group 8343-async)"}},
    {"two spellings",
     [](World& w) { w.devices.entries.push_back({"WNT43Eft.DLL"}); },
     {"the devices folder holds both wnt43eft.dll and WNT43Eft.DLL"}},
    {"other architecture",
     [](World& w) { w.Image("WNT42PIN.DLL").machine = kMachineAmd64; },
     {"WNT42PIN.DLL is for x64, but the kit's programs are for 32-bit x86"}},
    {"no PE image",
     [](World& w) {
       w.pe["WNT4XPDD.DLL"] = {{}, "no MZ header"};
     },
     {"WNT4XPDD.DLL is not a PE image: no MZ header"}},
    {"a program as a DLL",
     [](World& w) { w.Image("WNTA2PIN.DLL").dll = false; },
     {"WNTA2PIN.DLL is a program, not a DLL"}},
    {"kit programs of two architectures",
     [](World& w) { w.Image("W43TRACE.EXE").machine = kMachineAmd64; },
     {"the kit's programs are not of one architecture: FIOSETUP.EXE 32-bit x86, WNT43SUP.EXE "
      "32-bit x86, WNT43APD.EXE 32-bit x86, WNTDLD42.EXE 32-bit x86, W4XTRACE.EXE 32-bit x86, "
      "W43TRACE.EXE x64"}},
    {"decorated export",
     [](World& w) {
       w.Image("WNT43EFT.DLL").exports = {"_EftOpen@4", "EftDload"};
     },
     {"WNT43EFT.DLL does not export EftOpen, which WNT43APD.EXE imports"}},
    {"import from a DLL not laid out",
     [](World& w) {
       w.request.groups = {FileGroup::k8342Pin};
       w.Image("WNT43EFT.DLL").exports.clear();
     },
     {}},
    {"emulated library",
     [](World& w) {
       w.Image("WNT42PIN.DLL").versionStrings = {{"FileDescription", "Emulated PIN"}};
     },
     {"WNT42PIN.DLL says it is emulated (\"Emulated PIN\"); only a training source holds it "
      "(--emulated)"}},
    {"emulated library for training",
     [](World& w) {
       w.Image("WNT42PIN.DLL").versionStrings = {{"FileDescription", "Emulated PIN"}};
       w.request.emulated = true;
     },
     {}},
    {"out folder taken",
     [](World& w) {
       w.request = {w.request.groups, false, "src", true};
     },
     kOutTaken},
    {"every problem at once",
     [](World& w) {
       w.Remove(w.devices, "WNT43PDD.DLL");
       w.Image("WNT43EFT.DLL").exports = {"EftOpen"};
       w.request = {w.request.groups, false, "src", true};
     },
     {"WNT43PDD.DLL is in neither the kit nor the devices folder (needed by group 8343)",
      "WNT43EFT.DLL does not export EftDload, which WNT43APD.EXE imports", kOutTaken[0]}},
};

TEST(Compose, RefusesWithEveryProblemAndNoPlan) {
  for (const Refusal& refusal : kRefusals) {
    World world;
    refusal.change(world);
    kit::Composition composition = world.Compose();
    EXPECT_EQ(composition.problems, refusal.problems) << refusal.what;
    EXPECT_EQ(composition.plan.empty(), !refusal.problems.empty()) << refusal.what;
  }
}

TEST(Compose, TellsEmulatedByTheWholeWord) {
  EXPECT_TRUE(kit::SaysEmulated("Emulated device-access library"));
  EXPECT_TRUE(kit::SaysEmulated("PIN pad library (EMULATED)"));
  EXPECT_FALSE(kit::SaysEmulated("Device-access library for the 8343 EFT terminal"));
  EXPECT_FALSE(kit::SaysEmulated("Unemulated library, emulatedx"));
}

}  // namespace
