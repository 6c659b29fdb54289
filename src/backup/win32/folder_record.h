// The record of the folder that Tarnwick uses: the folder's name ("Tarnwick" or one made in its
// place), in HKLM\SOFTWARE\Tarnwick, value "Folder", made with the administrators-only security of
// admin_only_security.h. Only administrators can make keys under HKLM\SOFTWARE from
// Vista on; on XP, Power Users can too, so a key that anybody else owns is not read, and not
// written. The record is kept in the 64-bit view of the registry (KEY_WOW64_64KEY), so that the
// 32-bit and the 64-bit build find the same one on 64-bit Windows, where the 32-bit build's
// HKLM\SOFTWARE is otherwise WOW6432Node; 32-bit Windows ignores the flag (RegOpenKeyExW,
// "Accessing an Alternate Registry View").
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "backup/win32/admin_only_security.h"

namespace tarnwick::win32 {

inline constexpr wchar_t kFolderRecordKey[] = L"SOFTWARE\\Tarnwick";
inline constexpr wchar_t kFolderRecordValue[] = L"Folder";

// The name recorded under the key `key` of HKLM (kFolderRecordKey but in tests); empty when
// there is no record, or one that anybody but an administrator could have changed. A Win32
// error code.
DWORD ReadFolderRecord(OwnerRule& owners, const std::wstring& key, std::wstring& name);
// Records `name`, making the key with `security` where it is missing, and flushes it to disk: the
// folder is only found again through the record. ERROR_ACCESS_DENIED where the key is anybody
// else's. The security of a key that is there already is left as it is: whoever may change the
// value can only name another folder of Tarnwick's names, which is used only where an
// administrator made it.
DWORD WriteFolderRecord(OwnerRule& owners, const AdminOnlySecurity& security,
                        const std::wstring& key, std::wstring_view name);

}  // namespace tarnwick::win32
