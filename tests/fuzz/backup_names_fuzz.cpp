// Backup file names on any UTF-16 text: a name that is read is the one its parts make again.
#include <cstddef>
#include <cstdint>

#include "backup/backup_names.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick;
  const std::u16string name = fuzz::Utf16(data, size);
  for (BackupKind kind : {BackupKind::kUpdate, BackupKind::kBeforeUndo}) {
    if (const auto parsed = ParseBackupFileName(kind, name))
      fuzz::Check(BackupFileName(kind, parsed->stamp, parsed->number) == name,
                  "a name read is the name its kind, stamp and number make");
  }
  return 0;
}
