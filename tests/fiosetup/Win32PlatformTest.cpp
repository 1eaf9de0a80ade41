// The installer's Win32 ports under Wine: files in a temporary folder, and the PATH update
// against the real HKCU\Environment with the real broadcast.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <fstream>
#include <iterator>

#include "devconfig/win32/Win32Registry.h"
#include "fiosetup/ConfigFile.h"
#include "fiosetup/Dialogs.h"
#include "fiosetup/Fakes.h"
#include "fiosetup/RegistryWriter.h"
#include "fiosetup/win32/Win32Platform.h"
#include "tests/support/Registry.h"
#include "tests/support/TempFolder.h"

using namespace fiosetup;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class Win32FilesTest : public ::testing::Test {
 protected:
  support::TempFolder temp{"fiosetup-files"};
  std::string dir = temp.File("files");  // made by the tests themselves
  Win32Files files;
};

TEST_F(Win32FilesTest, DirectoriesCopiesAndTheSixteenByteFile) {
  EXPECT_FALSE(files.DirectoryExists(dir));
  EXPECT_TRUE(files.MakeDirectory(dir, kCreatedFolderSecurity));
  EXPECT_TRUE(files.DirectoryExists(dir));
  EXPECT_FALSE(files.MakeDirectory(dir + "\\no\\such", kCreatedFolderSecurity));  // one level only

  EXPECT_EQ(files.WriteReplacing(dir + "\\A.DLL", {'n', 'e', 'w'}), 3u);
  ASSERT_TRUE(files.MakeDirectory(dir + "\\sub", kCreatedFolderSecurity));
  std::ofstream(dir + "\\sub\\A.DLL", std::ios::binary) << "older and longer";
  EXPECT_TRUE(files.CopyReplacing(dir + "\\A.DLL", dir + "\\sub\\A.DLL"));
  EXPECT_EQ(ReadAll(dir + "\\sub\\A.DLL"), "new");
  EXPECT_FALSE(files.CopyReplacing(dir + "\\MISSING.DLL", dir + "\\sub\\B.DLL"));

  DeviceTable table;
  table.Port(DeviceKind::k8341) = 3;
  table.Port(DeviceKind::k8343) = 4;
  EXPECT_EQ(SaveConfiguration(table, dir, files), 1);
  table.optionS = true;
  EXPECT_EQ(SaveConfiguration(table, dir, files), 1);
  const std::string first("\3\0\0\0\0\0\0\0\0\0\0\0\4\0\0\0", 16);
  const std::string second("\3\0\0\x80\0\0\0\0\0\0\0\0\4\0\0\0", 16);
  EXPECT_EQ(ReadAll(dir + "\\FIOSETUP.BAK"), first);
  EXPECT_EQ(ReadAll(dir + "\\FIOSETUP.CFG"), second);

  auto read = files.ReadStart(dir + "\\FIOSETUP.CFG", 16);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(std::string(read->begin(), read->end()), second);
  std::ofstream(dir + "\\short.cfg", std::ios::binary) << second.substr(0, 15);
  read = files.ReadStart(dir + "\\short.cfg", 16);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->size(), 15u);
  EXPECT_EQ(files.ReadStart(dir + "\\missing.cfg", 16), std::nullopt);
  EXPECT_EQ(files.ReadStart(dir, 16), std::nullopt);  // a directory is no file
  EXPECT_EQ(files.WriteReplacing(dir + "\\no\\such.cfg", {1}), 0u);
  EXPECT_FALSE(files.FileExists(dir + "\\FIOSETUP.NEW"));  // renamed over FIOSETUP.CFG

  EXPECT_TRUE(files.FileExists(dir + "\\A.DLL"));
  EXPECT_FALSE(files.FileExists(dir + "\\sub"));
  EXPECT_TRUE(files.SameContents(dir + "\\A.DLL", dir + "\\sub\\A.DLL"));
  EXPECT_FALSE(files.SameContents(dir + "\\A.DLL", dir + "\\short.cfg"));
  EXPECT_FALSE(files.SameContents(dir + "\\A.DLL", dir + "\\missing.cfg"));
  EXPECT_TRUE(files.MoveReplacing(dir + "\\short.cfg", dir + "\\sub\\A.DLL"));
  EXPECT_EQ(ReadAll(dir + "\\sub\\A.DLL"), second.substr(0, 15));
  EXPECT_FALSE(files.FileExists(dir + "\\short.cfg"));
  files.Remove(dir + "\\A.DLL");
  EXPECT_FALSE(files.FileExists(dir + "\\A.DLL"));

  // The running test program, by another spelling of its path; not the copy beside it.
  char self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof self), 0u);
  std::string upper = self;
  CharUpperA(upper.data());
  EXPECT_TRUE(files.IsRunningProgram(upper));
  EXPECT_TRUE(files.CopyReplacing(self, dir + "\\A.DLL"));
  EXPECT_FALSE(files.IsRunningProgram(dir + "\\A.DLL"));
  EXPECT_TRUE(files.SameContents(self, dir + "\\A.DLL"));  // readable while it runs
}

// A copy keeps its source's read-only attribute, and MakeWritable takes it off again.
TEST_F(Win32FilesTest, ReadOnlyCopiesAreMadeWritable) {
  ASSERT_TRUE(files.MakeDirectory(dir, kCreatedFolderSecurity));
  const std::string source = dir + "\\A.DLL", copy = dir + "\\FIOSETUP.CFG";
  ASSERT_EQ(files.WriteReplacing(source, {'r'}), 1u);
  ASSERT_TRUE(SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(files.CopyReplacing(source, copy));
  EXPECT_TRUE(GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY);
  for (const std::string& path : {source, copy}) {
    EXPECT_TRUE(files.MakeWritable(path)) << path;
    EXPECT_FALSE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) << path;
    EXPECT_TRUE(files.MakeWritable(path)) << path;  // nothing left to clear
  }
  EXPECT_TRUE(files.MakeWritable(dir + "\\missing.cfg"));
}

PSID WellKnown(WELL_KNOWN_SID_TYPE type, std::vector<BYTE>& storage) {
  storage.resize(SECURITY_MAX_SID_SIZE);
  DWORD size = static_cast<DWORD>(storage.size());
  return CreateWellKnownSid(type, nullptr, storage.data(), &size) ? storage.data() : nullptr;
}

// What Windows makes of the folder security: protected, three entries that files and folders
// inherit, and no right to change anything for Users.
TEST(CreatedFolderSecurity, ProtectedAndInheritedByEverythingInside) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(kCreatedFolderSecurity,
                                                                   SDDL_REVISION_1, &sd, nullptr));
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(sd, &control, &revision));
  EXPECT_TRUE(control & SE_DACL_PROTECTED);
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted));
  ASSERT_TRUE(present && dacl);
  std::vector<BYTE> a, s, u;
  const std::pair<PSID, DWORD> expected[] = {
      {WellKnown(WinBuiltinAdministratorsSid, a), FILE_ALL_ACCESS},
      {WellKnown(WinLocalSystemSid, s), FILE_ALL_ACCESS},
      {WellKnown(WinBuiltinUsersSid, u), FILE_GENERIC_READ | FILE_GENERIC_EXECUTE}};
  ASSERT_EQ(dacl->AceCount, std::size(expected));
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
    EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE) << i;
    EXPECT_EQ(ace->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) << i;
    EXPECT_TRUE(EqualSid(&ace->SidStart, expected[i].first)) << i;
    EXPECT_EQ(ace->Mask, expected[i].second) << i;
  }
  LocalFree(sd);
}

// The folder's entries as read back, in SDDL.
std::string FolderDacl(const std::string& path) {
  DWORD size = 0;
  GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  std::vector<BYTE> sd(size);
  if (!size || !GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, sd.data(), size, &size))
    return "unreadable";
  char* text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(
          sd.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return "unconvertible";
  }
  std::string dacl = text;
  LocalFree(text);
  return dacl;
}

// Wine keeps no descriptor of its own: it turns the entries into the folder's Unix mode and
// reads them back from it, so all that shows is that Everyone (the Unix "other" bits) gets
// nothing, where a folder created without the descriptor gives Everyone read access.
TEST_F(Win32FilesTest, ACreatedFolderGivesEveryoneNothing) {
  ASSERT_TRUE(files.MakeDirectory(dir, kCreatedFolderSecurity));
  std::string dacl = FolderDacl(dir);
  EXPECT_EQ(dacl.rfind("D:", 0), 0u) << dacl;
  EXPECT_EQ(dacl.find(";WD)"), std::string::npos) << dacl;
  EXPECT_FALSE(files.MakeDirectory(dir + "\\sub", "D:P(A;;FA;;;NOT A SID)"));  // never plain
  EXPECT_FALSE(files.DirectoryExists(dir + "\\sub"));
  ASSERT_TRUE(CreateDirectoryA((dir + "\\sub").c_str(), nullptr));
  EXPECT_NE(FolderDacl(dir + "\\sub").find(";WD)"), std::string::npos) << "the comparison";
}

// Keeps the user's PATH as it was before the test and puts it back afterwards.
class RealPath : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Environment", 0, KEY_ALL_ACCESS, &env_), 0);
  }
  void TearDown() override { RegCloseKey(env_); }
  void SetPath(const std::string& text, DWORD type) {
    RegSetValueExA(env_, "PATH", 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
  }
  std::string GetPath(DWORD* type) {
    char buffer[1024] = {};
    DWORD size = sizeof buffer - 1;
    if (RegQueryValueExA(env_, "PATH", nullptr, type, reinterpret_cast<BYTE*>(buffer), &size)) {
      return "(absent)";
    }
    return buffer;
  }

  support::RegistrySnapshot savedPath_{HKEY_CURRENT_USER, "Environment", "PATH"};
  HKEY env_ = nullptr;
};

TEST_F(RealPath, AppendsKeepingTheTypeAndBroadcasts) {
  devconfig::Win32Registry registry;
  fiosetup::testing::Fakes fakes;
  Win32SettingChange settingChange;
  Platform platform{registry, fakes.ui, fakes.pause, fakes.status, settingChange, fakes.files};
  DeviceTable table;
  table.nt = true;

  SetPath("%SystemRoot%\\tools", REG_EXPAND_SZ);
  EXPECT_EQ(UpdatePath(table, "C:\\W8300FIO", platform), 1);
  DWORD type = 0;
  EXPECT_EQ(GetPath(&type), "%SystemRoot%\\tools;C:\\W8300FIO;");
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));

  SetPath("C:\\BIN", REG_SZ);
  EXPECT_EQ(UpdatePath(table, "C:\\W8300FIO", platform), 1);
  EXPECT_EQ(GetPath(&type), "C:\\BIN;C:\\W8300FIO;");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  RegDeleteValueA(env_, "PATH");
  fakes.ui.Answer(ui::Answer::kYes);
  EXPECT_EQ(UpdatePath(table, "C:\\W8300FIO", platform), 1);
  EXPECT_EQ(GetPath(&type), "C:\\W8300FIO");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  // 512 bytes do not fit the 511 that are read: left alone, nothing asked.
  const std::string tooLong(511, 'p');
  SetPath(tooLong, REG_SZ);
  EXPECT_EQ(UpdatePath(table, "C:\\W8300FIO", platform), 0);
  EXPECT_EQ(GetPath(&type), tooLong);
  EXPECT_EQ(fakes.ui.MessageTexts().size(), 1u);
}

}  // namespace
