// Backup file names on any UTF-16 text: a numbered name that is read is the one its parts make
// again.
#include <cstddef>
#include <cstdint>

#include "backup/backup_names.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick;
  const std::u16string name = fuzz::Utf16(data, size);
  for (BackupKind kind : {BackupKind::kUpdate, BackupKind::kBeforeUndo}) {
    const auto parsed = ParseBackupFileName(kind, name);
    if (!parsed)
      continue;
    if (parsed->sequence != 0) {
      fuzz::Check(BackupFileName(kind, parsed->sequence, parsed->stamp) == name,
                  "a name read is the name its kind, sequence and stamp make");
    } else {
      // The earlier form is only read; its stamp makes a numbered name that reads the same.
      const auto renamed = ParseBackupFileName(kind, BackupFileName(kind, 1, parsed->stamp));
      fuzz::Check(renamed && renamed->stamp == parsed->stamp && renamed->sequence == 1,
                  "the stamp of an earlier name makes a numbered name that reads the same");
    }
  }
  return 0;
}
