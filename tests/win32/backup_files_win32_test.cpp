// The backup folder and files against Wine's real file system, registry and security functions.
// Wine keeps no file ACLs (a folder's security reads back as its Unix owner's) and has no
// oplocks, so the descriptors the program asks for are checked in process, and the waits that
// oplocks would make are left to the folder double; what Wine does keep is checked on disk: the
// folders' places, the record in the 64-bit registry view, names, hard links, files held open
// by readers or for writing, symbolic links.
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
#include "platform/win32/win32_system_info.h"
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

// The record key of the tests that keep their folders under a base of their own.
constexpr wchar_t kTestRecord[] = L"SOFTWARE\\Tarnwick Test";

void DeleteRecord(const wchar_t* key) {
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, key);  // the 64-bit view for the 64-bit tests, as written
  HKEY software = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                    &software) == ERROR_SUCCESS) {
    RegDeleteKeyW(software, key + 9);
    RegCloseKey(software);
  }
}

// The folder recorded under `key`, read from the 64-bit view (`wow64`) or the program's own.
std::wstring Recorded(const wchar_t* key, bool wow64 = true) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE | (wow64 ? KEY_WOW64_64KEY : 0),
                    &opened) != ERROR_SUCCESS)
    return L"";
  wchar_t name[64] = {};
  DWORD size = sizeof(name) - sizeof(wchar_t);
  const LSTATUS status =
      RegQueryValueExW(opened, L"Folder", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &size);
  RegCloseKey(opened);
  return status == ERROR_SUCCESS ? name : L"";
}

// Only SYSTEM and Administrators are granted anything on what the program makes, and nothing is
// inherited into it.
TEST(AdminOnlySecurity, GrantsSystemAndAdministratorsAloneAndInheritsNothing) {
  for (const wchar_t* sddl :
       {win32::kAdminOnlyFolderSddl, win32::kAdminOnlyFileSddl, win32::kAdminOnlyKeySddl}) {
    SCOPED_TRACE(std::string(sddl, sddl + wcslen(sddl)));
    win32::AdminOnlySecurity security(sddl);
    ASSERT_EQ(security.error(), static_cast<DWORD>(ERROR_SUCCESS));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(security.descriptor(), &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(security.descriptor(), &owner, &defaulted));
    EXPECT_TRUE(IsWellKnownSid(owner, WinBuiltinAdministratorsSid));
    BOOL present = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(security.descriptor(), &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl != nullptr) << "a null DACL would grant everyone everything";
    EXPECT_EQ(dacl->AceCount, 2u);
    for (WORD i = 0; i < dacl->AceCount; ++i) {
      ACE_HEADER* ace = nullptr;
      ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
      ASSERT_EQ(ace->AceType, ACCESS_ALLOWED_ACE_TYPE);
      const PSID sid = &reinterpret_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart;
      EXPECT_TRUE(IsWellKnownSid(sid, WinLocalSystemSid) ||
                  IsWellKnownSid(sid, WinBuiltinAdministratorsSid));
    }
  }
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

  const auto functions = win32::RunTimeFunctions::OfThisWindows();
  win32::Win32SystemInfo system(functions);
  win32::Win32BackupFolderOps ops(system, functions);
  VolumePermissions kept{false, false};
  ASSERT_TRUE(ops.Permissions(Utf16(CommonAppData()), kept).ok());
  EXPECT_TRUE(kept.base && kept.system) << "Wine's drives report FILE_PERSISTENT_ACLS";
  BackupFiles backups(ops);
  const BackupResult a = backups.SaveNew(BackupKind::kUpdate, Bytes("a"));
  const BackupResult b = backups.SaveNew(BackupKind::kUpdate, Bytes("bb"));
  ASSERT_TRUE(a.ok()) << a.status.code;
  ASSERT_TRUE(b.ok()) << b.status.code;
  EXPECT_NE(a.path, b.path);
  EXPECT_EQ(a.path.rfind(Utf16(BackupFolder()) + u"\\registry-", 0), 0u);
  EXPECT_EQ(a.path.substr(a.path.size() - 4), u".reg");
  EXPECT_EQ(FileText(a.path), "a") << "a file is written once";
  EXPECT_EQ(Recorded(win32::kFolderRecordKey), L"Tarnwick");
  if (sizeof(void*) == 4) {
    EXPECT_EQ(Recorded(win32::kFolderRecordKey, false), L"")
        << "the 32-bit build records in the 64-bit view, where the 64-bit build looks";
  }
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
  DeleteRecord(kTestRecord);
  const auto functions = win32::RunTimeFunctions::OfThisWindows();
  win32::Win32SystemInfo system(functions);
  win32::Win32BackupFolderOps ops(system, functions, Utf16(base.path()), kTestRecord);
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
    SCOPED_TRACE("a newer file with a second name elsewhere");
    const std::wstring newer = folder + L"registry-2026-12-08_193014.reg";
    PutFile(newer, "newer");
    const std::wstring elsewhere = base.path() + L"\\elsewhere.reg";
    ASSERT_TRUE(CreateHardLinkW(elsewhere.c_str(), newer.c_str(), nullptr));
    const LoadedFile linked = Newest(backups, BackupKind::kUpdate);
    EXPECT_EQ(linked.outcome, BackupOutcome::kDone);
    EXPECT_EQ(linked.contents, Bytes("newer"));
    DeleteFileW(elsewhere.c_str());
    DeleteFileW(newer.c_str());
  }
  // Readers that share reading, as scanners and backup agents open what appears, do not keep
  // the file from being read.
  for (const DWORD share :
       {DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
    SCOPED_TRACE(share);
    HANDLE reader =
        CreateFileW(Wide(second).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Newest(backups, BackupKind::kUpdate).contents, Bytes("second"));
    CloseHandle(reader);
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
  DeleteRecord(kTestRecord);
}

// A file where Tarnwick's folder belongs is left as it is: a folder of a name that nobody could
// have foreseen takes its place, and every later run finds that folder through the record.
TEST(Win32BackupFolderOps, AFileWhereTheFolderBelongsIsLeftAndTheFolderInItsPlaceRecorded) {
  TempBase base;
  DeleteRecord(kTestRecord);
  PutFile(base.path() + L"\\Tarnwick", "planted");
  const auto functions = win32::RunTimeFunctions::OfThisWindows();
  win32::Win32SystemInfo system(functions);
  win32::Win32BackupFolderOps ops(system, functions, Utf16(base.path()), kTestRecord);
  BackupFiles backups(ops);
  const BackupResult saved = backups.SaveNew(BackupKind::kUpdate, Bytes("x"));
  ASSERT_TRUE(saved.ok()) << saved.status.code;
  ASSERT_EQ(saved.notUsed.size(), 1u);
  EXPECT_EQ(saved.notUsed[0].form, EntryForm::kFile);
  const std::wstring recorded = Recorded(kTestRecord);
  EXPECT_EQ(recorded.rfind(L"Tarnwick-", 0), 0u);
  EXPECT_EQ(Wide(saved.notUsed[0].instead), base.path() + L"\\" + recorded);
  EXPECT_EQ(saved.path.rfind(saved.notUsed[0].instead + u"\\Backups\\registry-000001-", 0), 0u);
  std::ifstream planted(std::filesystem::path(base.path() + L"\\Tarnwick"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(planted), {}), "planted");

  win32::Win32BackupFolderOps later(system, functions, Utf16(base.path()), kTestRecord);
  BackupFiles laterBackups(later);
  EXPECT_EQ(Newest(laterBackups, BackupKind::kUpdate).path, saved.path);
  DeleteRecord(kTestRecord);
}

// Run by the linked_backup_folder test, which makes <base>\Tarnwick a symbolic link to another
// folder of the prefix before it starts this program. The link is left as it is, and nothing is
// written through it.
TEST(LinkedBackupFolder, IsNeitherUsedNorFollowed) {
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
  DeleteRecord(kTestRecord);
  const auto functions = win32::RunTimeFunctions::OfThisWindows();
  win32::Win32SystemInfo system(functions);
  win32::Win32BackupFolderOps ops(system, functions, Utf16(base), kTestRecord);
  BackupFiles backups(ops);
  EXPECT_EQ(Newest(backups, BackupKind::kUpdate).outcome, BackupOutcome::kMissing);
  const BackupResult saved = backups.SaveNew(BackupKind::kUpdate, Bytes("x"));
  ASSERT_TRUE(saved.ok()) << saved.status.code;
  ASSERT_EQ(saved.notUsed.size(), 1u);
  EXPECT_EQ(saved.notUsed[0].path, Utf16(link));
  EXPECT_EQ(saved.notUsed[0].form, EntryForm::kLink);
  EXPECT_EQ(Newest(backups, BackupKind::kUpdate).path, saved.path);
  EXPECT_NE(GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
  EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(target)));
  DeleteRecord(kTestRecord);
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
  // Success is no failure, and has no text.
  EXPECT_TRUE(win32::WindowsError(ERROR_SUCCESS).ok());
  EXPECT_TRUE(win32::WindowsError(ERROR_SUCCESS).text.empty());
  EXPECT_EQ(ErrorText(win32::WindowsError(0x80070002)).rfind(u"error 0x80070002: ", 0), 0u);
}

}  // namespace
}  // namespace tarnwick::testing
