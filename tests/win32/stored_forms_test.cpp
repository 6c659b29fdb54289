// What real machines store, put into the registry of a prefix that reports the same Windows
// (TARNWICK_WINE_VERSION names it), and updated by the real program's silent command line. The
// program asks the prefix which Windows it runs on, as it asks Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/command_line.h"
#include "placed_credssp.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "run_program.h"
#include "stored_forms.h"
#include "value_backup.h"

namespace tarnwick::testing {
namespace {

std::u16string Environment(const wchar_t* name) {
  wchar_t value[256] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 256);
  return length < 256 ? win32::Utf16(std::wstring(value, length)) : std::u16string();
}

// Remembers whether a key below HKEY_LOCAL_MACHINE exists and makes it so again on exit.
class KeyPresence {
 public:
  KeyPresence(RegistryOps& registry, std::u16string_view path) : registry_(registry), path_(path) {
    RegKey key = kNoKey;
    existed_ = registry_.OpenKey(kHkeyLocalMachine, path_, 0, kKeyAccessMask, key) == kErrorSuccess;
    if (existed_)
      registry_.CloseKey(key);
  }
  ~KeyPresence() {
    RegKey key = kNoKey;
    if (!existed_) {
      registry_.DeleteKey(kHkeyLocalMachine, path_);
    } else if (registry_.CreateKey(kHkeyLocalMachine, path_, key) == kErrorSuccess) {
      registry_.CloseKey(key);
    }
  }

 private:
  RegistryOps& registry_;
  std::u16string path_;
  bool existed_ = false;
};

class StoredFormsOnWine : public ::testing::Test {
 protected:
  win32::Win32Registry registry_;
  ValueBackup packages_{registry_, kLsaKey, kPackagesValue};
  ValueBackup providers_{registry_, kProvidersKey, kProvidersValue};
  KeyPresence osConfigKey_{registry_, kOsConfigKey};
  ValueBackup builtInList_{registry_, kOsConfigKey, kPackagesValue};
};

TEST_F(StoredFormsOnWine, TheProgramUpdatesEachFormAsItsWindowsNeeds) {
  const std::u16string wine = Environment(L"TARNWICK_WINE_VERSION");
  ASSERT_FALSE(wine.empty()) << "TARNWICK_WINE_VERSION names the prefix's Windows";
  const auto functions = win32::RunTimeFunctions::OfThisWindows();
  win32::Win32SystemInfo system(functions);
  const WindowsVersion running = RunningWindows(system);
  const std::u16string runningText = VersionText(running);
  std::printf("The prefix reports Windows %s\n",
              std::string(runningText.begin(), runningText.end()).c_str());

  int forms = 0;
  for (const StoredForm& form : StoredForms()) {
    if (form.wine != wine)
      continue;
    ++forms;
    SCOPED_TRACE(form.label);
    EXPECT_EQ(running.major, form.windows.major) << "the prefix reports the form's Windows";
    EXPECT_EQ(running.minor, form.windows.minor) << "the prefix reports the form's Windows";
    SeedForm(registry_, form);
    const PlacedCredssp credssp(form.credssp);
    const std::wstring systemDirectory = PlacedCredssp::SystemDirectory() + L"\\";

    EXPECT_EQ(RunProgram(L" /check").exitCode, ExitCodeFor(Invocation::kCheck, form.outcome));
    const Finished first = RunProgram(L" /update");
    const std::u16string backup = BackupPathIn(u"\r\n" + OutputText(first));
    const std::u16string backup2 = BackupPathIn(u"\r\n" + OutputText(first), true);
    EXPECT_EQ(first.output, AsOutputLines(ExpectedLog(form, runningText, backup, backup2,
                                                      win32::Utf16(systemDirectory))));
    EXPECT_EQ(first.exitCode, ExitCodeFor(Invocation::kUpdate, form.outcome));
    EXPECT_EQ(backup.empty(), form.outcome != UpdateOutcome::kChanged) << "no write, no backup";
    const auto packages = ValueBackup::Read(registry_, kLsaKey, kPackagesValue);
    const auto providers = ValueBackup::Read(registry_, kProvidersKey, kProvidersValue);
    ASSERT_TRUE(packages && providers);
    EXPECT_EQ(packages->type, kRegMultiSz);
    EXPECT_EQ(packages->bytes, form.packagesAfter);
    EXPECT_EQ(providers->type, kRegSz);
    EXPECT_EQ(providers->bytes, form.providersAfter);
    for (const std::u16string& path : {backup, backup2}) {
      if (!path.empty()) {
        EXPECT_TRUE(DeleteFileW(win32::Wide(path).c_str()));
      }
    }

    const Finished second = RunProgram(L" /update");
    EXPECT_EQ(second.exitCode, form.credssp ? kExitNothingToChange : kExitFailed);
    EXPECT_EQ(ValueBackup::Read(registry_, kLsaKey, kPackagesValue)->bytes, form.packagesAfter);
  }
  EXPECT_GT(forms, 0) << "no stored form comes from this Windows";
}

}  // namespace
}  // namespace tarnwick::testing
