// The real program's command line, started from this Windows process with its standard output
// redirected to a file, against the prefix's registry. The exit code is read here in full: a
// Linux exit status keeps only its low 8 bits.
#include <windows.h>

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/command_line.h"
#include "backup/run_lock.h"
#include "backup/win32/win32_backup_folder_ops.h"
#include "common_app_data.h"
#include "placed_credssp.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "run_program.h"
#include "value_backup.h"
#include "xp_sp3.h"

namespace tarnwick::testing {
namespace {

class SilentRun : public ::testing::Test {
 protected:
  void SeedXp() {
    ValueBackup::Write(registry_, kLsaKey, kPackagesValue, kRegMultiSz, XpPackagesBytes());
    ValueBackup::Write(registry_, kProvidersKey, kProvidersValue, kRegSz, SzBytes(kXpProviders));
  }
  std::vector<std::byte> Packages() {
    return ValueBackup::Read(registry_, kLsaKey, kPackagesValue).value().bytes;
  }
  std::vector<std::byte> Providers() {
    return ValueBackup::Read(registry_, kProvidersKey, kProvidersValue).value().bytes;
  }

  win32::Win32Registry registry_;
  ValueBackup packages_{registry_, kLsaKey, kPackagesValue};
  ValueBackup providers_{registry_, kProvidersKey, kProvidersValue};
  PlacedCredssp credssp_;
};

TEST_F(SilentRun, UpdatesWithoutAWindowAndSaysHowItWentInTheExitCode) {
  ResetTarnwickFolders();
  SeedXp();
  Finished first = RunProgram(L" /update");
  EXPECT_EQ(first.exitCode, kExitRestartNeeded);
  EXPECT_FALSE(first.otherWindow);
  EXPECT_TRUE(first.boxes.empty());
  const std::u16string firstLog(first.output.begin(), first.output.end());
  const std::u16string backupPath = BackupPathIn(u"\r\n" + firstLog);
  ASSERT_FALSE(backupPath.empty());
  const std::wstring folder = BackupFolder() + L"\\registry-";
  EXPECT_EQ(backupPath.rfind(std::u16string(folder.begin(), folder.end()), 0), 0u)
      << "the silent run saves its backup in the all-users folder too";
  const std::u16string secondPath = BackupPathIn(u"\r\n" + firstLog, true);
  EXPECT_EQ(first.output, AsOutputLines(XpFirstRunLog(backupPath, secondPath)));
  EXPECT_EQ(Packages(), MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg"}));
  for (const std::u16string& path : {backupPath, secondPath}) {
    EXPECT_TRUE(DeleteFileW(std::wstring(path.begin(), path.end()).c_str()))
        << "the silent run saved its backups too";
  }

  Finished second = RunProgram(L" -UPDATE");
  EXPECT_EQ(second.exitCode, kExitNothingToChange);
  EXPECT_EQ(second.output, AsOutputLines(kXpSecondRunLog));
  EXPECT_FALSE(second.otherWindow);

  ValueBackup::Write(registry_, kLsaKey, kPackagesValue, kRegSz, SzBytes(u"kerberos"));
  Finished failed = RunProgram(L" /Update");
  EXPECT_EQ(failed.exitCode, kExitFailed);
  EXPECT_NE(failed.output.find("Security Packages is a REG_SZ value where REG_MULTI_SZ was "
                               "expected; it was left unchanged.\r\n"),
            std::string::npos);
  EXPECT_FALSE(failed.otherWindow);
}

TEST_F(SilentRun, BadArgumentsDoNothingAndShowNothing) {
  SeedXp();
  for (const wchar_t* arguments :
       {L" /bogus", L" /update extra", L" update", L" /update /?", L" /check extra",
        L" -check /undo", L" check", L" /undo extra"}) {
    SCOPED_TRACE(std::string(arguments, arguments + wcslen(arguments)));
    Finished finished = RunProgram(arguments);
    EXPECT_EQ(finished.exitCode, kExitInvalidArguments);
    EXPECT_EQ(finished.output, "");
    EXPECT_TRUE(finished.boxes.empty());
    EXPECT_FALSE(finished.otherWindow);
    EXPECT_EQ(Packages(), XpPackagesBytes());
  }
}

TEST_F(SilentRun, TheUsageIsShownInAMessageBox) {
  SeedXp();
  Finished finished = RunProgram(L" /?");
  EXPECT_EQ(finished.exitCode, 0u);
  ASSERT_EQ(finished.boxes.size(), 1u);
  EXPECT_EQ(finished.boxes[0].rfind(L"Usage: tarnwick.exe [/update | /check | /undo]", 0), 0u);
  EXPECT_FALSE(finished.otherWindow);
  EXPECT_EQ(Packages(), XpPackagesBytes());
}

// The machine's backup folder, emptied of backups before each test and after it, so that the
// newest backup is the one the test made.
class SilentUndo : public SilentRun {
 protected:
  explicit SilentUndo(bool clear = true) : clear_(clear) {
    if (clear_)
      Clear();
  }
  ~SilentUndo() override {
    if (clear_)
      Clear();
  }

  static std::wstring Folder() { return BackupFolder(); }
  // The files in the folder whose names start with `prefix`.
  static std::vector<std::wstring> Files(const std::wstring& prefix) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((Folder() + L"\\" + prefix + L"*.reg").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
      return files;
    do {
      files.push_back(Folder() + L"\\" + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
  }
  static void Clear() { ResetTarnwickFolders(); }
  // A file where the folder `path` belongs, in place of whatever was there; the start of its log
  // line.
  static std::string PlantFile(const std::wstring& path) {
    std::filesystem::remove_all(path);
    std::ofstream(std::filesystem::path(path)) << "planted";
    return std::string(path.begin(), path.end()) +
           " is a file where a folder belongs, so it is not used";
  }

 private:
  bool clear_;
};

TEST_F(SilentUndo, CheckSaysWhetherTheUpdateWouldChangeAValueAndChangesNothing) {
  SeedXp();
  const Finished needed = RunProgram(L" /check");
  EXPECT_EQ(needed.exitCode, kExitWouldChange);
  EXPECT_NE(needed.output.find("\r\ntspkg is missing: the update would add it\r\nStep 1 Complete"),
            std::string::npos);
  EXPECT_NE(needed.output.find("\r\ncredssp.dll is missing: the update would add it\r\n"),
            std::string::npos);
  EXPECT_EQ(Packages(), XpPackagesBytes());
  EXPECT_EQ(Providers(), SzBytes(kXpProviders));
  EXPECT_TRUE(Files(L"").empty()) << "the check saves nothing";
  EXPECT_FALSE(needed.otherWindow);

  ASSERT_EQ(RunProgram(L" /update").exitCode, kExitRestartNeeded);
  const Finished fine = RunProgram(L" -CHECK");
  EXPECT_EQ(fine.exitCode, kExitNothingToChange);
  EXPECT_EQ(fine.output, AsOutputLines(kXpSecondRunLog)) << "the update's own log";

  ValueBackup::Write(registry_, kLsaKey, kPackagesValue, kRegSz, SzBytes(u"kerberos"));
  EXPECT_EQ(RunProgram(L" /check").exitCode, kExitFailed);
}

TEST_F(SilentUndo, UndoPutsBackWhatTheUpdateChangedByteForByteAndOnlyOnce) {
  const std::vector<std::vector<std::byte>> packages = {
      Utf16Bytes(std::u16string(u"kerberos\0\0pku2u\0\0\0", 19)), Utf16Bytes(u"kerberos")};
  const std::vector<std::vector<std::byte>> providers = {
      Utf16Bytes(std::u16string(u"x.dll\0old.dll\0", 14)), Utf16Bytes(u"a.dll")};
  // A file planted where either folder belongs is left, and never read as a backup: a folder of
  // a name nobody can have foreseen takes Tarnwick's place.
  const std::vector<std::wstring> planted = {CommonAppData() + L"\\Tarnwick",
                                             CommonAppData() + L"\\Tarnwick\\Backups"};
  for (std::size_t i = 0; i < packages.size(); ++i) {
    SCOPED_TRACE(i);
    Clear();
    ValueBackup::Write(registry_, kLsaKey, kPackagesValue, kRegMultiSz, packages[i]);
    ValueBackup::Write(registry_, kProvidersKey, kProvidersValue, kRegSz, providers[i]);
    if (i == 1) {
      ASSERT_EQ(RunProgram(L" /check").exitCode, kExitWouldChange);  // Tarnwick made, recorded
    }
    const std::string left = PlantFile(planted[i]);
    const Finished updated = RunProgram(L" /update");
    std::printf("%s", updated.output.c_str());
    ASSERT_EQ(updated.exitCode, kExitRestartNeeded);
    const std::wstring chosen = Folder().substr(0, Folder().size() - 8);
    EXPECT_EQ(updated.output.rfind(left + ": Tarnwick keeps its backups and its lock in " +
                                       std::string(chosen.begin(), chosen.end()) + " instead.\r\n",
                                   0),
              0u);
    EXPECT_EQ(chosen.rfind(CommonAppData() + L"\\Tarnwick-", 0), 0u);
    ASSERT_NE(Packages(), packages[i]);

    const Finished undone = RunProgram(L" /undo");
    EXPECT_EQ(undone.exitCode, kExitRestartNeeded);
    EXPECT_FALSE(undone.otherWindow);
    EXPECT_EQ(Packages(), packages[i]);
    EXPECT_EQ(Providers(), providers[i]);
    EXPECT_EQ(Files(L"before-undo-").size(), 2u) << "what the undo replaced is saved first";
    const std::wstring folder = Folder();
    EXPECT_NE(undone.output.find("\r\nBackup saved to: " +
                                 std::string(folder.begin(), folder.end()) + "\\before-undo-"),
              std::string::npos);
    EXPECT_EQ(undone.output.find("is not used"), std::string::npos) << "said once, when left";

    const Finished again = RunProgram(L" /undo");
    EXPECT_EQ(again.exitCode, kExitNothingToChange);
    EXPECT_EQ(Packages(), packages[i]);
  }
  Clear();
  const std::string left = PlantFile(planted[0]);
  const Finished none = RunProgram(L" /undo");
  EXPECT_EQ(none.exitCode, kExitNothingToChange);
  // Its lock needs a folder: one is made in Tarnwick's place, and holds no backup.
  const std::wstring chosen = Folder().substr(0, Folder().size() - 8);
  EXPECT_EQ(none.output, left + ": Tarnwick keeps its backups and its lock in " +
                             std::string(chosen.begin(), chosen.end()) +
                             " instead.\r\nNo backup of the update was found: there is nothing to "
                             "undo.\r\n");
}

// What ordinary processes do to new files in ProgramData: a scanner or backup agent opens each
// backup as it appears and keeps it open, sharing reading alone or everything, and anybody may
// give a backup a second name elsewhere. None of it keeps a value from being saved, written or
// put back.
TEST_F(SilentUndo, ReadersOfEachNewBackupAndASecondNameKeepNothingFromBeingDone) {
  for (const DWORD share :
       {DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
    SCOPED_TRACE(share);
    Clear();
    SeedXp();
    std::atomic<bool> stop = false;
    std::map<std::wstring, HANDLE> held;
    std::thread reader([&] {
      for (; !stop; Sleep(2)) {
        for (const std::wstring& file : Files(L"")) {
          HANDLE h = held.contains(file) ? INVALID_HANDLE_VALUE
                                         : CreateFileW(file.c_str(), GENERIC_READ, share, nullptr,
                                                       OPEN_EXISTING, 0, nullptr);
          if (h != INVALID_HANDLE_VALUE)
            held[file] = h;
        }
      }
    });
    const Finished updated = RunProgram(L" /update");
    const Finished undone = RunProgram(L" /undo");
    Sleep(200);  // for the reader to open the last one too
    stop = true;
    reader.join();
    EXPECT_EQ(held.size(), 4u) << "the reader held each backup from the moment it could";
    for (const auto& [file, h] : held)
      CloseHandle(h);
    EXPECT_EQ(updated.exitCode, kExitRestartNeeded) << updated.output;
    EXPECT_EQ(undone.exitCode, kExitRestartNeeded) << undone.output;
    EXPECT_EQ(Files(L"registry-").size(), 2u);
    EXPECT_EQ(Packages(), XpPackagesBytes());
    EXPECT_EQ(Providers(), SzBytes(kXpProviders));
  }
  Clear();
  SeedXp();
  ASSERT_EQ(RunProgram(L" /update").exitCode, kExitRestartNeeded);
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring elsewhere = std::wstring(temp) + L"tarnwick-second-name.reg";
  std::vector<std::wstring> made = Files(L"registry-");
  std::sort(made.begin(), made.end());
  ASSERT_TRUE(CreateHardLinkW(elsewhere.c_str(), made.back().c_str(), nullptr));
  const Finished undone = RunProgram(L" /undo");
  DeleteFileW(elsewhere.c_str());
  EXPECT_EQ(undone.exitCode, kExitRestartNeeded) << undone.output;
  EXPECT_EQ(Packages(), XpPackagesBytes());
}

// Each script of deploy/, run by cmd beside a copy of the program, named as a user would
// (tarnwick.exe) or as the release names it, passes its exit code on and leaves the program's
// log in %TEMP%. With no program beside it, or none that starts, it says so and ends with 1603.
TEST_F(SilentUndo, TheDeployScriptsRunWhatTheReleaseShipsAndPassTheExitCodeOn) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"tarnwick-deploy";
  CreateDirectoryW(folder.c_str(), nullptr);
  const wchar_t* const scripts[] = {L"detect", L"remediate", L"rollback"};
  for (const wchar_t* script : scripts)
    ASSERT_TRUE(
        CopyFileW((PathFromEnvironment(L"TARNWICK_DEPLOY") + L"\\" + script + L".cmd").c_str(),
                  (folder + L"\\" + script + L".cmd").c_str(), FALSE));
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  auto runScript = [&](const wchar_t* script) {
    const std::wstring command =
        L"\"" + std::wstring(system) + L"\\cmd.exe\" /c \"" + folder + L"\\" + script + L".cmd\"";
    Finished finished = RunCommand(command);
    // Wine's cmd now and then fails to start a program that it started a moment before, and
    // says "Can't recognize" (seen under Wine 8.0 on a loaded machine); then it is tried once more.
    if (finished.output.find("Can't recognize") != std::string::npos)
      finished = RunCommand(command);
    return finished;
  };
  // The release's file for this Windows first: x86_64 on 64-bit Windows.
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  const std::wstring release = PathFromEnvironment(L"TARNWICK_RELEASE");
  const std::wstring x86 = release + L"-x86.exe";
  const std::wstring own = sizeof(void*) == 8 || wow64 ? release + L"-x86_64.exe" : x86;
  const std::wstring other = own == x86 ? release + L"-x86_64.exe" : x86;
  // The program under `program` (none when empty) and a file that is no program under `others`.
  auto place = [&](const std::wstring& program, std::vector<std::wstring> others) {
    for (const std::wstring& name : {std::wstring(L"tarnwick.exe"), own, other})
      DeleteFileW((folder + L"\\" + name).c_str());
    if (!program.empty()) {
      ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), (folder + L"\\" + program).c_str(), FALSE));
    }
    for (const std::wstring& name : others)
      std::ofstream(std::filesystem::path(folder + L"\\" + name)) << "not a program\r\n";
  };

  const struct {
    const wchar_t* script;
    const wchar_t* log;
    DWORD exitCode;
  } runs[] = {
      {L"detect", L"check", 1},        {L"remediate", L"update", 3010}, {L"detect", L"check", 0},
      {L"remediate", L"update", 0},    {L"rollback", L"undo", 3010},    {L"rollback", L"undo", 0},
      {L"remediate", L"update", 3010}, {nullptr, nullptr, 0},           {L"detect", L"check", 1603},
      {L"remediate", L"update", 1603}, {L"rollback", L"undo", 1603}};
  const struct {
    const char* label;
    std::wstring program;
    std::vector<std::wstring> others;
  } layouts[] = {{"tarnwick.exe, before the release's files", L"tarnwick.exe", {own, other}},
                 {"the release's file for this Windows", own, {other}}};
  for (const auto& layout : layouts) {
    SCOPED_TRACE(layout.label);
    place(layout.program, layout.others);
    Clear();
    SeedXp();
    for (const auto& run : runs) {
      if (run.script == nullptr) {  // a value of the wrong type, then the same one changed
        ValueBackup::Write(registry_, kLsaKey, kPackagesValue, kRegSz, SzBytes(u"kerberos"));
        continue;
      }
      SCOPED_TRACE(std::string(run.script, run.script + wcslen(run.script)));
      const std::wstring log = std::wstring(temp) + L"tarnwick-" + run.log + L".log";
      DeleteFileW(log.c_str());
      const Finished finished = runScript(run.script);
      EXPECT_EQ(finished.exitCode, run.exitCode) << finished.output;
      EXPECT_FALSE(finished.otherWindow);
      WIN32_FILE_ATTRIBUTE_DATA written{};
      EXPECT_TRUE(GetFileAttributesExW(log.c_str(), GetFileExInfoStandard, &written));
      EXPECT_GT(written.nFileSizeLow, 0u) << "the log is in %TEMP%";
      DeleteFileW(log.c_str());
    }
  }
  // Only the x86 file, which runs on every Windows: the scripts run it on 64-bit Windows too.
  place(x86, {});
  SeedXp();
  EXPECT_EQ(runScript(L"detect").exitCode, kExitWouldChange);

  const std::string folderText(folder.begin(), folder.end());
  for (const bool planted : {false, true}) {
    SCOPED_TRACE(planted ? "a file that is no program" : "no program");
    place(L"", planted ? std::vector<std::wstring>{own} : std::vector<std::wstring>{});
    for (const wchar_t* script : scripts) {
      SCOPED_TRACE(std::string(script, script + wcslen(script)));
      const Finished finished = runScript(script);
      EXPECT_EQ(finished.exitCode, kExitFailed);
      if (planted) {
        EXPECT_NE(finished.output.find(" did not run to its end: \"" + folderText + "\\" +
                                       std::string(own.begin(), own.end()) +
                                       "\" could not be started or stopped abnormally"),
                  std::string::npos)
            << finished.output;
      } else {
        EXPECT_EQ(finished.output.rfind("Tarnwick /", 0), 0u) << finished.output;
        EXPECT_NE(finished.output.find(" was not run: there is no tarnwick.exe or "),
                  std::string::npos);
        EXPECT_EQ(finished.output.find("\r\n"), finished.output.size() - 2) << "one line";
      }
    }
  }
  place(L"", {});
  for (const wchar_t* script : scripts)
    DeleteFileW((folder + L"\\" + script + L".cmd").c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST_F(SilentUndo, UndoKeepsAValueChangedSinceTheBackup) {
  SeedXp();
  ASSERT_EQ(RunProgram(L" /update").exitCode, kExitRestartNeeded);
  const auto changed =
      MultiSzBytes({u"kerberos", u"msv1_0", u"schannel", u"wdigest", u"tspkg", u"pku2u"});
  ValueBackup::Write(registry_, kLsaKey, kPackagesValue, kRegMultiSz, changed);
  const Finished undone = RunProgram(L" /undo");
  EXPECT_EQ(undone.exitCode, kExitFailed);
  EXPECT_NE(undone.output.find("Security Packages has changed since the backup was saved; it "
                               "was left as it is, to keep that change.\r\n"),
            std::string::npos);
  EXPECT_EQ(Packages(), changed);
  EXPECT_EQ(Providers(), SzBytes(kXpProviders));
}

TEST_F(SilentUndo, UndoRefusesABackupWithAPlantedKeyWhole) {
  SeedXp();
  ASSERT_EQ(RunProgram(L" /update").exitCode, kExitRestartNeeded);
  const auto updated = Packages();
  const std::vector<std::wstring> made = Files(L"registry-");
  ASSERT_EQ(made.size(), 2u) << "a file for each value";
  std::string contents;
  {
    std::ifstream file(std::filesystem::path(made[0]), std::ios::binary);
    contents.assign(std::istreambuf_iterator<char>(file), {});
  }
  const std::u16string planted =
      u"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwick Planted]\r\n\"x\"=hex(1):31,00,00,00\r\n";
  for (char16_t c : planted)
    contents += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  const std::wstring newer = Folder() + L"\\registry-000099-2099-12-31_235959.reg";
  { std::ofstream(std::filesystem::path(newer), std::ios::binary) << contents; }

  const Finished undone = RunProgram(L" /undo");
  EXPECT_EQ(undone.exitCode, kExitFailed);
  EXPECT_EQ(undone.output, "Reading Backup From: " + std::string(newer.begin(), newer.end()) +
                               "\r\nThe backup " + std::string(newer.begin(), newer.end()) +
                               " is not a registry file as Tarnwick saves it, or it names other "
                               "values than the two that the update changes. Nothing was "
                               "restored.\r\n");
  EXPECT_EQ(Packages(), updated) << "nothing was written";
  RegKey key = kNoKey;
  EXPECT_NE(
      registry_.OpenKey(kHkeyLocalMachine, u"SOFTWARE\\Tarnwick Planted", 0, kKeyAccessMask, key),
      kErrorSuccess);
}

TEST_F(SilentUndo, UndoPutsBackWhatEachOfTwoRunsChanged) {
  SeedXp();
  ValueBackup::Write(registry_, kProvidersKey, kProvidersValue, kRegExpandSz,
                     SzBytes(kXpProviders));
  ASSERT_EQ(RunProgram(L" /update").exitCode, kExitFailed) << "the list is written, the text not";
  ValueBackup::Write(registry_, kProvidersKey, kProvidersValue, kRegSz, SzBytes(kXpProviders));
  ASSERT_EQ(RunProgram(L" /update").exitCode, kExitRestartNeeded);
  ASSERT_EQ(Files(L"registry-").size(), 2u);

  const Finished undone = RunProgram(L" /undo");
  std::printf("%s", undone.output.c_str());
  EXPECT_EQ(undone.exitCode, kExitRestartNeeded);
  EXPECT_EQ(Packages(), XpPackagesBytes());
  EXPECT_EQ(Providers(), SzBytes(kXpProviders));
}

// Run by the clock_goes_back test in two programs: step 1 updates and undoes, then step 2,
// started with its local time three hours earlier, updates and undoes again, among the backups
// that step 1 left.
class ClockGoesBack : public SilentUndo {
 protected:
  ClockGoesBack() : SilentUndo(false) {}
  void SetUp() override {
    wchar_t step[8] = {};
    if (GetEnvironmentVariableW(L"TARNWICK_CLOCK_STEP", step, 8) == 0)
      GTEST_SKIP() << "run by the clock_goes_back test";
    step_ = step[0] - L'0';
  }
  int step_ = 0;
};

TEST_F(ClockGoesBack, BackupsKeepTheOrderTheyWereMadeIn) {
  if (step_ == 1)
    Clear();
  SeedXp();
  ASSERT_EQ(RunProgram(L" /update").exitCode, kExitRestartNeeded);
  const Finished undone = RunProgram(L" /undo");
  EXPECT_EQ(undone.exitCode, kExitRestartNeeded) << undone.output;
  EXPECT_EQ(Packages(), XpPackagesBytes());
  std::vector<std::wstring> made = Files(L"");
  std::sort(made.begin(), made.end());
  for (const std::wstring& file : made)
    std::printf("%ls\n", file.substr(file.rfind(L'\\') + 1).c_str());
  EXPECT_EQ(made.size(), 4u * static_cast<std::size_t>(step_))
      << "a file for each value, each time";
  if (step_ == 2)
    Clear();
}

TEST_F(SilentUndo, ASwitchThatCannotHaveTheLockForAMinuteEndsWith1618) {
  SeedXp();
  const auto functions = win32::RunTimeFunctions::OfThisWindows();
  win32::Win32SystemInfo system(functions);
  win32::Win32BackupFolderOps ops(system, functions);
  RunLock other(ops);
  ASSERT_TRUE(other.Acquire(0).ok());
  const DWORD start = GetTickCount();
  auto check = std::async(std::launch::async, [] { return RunProgram(L" /check"); });
  const Finished updated = RunProgram(L" /update");
  for (const Finished& waited : {updated, check.get()}) {
    EXPECT_EQ(waited.exitCode, kExitBusy);
    EXPECT_EQ(waited.output,
              "Another Tarnwick run is in progress, so nothing was done. Try again "
              "when it has finished.\r\n");
  }
  EXPECT_GE(GetTickCount() - start, 59000u) << "each waited for the other run";
  EXPECT_EQ(Packages(), XpPackagesBytes());
  other.Release();
  // The name the lock once had, taken by an object of another kind, holds nothing off.
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, L"Global\\Tarnwick.Run");
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(RunProgram(L" /check").exitCode, kExitWouldChange) << "free again";
  EXPECT_EQ(RunProgram(L" /update").exitCode, kExitRestartNeeded);
  CloseHandle(event);
}

BOOL WINAPI LetSignalPass(DWORD) {
  return TRUE;
}

// Started without standard handles, a switch writes to this process's console and gets its
// signals. Ctrl+C there while it waits for the lock, which Windows' own handler answers by
// ending the process, leaves the run to finish with its own exit code. (Wine generates no
// Ctrl+Break.)
TEST_F(SilentRun, CtrlCOnItsConsoleDoesNotCutARunShort) {
  SeedXp();
  // A console of its own: the one Wine gives a program started from a pipe takes no signals.
  // It stays, as a command prompt's would: under Wine, the later tests that start the program
  // through cmd fail once this process has no console at all.
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  // This process lets them pass; ignoring them outright would be inherited.
  SetConsoleCtrlHandler(LetSignalPass, TRUE);
  const auto functions = win32::RunTimeFunctions::OfThisWindows();
  win32::Win32SystemInfo system(functions);
  win32::Win32BackupFolderOps ops(system, functions);
  RunLock other(ops);
  ASSERT_TRUE(other.Acquire(0).ok());
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  std::wstring command = L"\"" + ProgramPath() + L"\" /check";
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  bool attached = false;
  for (int waited = 0; waited < 10000 && !attached; waited += 50) {
    Sleep(50);
    DWORD ids[64] = {};
    DWORD* end = ids + std::min<DWORD>(GetConsoleProcessList(ids, 64), 64);
    attached = std::find(ids, end, process.dwProcessId) != end;
  }
  EXPECT_TRUE(attached) << "the run is on this console";
  Sleep(500);  // past the few instructions between attaching and taking the signals
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    Sleep(200);
  }
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  other.Release();
  DWORD code = 0;
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
  GetExitCodeProcess(process.hProcess, &code);
  EXPECT_EQ(code, kExitWouldChange);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace
}  // namespace tarnwick::testing
