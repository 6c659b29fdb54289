#include "backup/win32/folder_record.h"

#include <algorithm>

#include "platform/win32/unique_handle.h"

namespace tarnwick::win32 {
namespace {

// A recorded name is a folder's name, far shorter than this.
constexpr DWORD kMaxNameCharacters = 64;

}  // namespace

DWORD ReadFolderRecord(OwnerRule& owners, const std::wstring& keyName, std::wstring& name) {
  name.clear();
  UniqueKey key;
  LSTATUS status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyName.c_str(), 0,
                                   KEY_QUERY_VALUE | READ_CONTROL | KEY_WOW64_64KEY, key.put());
  if (status == ERROR_FILE_NOT_FOUND)
    return ERROR_SUCCESS;
  if (status != ERROR_SUCCESS)
    return static_cast<DWORD>(status);
  bool trusted = false;
  if (const DWORD error = owners.Trusted(key.get(), trusted); error != ERROR_SUCCESS || !trusted)
    return error;
  wchar_t text[kMaxNameCharacters + 1] = {};
  DWORD type = 0;
  DWORD size = kMaxNameCharacters * sizeof(wchar_t);
  status = ::RegQueryValueExW(key.get(), kFolderRecordValue, nullptr, &type,
                              reinterpret_cast<BYTE*>(text), &size);
  if (status == ERROR_FILE_NOT_FOUND || status == ERROR_MORE_DATA ||
      (status == ERROR_SUCCESS && type != REG_SZ))
    return ERROR_SUCCESS;  // no name of ours
  if (status != ERROR_SUCCESS)
    return static_cast<DWORD>(status);
  name.assign(text, size / sizeof(wchar_t));
  name.erase(std::min(name.find(L'\0'), name.size()));
  return ERROR_SUCCESS;
}

DWORD WriteFolderRecord(OwnerRule& owners, const AdminOnlySecurity& security,
                        const std::wstring& keyName, std::wstring_view name) {
  if (security.error() != ERROR_SUCCESS)
    return security.error();
  UniqueKey key;
  DWORD disposition = 0;
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), security.descriptor(), FALSE};
  LSTATUS status = ::RegCreateKeyExW(
      HKEY_LOCAL_MACHINE, keyName.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
      KEY_SET_VALUE | READ_CONTROL | KEY_WOW64_64KEY, &attributes, key.put(), &disposition);
  if (status != ERROR_SUCCESS)
    return static_cast<DWORD>(status);
  if (disposition == REG_OPENED_EXISTING_KEY) {
    bool trusted = false;
    if (const DWORD error = owners.Trusted(key.get(), trusted); error != ERROR_SUCCESS)
      return error;
    if (!trusted)
      return ERROR_ACCESS_DENIED;
  }
  const std::wstring text(name);
  status = ::RegSetValueExW(key.get(), kFolderRecordValue, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  if (status != ERROR_SUCCESS)
    return static_cast<DWORD>(status);
  return static_cast<DWORD>(::RegFlushKey(key.get()));
}

}  // namespace tarnwick::win32
