// The backup folder and files against Wine's real file system and security functions. Wine
// keeps no file ACLs (a folder's security reads back as its Unix owner's), so the descriptor
// the program applies is checked in process; what Wine does keep is checked on disk: the
// folder's place, names, hard links, files open for writing, symbolic links.
#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "backup/backup_files.h"
#include "backup/win32/win32_backup_folder_ops.h"
#include "common_app_data.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_error.h"

namespace tarnwick::testing {
namespace {

// The newest backup of `kind`, loaded.
LoadedFile Newest(BackupFiles& backups, BackupKind kind) {
  const ListedBackups listed = backups.ListNewestFirst();
  if (!listed.ok())
    return {{listed.outcome, listed.path, listed.status}, {}};
  for (const BackupEntry& entry : listed.newestFirst) {
    if (entry.kind == kind)
      return backups.Load(entry.path);
  }
  return {{BackupOutcome::kMissing, {}, 0}, {}};
}

using win32::Utf16;
using win32::Wide;

std::vector<std::byte> Bytes(std::string_view text) {
  const auto* data = reinterpret_cast<const std::byte*>(text.data());
  return {data, data + text.size()};
}

void PutFile(const std::wstring& path, std::string_view text) {
  std::ofstream(std::filesystem::path(path), std::ios::binary) << text;
}

std::string FileText(const std::u16string& path) {
  std::ifstream file(std::filesystem::path(Wide(path)), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// A folder of its own under the temporary folder, removed with everything in it.
class TempBase {
 public:
  TempBase() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"tarnwick-backup-test";
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempBase() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

TEST(AdminOnlySecurity, IsOwnedByAdministratorsAndInheritsNothing) {
  win32::AdminOnlySecurity security;
  ASSERT_EQ(security.error(), static_cast<DWORD>(ERROR_SUCCESS));
  wchar_t* text = nullptr;
  ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorW(
      security.descriptor(), SDDL_REVISION_1,
      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text, nullptr));
  std::wstring sddl = text;
  LocalFree(text);
  // Parsers that know the alias write OWNER RIGHTS as OW.
  if (auto at = sddl.find(L";;;OW)"); at != std::wstring::npos)
    sddl.replace(at, 6, L";;;S-1-3-4)");
  EXPECT_EQ(sddl,
            L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FR;;;S-1-3-4)(A;OICI;0x1200a9;;;BU)");
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(security.descriptor(), &control, &revision));
  EXPECT_TRUE(control & SE_DACL_PROTECTED);
}

TEST(Win32BackupFolderOps, SaveUnderTheAllUsersApplicationDataFolderAndNeverReplaceOneAnother) {
  if (LOBYTE(LOWORD(GetVersion())) >= 6) {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(BackupFolder(), std::wstring(windows, 2) + L"\\ProgramData\\Tarnwick\\Backups");
  }
  // A file the earlier release left under the user's own folder stays, and is not loaded.
  wchar_t local[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH), 0u);
  const std::wstring earlier = std::wstring(local) + L"\\Tarnwick\\Backups";
  std::filesystem::create_directories(earlier);
  PutFile(earlier + L"\\registry-2099-01-01_000000.reg", "earlier");

  win32::Win32BackupFolderOps ops;
  BackupFiles backups(ops);
  const BackupResult a = backups.SaveNew(BackupKind::kUpdate, Bytes("a"));
  const BackupResult b = backups.SaveNew(BackupKind::kUpdate, Bytes("bb"));
  ASSERT_TRUE(a.ok()) << a.status.code;
  ASSERT_TRUE(b.ok()) << b.status.code;
  EXPECT_NE(a.path, b.path);
  EXPECT_EQ(a.path.rfind(Utf16(BackupFolder()) + u"\\registry-", 0), 0u);
  EXPECT_EQ(a.path.substr(a.path.size() - 4), u".reg");
  ASSERT_TRUE(backups.Replace(a.path, Bytes("replaced")).ok());
  EXPECT_EQ(FileText(a.path), "replaced");
  const LoadedFile newest = Newest(backups, BackupKind::kUpdate);
  EXPECT_EQ(newest.outcome, BackupOutcome::kDone);
  EXPECT_EQ(newest.path, b.path);
  EXPECT_EQ(newest.contents, Bytes("bb"));

  EXPECT_TRUE(DeleteFileW(Wide(a.path).c_str()));
  EXPECT_TRUE(DeleteFileW(Wide(b.path).c_str()));
  EXPECT_TRUE(DeleteFileW((earlier + L"\\registry-2099-01-01_000000.reg").c_str()))
      << "the earlier release's file is left where it was";
}

TEST(Win32BackupFolderOps, LoadTheNewestByStampAndNumberOnlyWhenTheFileIsSafe) {
  TempBase base;
  win32::Win32BackupFolderOps ops(Utf16(base.path()));
  BackupFiles backups(ops);
  EXPECT_EQ(Newest(backups, BackupKind::kUpdate).outcome, BackupOutcome::kMissing);
  ASSERT_TRUE(backups.SaveNew(BackupKind::kBeforeUndo, Bytes("undo")).ok());
  const std::wstring folder = base.path() + L"\\Tarnwick\\Backups\\";
  PutFile(folder + L"registry-2026-12-08_193012.reg", "first");
  PutFile(folder + L"registry-2026-12-08_193012-2.reg", "second");
  PutFile(folder + L"registry-2026-12-08_193011-10.reg", "earlier");
  PutFile(folder + L"registry-2026-12-08_193013-1.reg", "misnamed");
  const std::u16string second = Utf16(folder + L"registry-2026-12-08_193012-2.reg");
  const LoadedFile loaded = Newest(backups, BackupKind::kUpdate);
  EXPECT_EQ(loaded.outcome, BackupOutcome::kDone);
  EXPECT_EQ(loaded.path, second);
  EXPECT_EQ(loaded.contents, Bytes("second"));

  {
    SCOPED_TRACE("a newer name that is a hard link");
    const std::wstring linked = folder + L"registry-2026-12-08_193014.reg";
    ASSERT_TRUE(CreateHardLinkW(linked.c_str(), Wide(second).c_str(), nullptr));
    const LoadedFile refused = Newest(backups, BackupKind::kUpdate);
    EXPECT_EQ(refused.outcome, BackupOutcome::kFileNotSecured);
    EXPECT_EQ(refused.path, Utf16(linked));
    EXPECT_TRUE(refused.contents.empty());
    DeleteFileW(linked.c_str());
  }
  {
    SCOPED_TRACE("the newest file is open for writing");
    HANDLE writer =
        CreateFileW(Wide(second).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    const LoadedFile refused = Newest(backups, BackupKind::kUpdate);
    CloseHandle(writer);
    EXPECT_EQ(refused.outcome, BackupOutcome::kFileNotSecured);
    EXPECT_EQ(refused.status, static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(refused.status.text, win32::WindowsError(ERROR_SHARING_VIOLATION).text);
  }
  {
    SCOPED_TRACE("a newer file larger than any backup");
    PutFile(folder + L"registry-2026-12-08_193015.reg", std::string(kMaxBackupSize + 1, 'x'));
    EXPECT_EQ(Newest(backups, BackupKind::kUpdate).outcome, BackupOutcome::kTooLarge);
  }
  EXPECT_EQ(Newest(backups, BackupKind::kBeforeUndo).contents, Bytes("undo"));
}

// Run by the linked_backup_folder test, which makes <base>\Tarnwick a symbolic link to another
// folder of the prefix before it starts this program. Wine renames what such a link points to,
// not the link: the link stays, and nothing is used or written through it.
TEST(LinkedBackupFolder, IsNeitherUsedNorFollowedWhereItCannotBeRenamedItself) {
  wchar_t base[MAX_PATH] = {};
  wchar_t target[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"TARNWICK_LINKED_BASE", base, MAX_PATH) == 0 ||
      GetEnvironmentVariableW(L"TARNWICK_LINK_TARGET", target, MAX_PATH) == 0)
    GTEST_SKIP() << "run by the linked_backup_folder test";
  const std::wstring link = std::wstring(base) + L"\\Tarnwick";
  const DWORD attributes = GetFileAttributesW(link.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    GTEST_SKIP() << "this Wine does not report a symbolic link as a reparse point";
  win32::Win32BackupFolderOps ops(Utf16(base));
  BackupFiles backups(ops);
  const BackupResult saved = backups.SaveNew(BackupKind::kUpdate, Bytes("x"));
  EXPECT_EQ(saved.outcome, BackupOutcome::kFolderUntrusted);
  EXPECT_EQ(saved.path, Utf16(link));
  EXPECT_EQ(saved.status, static_cast<std::uint32_t>(ERROR_NOT_SUPPORTED));
  EXPECT_TRUE(saved.movedAside.empty());
  const LoadedFile loaded = Newest(backups, BackupKind::kUpdate);
  EXPECT_EQ(loaded.outcome, BackupOutcome::kFolderUntrusted);
  EXPECT_EQ(loaded.path, Utf16(link));
  EXPECT_NE(GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(target)));
}

// Failure lines give Windows' own text, one line of it, and an HRESULT of the Win32 facility the
// text of the code it carries.
TEST(WindowsError, IsTheSystemsTextForTheCode) {
  for (DWORD code : {DWORD{ERROR_ACCESS_DENIED}, DWORD{ERROR_DIRECTORY}, DWORD{0x80070002}}) {
    const SystemError error = win32::WindowsError(code);
    EXPECT_EQ(error.code, code);
    EXPECT_FALSE(error.text.empty()) << code;
    EXPECT_EQ(error.text.find_first_of(u"\r\n"), std::u16string::npos);
  }
  EXPECT_EQ(win32::WindowsError(0x80070002).text, win32::WindowsError(ERROR_FILE_NOT_FOUND).text);
  EXPECT_EQ(ErrorText(win32::WindowsError(0x80070002)).rfind(u"error 0x80070002: ", 0), 0u);
}

}  // namespace
}  // namespace tarnwick::testing
