// Every .EXE and .DLL of the unpacked kits as Windows reads it: its version resource
// through GetFileVersionInfoA and VerQueryValueA, and a program's manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/Version.h"

namespace {

// What each shipped file says it is and which kit carries it; a program also names the
// execution level it asks for. Every stand-in of a maker's library says it is emulated.
struct Shipped {
  const char* folder;
  const char* file;
  const char* description;
  const char* level;  // null: a library, which has no manifest
};
constexpr const char* kSuite = SUITE_KIT_FOLDER;
constexpr const char* kEmulator = EMULATOR_KIT_FOLDER;
const Shipped kShipped[] = {
    {kSuite, "FIOSETUP.EXE", "QRT 8300 FIO Devices Installation Program", "requireAdministrator"},
    {kSuite, "WNT43SUP.EXE", "QRT 8343 Support Program", "asInvoker"},
    {kSuite, "WNT43APD.EXE", "QRT 8343 Application Download Program", "asInvoker"},
    {kSuite, "WNTDLD42.EXE", "QRT 8342 Download Program", "asInvoker"},
    {kSuite, "W4XTRACE.EXE", "Driver trace capture for the 8341 and 8342", "asInvoker"},
    {kSuite, "W43TRACE.EXE", "Driver trace capture for the 8343", "asInvoker"},
    {kEmulator, "SIMDEV.EXE",
     "Device emulator of the 8300 family, for training and trying the suite without hardware",
     "asInvoker"},
    {kEmulator, "WNT43EFT.DLL",
     "Emulated device-access library for the 8343 EFT terminal, not for real devices", nullptr},
    {kEmulator, "WNT42PIN.DLL",
     "Emulated device-access library for the 8342 PIN pad, not for real devices", nullptr},
    {kEmulator, "WNT4XPDD.DLL", "Emulated port driver for the 8341 and 8342, not for real devices",
     nullptr},
    {kEmulator, "WNT43PDD.DLL", "Emulated port driver for the 8343, not for real devices", nullptr},
    {kEmulator, "WNT41MAG.DLL",
     "Emulated (inert) device-access library for the 8341 magnetic-stripe unit, not for real "
     "devices",
     nullptr},
    {kEmulator, "WNTA1MAG.DLL",
     "Emulated (inert) device-access library for the 8341 magnetic-stripe unit, asynchronous "
     "(polling), not for real devices",
     nullptr},
    {kEmulator, "WNT42MSR.DLL",
     "Emulated (inert) device-access library for the 8342 magnetic-stripe reader, not for real "
     "devices",
     nullptr},
    {kEmulator, "WNTA2MSR.DLL",
     "Emulated (inert) device-access library for the 8342 magnetic-stripe reader, asynchronous "
     "(polling), not for real devices",
     nullptr},
    {kEmulator, "WNTA2PIN.DLL",
     "Emulated (inert) device-access library for the 8342 PIN pad, asynchronous (polling), not "
     "for real devices",
     nullptr},
    {kEmulator, "WNTA3EFT.DLL",
     "Emulated (inert) device-access library for the 8343 EFT terminal, asynchronous (polling), "
     "not for real devices",
     nullptr},
};

// The Windows versions the programs are made for: 7, 8, 8.1, 10 and 11.
const char* const kSupportedOs[] = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"};

std::string InKit(const char* folder, const std::string& name) {
  return std::string(folder) + "\\" + name;
}

std::string StringValue(std::vector<char>& info, const char* name) {
  char* value = nullptr;
  UINT length = 0;
  std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
    return "(none)";
  return std::string(value, length > 0 ? length - 1 : 0);
}

std::string Manifest(const std::string& path) {
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return "(cannot load)";
  std::string text;
  if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
    HGLOBAL data = LoadResource(module, found);
    text.assign(static_cast<const char*>(LockResource(data)), SizeofResource(module, found));
  }
  FreeLibrary(module);
  return text;
}

TEST(Release, TheTableNamesEveryProgramAndLibraryOfBothKits) {
  std::vector<std::string> found, listed;
  for (const char* folder : {kSuite, kEmulator}) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(InKit(folder, "*").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE) << folder;
    do {
      std::string name = data.cFileName;
      std::string ext = name.size() > 4 ? name.substr(name.size() - 4) : "";
      if (ext == ".EXE" || ext == ".DLL") found.push_back(folder + std::string("|") + name);
    } while (FindNextFileA(search, &data));
    FindClose(search);
  }
  for (const Shipped& s : kShipped) listed.push_back(s.folder + std::string("|") + s.file);
  std::sort(found.begin(), found.end());
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(found, listed);
}

TEST(Release, EveryBinaryCarriesItsVersionAndAProgramItsManifest) {
  for (const Shipped& s : kShipped) {
    SCOPED_TRACE(s.file);
    const std::string path = InKit(s.folder, s.file);
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << GetLastError();
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);  // 1.0.0.0: version 1.00
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, s.level ? DWORD{VFT_APP} : DWORD{VFT_DLL});
    EXPECT_EQ(StringValue(info, "FileDescription"), s.description);
    EXPECT_EQ(StringValue(info, "OriginalFilename"), s.file);
    EXPECT_EQ(StringValue(info, "ProductName"), SUITE_PRODUCT_NAME);
    EXPECT_EQ(StringValue(info, "FileVersion"), SUITE_VERSION_TEXT);
    EXPECT_EQ(StringValue(info, "ProductVersion"), SUITE_VERSION_TEXT);

    const std::string manifest = Manifest(path);
    if (!s.level) {
      EXPECT_EQ(manifest, "");
      continue;
    }
    EXPECT_NE(manifest.find(std::string("requestedExecutionLevel level=\"") + s.level + "\""),
              std::string::npos)
        << manifest;
    for (const char* os : kSupportedOs) EXPECT_NE(manifest.find(os), std::string::npos) << os;
    // The classic look: no version 6 common controls.
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
    // Drawn at the system's DPI, not stretched as a bitmap at 150 %.
    EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/"
                            "WindowsSettings\">true</dpiAware>"),
              std::string::npos)
        << manifest;
  }
}

}  // namespace
