// Times one run of the update against the real registry, seeded with Windows XP SP3's values
// before every run, and puts the values back as they were afterwards.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "backup/win32/win32_backup_folder_ops.h"
#include "log/activity_log.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "update/update_and_check.h"

namespace {

const wchar_t kLsa[] = L"SYSTEM\\CurrentControlSet\\Control\\Lsa";
const wchar_t kPackages[] = L"Security Packages";
const wchar_t kProvidersKey[] = L"SYSTEM\\CurrentControlSet\\Control\\SecurityProviders";
const wchar_t kProviders[] = L"SecurityProviders";

// Windows XP SP3 as the update asks about it: its version, and CredSSP's files in place (Wine
// has neither).
class XpSp3 final : public tarnwick::SystemInfoApi {
 public:
  explicit XpSp3(const tarnwick::win32::RunTimeFunctions& functions) : system_(functions) {}
  std::uint32_t GetSystemDirectory(std::span<char16_t> buffer) override {
    return system_.GetSystemDirectory(buffer);
  }
  bool GetComputerName(std::span<char16_t> buffer, std::uint32_t& size) override {
    return system_.GetComputerName(buffer, size);
  }
  bool GetUserName(std::span<char16_t> buffer, std::uint32_t& size) override {
    return system_.GetUserName(buffer, size);
  }
  bool GetWindowsVersion(tarnwick::WindowsVersion& version) override {
    version = {5, 1, 2600};
    return true;
  }
  bool IsNativeFile(std::u16string_view) override { return true; }

 private:
  tarnwick::win32::Win32SystemInfo system_;
};

struct Saved {
  bool present = false;
  DWORD type = 0;
  std::vector<BYTE> bytes;
};

Saved Save(const wchar_t* key, const wchar_t* name) {
  Saved saved;
  HKEY opened;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
    return saved;
  }
  DWORD size = 0;
  if (RegQueryValueExW(opened, name, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
    saved.bytes.resize(size);
    saved.present = RegQueryValueExW(opened, name, nullptr, &saved.type, saved.bytes.data(),
                                     &size) == ERROR_SUCCESS;
  }
  RegCloseKey(opened);
  return saved;
}

void Put(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY opened;
  if (RegCreateKeyW(HKEY_LOCAL_MACHINE, key, &opened) == ERROR_SUCCESS) {
    RegSetValueExW(opened, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(opened);
  }
}

void Restore(const wchar_t* key, const wchar_t* name, const Saved& saved) {
  if (saved.present) {
    Put(key, name, saved.type, saved.bytes.data(), static_cast<DWORD>(saved.bytes.size()));
  } else {
    HKEY opened;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE, &opened) == ERROR_SUCCESS) {
      RegDeleteValueW(opened, name);
      RegCloseKey(opened);
    }
  }
}

void SeedXp() {
  static const wchar_t packages[] = L"kerberos\0msv1_0\0schannel\0wdigest\0";
  static const wchar_t providers[] = L"msapsspc.dll, schannel.dll, digest.dll, msnsspc.dll";
  Put(kLsa, kPackages, REG_MULTI_SZ, packages, sizeof packages);
  Put(kProvidersKey, kProviders, REG_SZ, providers, sizeof providers);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  const Saved packages = Save(kLsa, kPackages);
  const Saved providers = Save(kProvidersKey, kProviders);
  tarnwick::win32::Win32Registry registry;
  const auto functions = tarnwick::win32::RunTimeFunctions::OfThisWindows();
  // On XP both names are added; from Windows 8.1 on, tspkg is built in and never added.
  XpSp3 xp(functions);
  // A run that adds the names saves its backup first, as the program does; the files go to a
  // folder of their own and are removed after each run, outside the timing.
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"tarnwick-bench";
  tarnwick::win32::Win32SystemInfo system(functions);
  tarnwick::win32::Win32BackupFolderOps folderOps(
      system, functions, std::u16string(folder.begin(), folder.end()), L"SOFTWARE\\Tarnwick Bench");
  tarnwick::BackupFiles backups(folderOps);
  LARGE_INTEGER frequency, before, after;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> adding, unchanged;
  for (int run = 0; run < 200; ++run) {
    SeedXp();
    for (auto* samples : {&adding, &unchanged}) {
      tarnwick::ActivityLog log;
      QueryPerformanceCounter(&before);
      tarnwick::UpdateAuthProtocols(registry, backups, xp, log);
      QueryPerformanceCounter(&after);
      const std::u16string& text = log.Text();
      constexpr std::u16string_view kSaved = u"\r\nBackup saved to: ";
      if (auto at = text.find(kSaved); at != std::u16string::npos) {
        const auto from = at + kSaved.size();
        const std::u16string path = text.substr(from, text.find(u"\r\n", from) - from);
        DeleteFileW(std::wstring(path.begin(), path.end()).c_str());
      }
      samples->push_back(1000.0 * (after.QuadPart - before.QuadPart) / frequency.QuadPart);
    }
  }
  Restore(kLsa, kPackages, packages);
  Restore(kProvidersKey, kProviders, providers);
  RemoveDirectoryW(folder.c_str());
  std::printf("%.3f %.3f\n", Median(adding), Median(unchanged));
  return 0;
}
