#include <windows.h>

#include <filesystem>

#include "backup/win32/win32_backup_folder_ops.h"
#include "backup_folder_contract.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_system_info.h"

namespace tarnwick::testing {
namespace {

constexpr wchar_t kContractRecord[] = L"SOFTWARE\\Tarnwick Contract";

// The one place where the suite makes the Windows operations.
std::unique_ptr<BackupFolderOps> Win32Ops(SystemInfoApi& system,
                                          const win32::RunTimeFunctions& functions,
                                          const std::wstring& base) {
  return std::make_unique<win32::Win32BackupFolderOps>(system, functions, win32::Utf16(base),
                                                       kContractRecord);
}

// The record's key, in the 64-bit view where the operations keep it and in the program's own.
void DeleteRecord() {
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kContractRecord);
  HKEY software = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                    &software) == ERROR_SUCCESS) {
    RegDeleteKeyW(software, kContractRecord + 9);
    RegCloseKey(software);
  }
}

// A base folder of the test's own under the temporary folder, and a record key of its own;
// Wine can arrange none of the rest.
class Win32World final : public FolderWorld {
 public:
  Win32World() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    base_ = temp + (L"tarnwick-folder-contract-" + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::remove_all(base_);
    std::filesystem::create_directories(base_);
    DeleteRecord();
    ops_ = Win32Ops(system_, functions_, base_);
  }
  ~Win32World() override {
    std::error_code ignored;
    std::filesystem::remove_all(base_, ignored);
    DeleteRecord();
  }
  BackupFolderOps& ops() override { return *ops_; }

 private:
  const win32::RunTimeFunctions functions_ = win32::RunTimeFunctions::OfThisWindows();
  win32::Win32SystemInfo system_{functions_};
  std::wstring base_;
  std::unique_ptr<BackupFolderOps> ops_;
};

INSTANTIATE_TEST_SUITE_P(Win32, BackupFolderContract,
                         ::testing::Values(FolderBackend{
                             "Win32", [] { return std::make_unique<Win32World>(); }}),
                         FolderBackendName);

}  // namespace
}  // namespace tarnwick::testing
