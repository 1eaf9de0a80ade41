// The PE reader against Windows' own reading of the tree's built programs and libraries: the
// version API, the loader's GetProcAddress, and the export table of the image as mapped.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/kit/PeFile.h"

namespace {

const char* const kBinaries[] = {"WNT43EFT.dll", "WNT42PIN.dll", "WNTDLD42.exe", "WNT43APD.exe"};

const IMAGE_NT_HEADERS& Headers(HMODULE module) {
  auto* base = reinterpret_cast<const BYTE*>(module);
  return *reinterpret_cast<const IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
}

template <typename T>
const T* At(HMODULE module, DWORD rva) {
  return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + rva);
}

std::string WindowsDescription(const std::string& path) {
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), &ignored));
  if (info.empty() || !GetFileVersionInfoA(path.c_str(), 0, info.size(), info.data()))
    return "(no version resource)";
  WORD* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < 2 * sizeof(WORD))
    return "(no translation)";
  char query[64];
  wsprintfA(query, "\\StringFileInfo\\%04x%04x\\FileDescription", translation[0], translation[1]);
  char* value = nullptr;
  if (!VerQueryValueA(info.data(), query, reinterpret_cast<void**>(&value), &length))
    return "(no FileDescription)";
  return value;
}

std::vector<std::string> MappedExports(HMODULE module) {
  std::vector<std::string> names;
  const IMAGE_DATA_DIRECTORY& entry =
      Headers(module).OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (entry.VirtualAddress == 0) return names;
  auto* directory = At<IMAGE_EXPORT_DIRECTORY>(module, entry.VirtualAddress);
  auto* rvas = At<DWORD>(module, directory->AddressOfNames);
  for (DWORD i = 0; i < directory->NumberOfNames; ++i)
    names.emplace_back(At<char>(module, rvas[i]));
  return names;
}

TEST(PeFileOnWindows, ReadsWhatWindowsReads) {
  const WORD machine = sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
  for (const char* name : kBinaries) {
    SCOPED_TRACE(name);
    const std::string path = std::string(BIN_DIR) + "\\" + name;
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
    const kit::PeRead pe = kit::ReadPe(bytes);
    ASSERT_EQ(pe.error, "");
    EXPECT_EQ(pe.image.machine, machine);
    EXPECT_EQ(kit::VersionString(pe.image, "FileDescription"), WindowsDescription(path));

    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(module, nullptr) << "error " << GetLastError();
    EXPECT_EQ(pe.image.dll, (Headers(module).FileHeader.Characteristics & IMAGE_FILE_DLL) != 0);
    EXPECT_EQ(pe.image.exports, MappedExports(module));
    EXPECT_EQ(pe.image.dll, !pe.image.exports.empty());  // our DLLs export, our programs do not
    for (const std::string& function : pe.image.exports)
      EXPECT_NE(GetProcAddress(module, function.c_str()), nullptr) << function;
    EXPECT_FALSE(pe.image.imports.empty());  // imports themselves: PeFileTest's seeds
    FreeLibrary(module);
  }
}

}  // namespace
