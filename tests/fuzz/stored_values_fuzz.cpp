// The check, the update and the undo over the in-memory registry, on stored forms of the two
// values that the fuzzer's bytes make: any type, any bytes, lists with embedded, missing or
// extra NULs, empty elements and odd lengths, with reads, writes, flushes and backups that fail.
// The lists stay small (a few hundred bytes, a few thousand at most), so that an input runs in
// about a millisecond even with the sanitizers; lists near the size whose backup the undo still
// reads are rows of the update's and the undo's tests. What must hold:
// - the check says "would add" for a value exactly when the update then writes it, and both end
//   the same way where no write, flush or backup fails;
// - a backup is refused only where writing it fails;
// - a second update writes nothing;
// - the undo after the update gives back the stored bytes exactly;
// - a list the update wrote holds every element it held, in order, and the name at the end;
// - nothing is written where a read, the type or the backup failed.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "backup/backup_files.h"
#include "fake_backup_folder_ops.h"
#include "fake_system_info.h"
#include "fuzz_input.h"
#include "memory_registry.h"
#include "platform/registry.h"
#include "update/undo.h"
#include "update/update_and_check.h"
#include "update/value_table.h"

namespace tarnwick::fuzz {
namespace {

using testing::FakeBackupFolderOps;
using testing::FakeSystemInfo;
using testing::MemoryRegistry;
using testing::StoredValue;

class LinesLog final : public MessageLog {
 public:
  void LogMessage(std::u16string_view message) override { lines.emplace_back(message); }
  bool Has(std::u16string_view line) const {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  bool Starts(std::u16string_view start) const {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::u16string& line) { return line.starts_with(start); });
  }
  std::vector<std::u16string> lines;
};

// Pieces that lists are made of: the names sought in any case, names that hold them, and what
// separates list elements.
constexpr std::u16string_view kPieces[] = {
    u"tspkg",       u"TSPKG",
    u"tspkgx",      u"credssp.dll",
    u"CREDSSP.DLL", u"credssp.dll2",
    u"kerberos",    u"msv1_0",
    u"schannel",    u"x.dll",
    u" ",           u",",
    u", ",          std::u16string_view(u"\0", 1),
    u"\t",          u"",
};

void AppendUtf16(std::vector<std::byte>& bytes, std::u16string_view text) {
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::byte>(c & 0xFF));
    bytes.push_back(static_cast<std::byte>(c >> 8));
  }
}

// Bytes of a list: as they are (a real machine's list, say), or pieces, random characters and
// short runs of one piece, then NULs and an odd byte. The seeds hold real machines' lists as they
// are: the lists' bytes in order from the front of the input, and each choice (the Windows, each
// value's form, "as they are", the length, the failures) one byte each from its end.
std::vector<std::byte> MakeBytes(FuzzedDataProvider& in) {
  std::vector<std::byte> bytes;
  if (in.ConsumeBool()) {
    const auto raw = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegral<std::uint8_t>());
    for (std::uint8_t b : raw)
      bytes.push_back(static_cast<std::byte>(b));
    return bytes;
  }
  const int parts = in.ConsumeIntegralInRange(0, 12);
  for (int i = 0; i < parts; ++i) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
      case 0:
      case 1:
        AppendUtf16(bytes, in.PickValueInArray(kPieces));
        break;
      case 2:
        AppendUtf16(bytes, std::u16string(1, in.ConsumeIntegral<char16_t>()));
        break;
      default: {
        const std::u16string_view piece = in.PickValueInArray(kPieces);
        const int count = in.ConsumeIntegralInRange(0, 16);
        for (int n = 0; n < count; ++n) {
          AppendUtf16(bytes, piece);
          AppendUtf16(bytes, std::u16string_view(u"\0", 1));
        }
      }
    }
  }
  const int nuls = in.ConsumeIntegralInRange(0, 2);
  for (int i = 0; i < nuls; ++i)
    AppendUtf16(bytes, std::u16string_view(u"\0", 1));
  if (in.ConsumeBool())
    bytes.push_back(static_cast<std::byte>(in.ConsumeIntegral<std::uint8_t>()));
  return bytes;
}

constexpr RegType kTypes[] = {kRegNone,  kRegSz,      kRegExpandSz, kRegBinary,
                              kRegDword, kRegMultiSz, 0x0000000B,   0xFFFFFFFF};

// One stored value: its key and value may be missing; the stage's own type is likeliest.
struct Form {
  bool key = true;
  std::optional<StoredValue> value;
};

Form MakeForm(FuzzedDataProvider& in, RegType stageType) {
  Form form;
  switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0:
      form.key = false;
      return form;
    case 1:
      return form;
    case 2:
      form.value = StoredValue{in.PickValueInArray(kTypes), {}};
      break;
    default:
      form.value = StoredValue{stageType, {}};
  }
  form.value->bytes = MakeBytes(in);
  return form;
}

struct Failures {
  bool denied = false;  // the key opens for reading only, so the read fails
  bool setFails = false;
  bool flushFails = false;
};

void Seed(MemoryRegistry& registry, const Stage& stage, const Form& form) {
  if (form.value) {
    registry.Seed(kHkeyLocalMachine, stage.keyPath, stage.valueName, form.value->type,
                  form.value->bytes);
  } else if (form.key) {
    // A key without the value: seeding another value makes it.
    registry.Seed(kHkeyLocalMachine, stage.keyPath, u"Other", kRegDword, {std::byte{1}});
  }
}

void Inject(MemoryRegistry& registry, const Stage& stage, const Failures& failures) {
  if (failures.denied)
    registry.DenyWrite(kHkeyLocalMachine, stage.keyPath);
  if (failures.setFails)
    registry.FailSetValue(kHkeyLocalMachine, stage.keyPath, 1021);
  if (failures.flushFails)
    registry.FailFlush(kHkeyLocalMachine, stage.keyPath, 1021);
}

std::optional<StoredValue> Stored(const MemoryRegistry& registry, const Stage& stage) {
  return registry.Find(kHkeyLocalMachine, stage.keyPath, stage.valueName);
}

bool Same(const std::optional<StoredValue>& a, const std::optional<StoredValue>& b) {
  return a.has_value() == b.has_value() && (!a || (a->type == b->type && a->bytes == b->bytes));
}

std::vector<std::u16string_view> Split(std::u16string_view text, char16_t separator) {
  std::vector<std::u16string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::u16string_view::npos ? end : end - start));
    if (end == std::u16string_view::npos)
      return parts;
    start = end + 1;
  }
}

std::u16string_view Trimmed(std::u16string_view text) {
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}

// The names a list holds as its readers see them: a package list's elements, a provider list's
// entries, in order; empty ones name nothing.
std::vector<std::u16string> Names(const Stage& stage, const StoredValue& value) {
  const std::u16string text = ValueText(value.type, value.bytes);
  std::vector<std::u16string> names;
  const bool packages = stage.type == kRegMultiSz;
  for (std::u16string_view part : Split(text, packages ? u'\0' : u',')) {
    if (!packages)
      part = Trimmed(part);
    if (!part.empty())
      names.emplace_back(part);
  }
  return names;
}

// The bytes a list that the update wrote must have: its text and one NUL, for a package list
// each element with its own NUL and one more.
bool WellFormed(const Stage& stage, const StoredValue& value) {
  std::vector<std::byte> expected;
  const std::vector<std::u16string> names = Names(stage, value);
  if (stage.type == kRegMultiSz) {
    for (const std::u16string& name : names) {
      AppendUtf16(expected, name);
      AppendUtf16(expected, std::u16string_view(u"\0", 1));
    }
  } else {
    AppendUtf16(expected, ValueText(value.type, value.bytes));
  }
  AppendUtf16(expected, std::u16string_view(u"\0", 1));
  return value.bytes == expected;
}

// A list the update wrote: every name of the list it read, in order, then the stage's name.
void CheckWritten(const Stage& stage, const StoredValue& read, const StoredValue& written) {
  std::vector<std::u16string> expected = Names(stage, read);
  expected.emplace_back(stage.name);
  Check(written.type == stage.type, "a written list keeps its type");
  Check(Names(stage, written) == expected,
        "a written list keeps every name in its order, with the new one at its end");
  Check(WellFormed(stage, written), "a written list is stored in its proper form");
}

std::u16string WouldAdd(const Stage& stage) {
  return std::u16string(stage.name) + u" is missing: the update would add it";
}

}  // namespace
}  // namespace tarnwick::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick;
  using namespace tarnwick::fuzz;
  FuzzedDataProvider in(data, size);
  const auto stages = UpdateStages();

  FakeSystemInfo system;
  constexpr WindowsVersion kWindows[] = {{5, 1, 2600}, {6, 1, 7601}, {6, 3, 9600}, {10, 0, 19045}};
  system.windows = in.PickValueInArray(kWindows);
  if (in.ConsumeIntegralInRange(0, 7) == 0)
    system.systemFiles.clear();
  const bool backupFails = in.ConsumeIntegralInRange(0, 7) == 0;

  std::vector<Form> forms;
  std::vector<Failures> failures;
  for (const Stage& stage : stages) {
    forms.push_back(MakeForm(in, stage.type));
    const std::uint8_t flags = in.ConsumeIntegral<std::uint8_t>();
    failures.push_back({(flags & 0x07) == 0, (flags & 0x38) == 0, (flags & 0xC0) == 0});
  }
  // Windows 8.1's list of built-in packages, in any form, for the first stage.
  const Form builtIn = MakeForm(in, kRegMultiSz);

  MemoryRegistry registry;
  for (std::size_t i = 0; i < stages.size(); ++i)
    Seed(registry, stages[i], forms[i]);
  if (builtIn.value) {
    registry.Seed(kHkeyLocalMachine, stages[0].builtIn->listKeyPath, stages[0].valueName,
                  builtIn.value->type, builtIn.value->bytes);
  }
  const MemoryRegistry clean = registry;  // before any failure is injected
  for (std::size_t i = 0; i < stages.size(); ++i)
    Inject(registry, stages[i], failures[i]);
  std::vector<std::optional<StoredValue>> before;
  for (const Stage& stage : stages)
    before.push_back(Stored(registry, stage));

  LinesLog checkLog;
  const UpdateOutcome checked = CheckAuthProtocols(registry, system, checkLog);
  Check(registry.SetValueCalls() == 0, "the check writes nothing");

  FakeBackupFolderOps backupOps;
  BackupFiles backups(backupOps);
  if (backupFails)
    backupOps.Fail("WriteNewFile", u"", SystemError{112});
  LinesLog updateLog;
  const UpdateOutcome updated = UpdateAuthProtocols(registry, backups, system, updateLog);
  bool writeSideFails = backupFails;
  std::vector<bool> changed;
  std::vector<std::optional<StoredValue>> last;  // as the first update leaves them
  for (std::size_t i = 0; i < stages.size(); ++i) {
    const Stage& stage = stages[i];
    last.push_back(Stored(registry, stage));
    changed.push_back(!Same(before[i], last[i]));
    const bool backedUp =
        !updateLog.Starts(u"Could not save a backup of " + Where(stage.keyPath, stage.valueName));
    Check(backedUp || backupFails, "a backup is refused only where writing it fails");
    const bool mayWrite = !backupFails && !failures[i].setFails;
    writeSideFails = writeSideFails || failures[i].setFails || failures[i].flushFails;
    const bool readable =
        forms[i].value && forms[i].value->type == stage.type && !failures[i].denied;
    Check(readable || !changed[i], "nothing is written where the read or the type failed");
    Check(mayWrite || !changed[i], "nothing is written where the backup or the write failed");
    const bool adds =
        updateLog.Has(u"Adding Value " + std::u16string(stage.name) + u" to registry key.");
    Check(checkLog.Has(WouldAdd(stage)) == adds,
          "the check says it would add a name exactly where the update adds it");
    Check(changed[i] == (adds && mayWrite), "the update writes each name it adds");
    if (changed[i])
      CheckWritten(stage, *before[i], *last[i]);
  }
  if (!writeSideFails)
    Check(checked == updated, "the check ends as the update does");

  // Again, with the same failures: nothing more to write.
  const int calls = registry.SetValueCalls();
  LinesLog againLog;
  UpdateAuthProtocols(registry, backups, system, againLog);
  bool setFails = false;
  for (std::size_t i = 0; i < stages.size(); ++i) {
    Check(Same(Stored(registry, stages[i]), last[i]), "a second update changes nothing");
    setFails = setFails || failures[i].setFails;
  }
  // A write that failed the first time is tried again, and fails again.
  if (!setFails)
    Check(registry.SetValueCalls() == calls, "a second update writes nothing");

  // The undo, on the values as the updates left them and without the failures.
  MemoryRegistry undone = clean;
  for (std::size_t i = 0; i < stages.size(); ++i) {
    if (last[i]) {
      undone.Seed(kHkeyLocalMachine, stages[i].keyPath, stages[i].valueName, last[i]->type,
                  last[i]->bytes);
    }
  }
  backupOps.Fail("WriteNewFile", u"", {}, 0);
  LinesLog undoLog;
  const UpdateOutcome undo = UndoAuthProtocols(undone, backups, undoLog);
  const bool anyChanged = std::find(changed.begin(), changed.end(), true) != changed.end();
  Check(undo == (anyChanged ? UpdateOutcome::kChanged : UpdateOutcome::kNothingToChange),
        "the undo restores exactly what the update changed");
  for (std::size_t i = 0; i < stages.size(); ++i)
    Check(Same(Stored(undone, stages[i]), before[i]), "the undo gives back the stored bytes");
  return 0;
}
