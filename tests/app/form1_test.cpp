#include "app/form1.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/form1_texts.h"
#include "fake_backup_folder_ops.h"
#include "fake_system_info.h"
#include "fake_version_info.h"
#include "memory_registry.h"
#include "xp_sp3.h"

namespace tarnwick::testing {
namespace {

constexpr std::u16string_view kClient = u"C:\\Windows\\system32\\mstsc.exe";
constexpr std::u16string_view kRow2 =
    u"RDP Version 7.1 or higher - No need to install update. Proceed to step #3.";

// The window as the handlers see it: every call is recorded in order.
class FakeView final : public Form1View {
 public:
  std::u16string reported = u"?";
  std::u16string classification = u"?";
  std::u16string log;
  std::vector<std::u16string> events;

  void SetReportedVersion(std::u16string_view text) override {
    reported = text;
    events.push_back(u"reported " + reported);
  }
  std::u16string ReportedVersion() const override { return reported; }
  void SetClassification(std::u16string_view text) override {
    classification = text;
    events.push_back(u"classification");
  }
  void SetLogText(std::u16string_view text) override {
    log = text;
    events.push_back(u"log");
  }
  void ShowNotice(std::u16string_view text, std::u16string_view title) override {
    events.push_back(u"notice " + std::u16string(title) + u": " + std::u16string(text));
  }
  void Show() override { events.push_back(u"show"); }
  void Unload() override { events.push_back(u"unload"); }

  // The URLs opened, apart from the events; whether opening one fails.
  std::vector<std::u16string> opened;
  bool openingFails = false;
  void OpenUrl(std::u16string_view url) override {
    opened.emplace_back(url);
    if (openingFails)
      throw std::runtime_error("no handler");
  }
};

// Throws on the first write, after the update has logged its first lines.
class FailingWrites final : public RegistryOps {
 public:
  explicit FailingWrites(RegistryOps& inner) : inner_(inner) {}
  SystemError OpenKey(RegKey root, std::u16string_view path, std::uint32_t options,
                      std::uint32_t access, RegKey& key) override {
    return inner_.OpenKey(root, path, options, access, key);
  }
  SystemError CreateKey(RegKey root, std::u16string_view path, RegKey& key) override {
    return inner_.CreateKey(root, path, key);
  }
  SystemError QueryValue(RegKey key, std::u16string_view name, RegType& type, std::byte* data,
                         std::uint32_t& size) override {
    return inner_.QueryValue(key, name, type, data, size);
  }
  SystemError SetValue(RegKey, std::u16string_view, RegType, const std::byte*,
                       std::uint32_t) override {
    throw std::bad_alloc();
  }
  SystemError DeleteValue(RegKey key, std::u16string_view name) override {
    return inner_.DeleteValue(key, name);
  }
  SystemError DeleteKey(RegKey root, std::u16string_view path) override {
    return inner_.DeleteKey(root, path);
  }
  SystemError CloseKey(RegKey key) override { return inner_.CloseKey(key); }
  SystemError FlushKey(RegKey key) override { return inner_.FlushKey(key); }

 private:
  RegistryOps& inner_;
};

class Form1Handlers : public ::testing::Test {
 protected:
  Form1Handlers() {
    InstallClient(u"6.1.7601.17514");
    SeedXpSp3(registry_);
  }

  void InstallClient(std::u16string_view version) { versions_.SetFileVersion(kClient, version); }

  FakeView view_;
  MemoryRegistry registry_;
  FakeBackupFolderOps backupOps_;
  BackupFiles backups_{backupOps_};
  FakeSystemInfo system_;
  FakeVersionInfo versions_;
  RunLock lock_{backupOps_};
  Form1 form_{view_, {registry_, backups_, system_, versions_, lock_}};
};

TEST_F(Form1Handlers, LoadFillsBothStep1LabelsBeforeShowingTheWindow) {
  form_.Form_Load();
  EXPECT_EQ(view_.events,
            (std::vector<std::u16string>{u"reported 6.1.7601.17514", u"classification", u"show"}));
  EXPECT_EQ(view_.classification, kRow2);
  EXPECT_EQ(view_.log, u"");
}

TEST_F(Form1Handlers, AFailingUpdateStillShowsWhatItLoggedAndPassesTheErrorOn) {
  FailingWrites failing(registry_);
  Form1 form(view_, {failing, backups_, system_, versions_, lock_});
  EXPECT_THROW(form.cmdGo_Click(), std::bad_alloc);
  EXPECT_EQ(view_.log,
            u"\r\nReading Value From: SYSTEM\\CurrentControlSet\\Control\\Lsa\\Security Packages"
            u"\r\nCurrent Value: kerberos msv1_0 schannel wdigest "
            u"\r\nAdding Value tspkg to registry key."
            u"\r\nBackup saved to: " +
                FakeBackupFolderOps::BackupPath(u"registry-000001"));
}

TEST_F(Form1Handlers, TheUpdateIsToldWhichWindowsRunsIt) {
  system_.windows = {10, 0, 26100};
  registry_.Seed(kHkeyLocalMachine, kLsaKey, kPackagesValue, kRegMultiSz, MultiSzBytes({u"\"\""}));
  form_.cmdGo_Click();
  EXPECT_NE(view_.log.find(u"\r\nWindows 10.0.26100 has tspkg built in\r\n"), std::u16string::npos);
  EXPECT_EQ(registry_.Find(kHkeyLocalMachine, kLsaKey, kPackagesValue)->bytes,
            MultiSzBytes({u"\"\""}));
}

TEST_F(Form1Handlers, WhileAnotherRunHoldsTheLockTheButtonSaysSoAtOnceAndDoesNothing) {
  backupOps_.HoldLockElsewhere();
  form_.cmdGo_Click();
  EXPECT_EQ(view_.log,
            u"\r\nAnother Tarnwick run is in progress, so nothing was done. Try again "
            u"when it has finished.");
  EXPECT_EQ(registry_.Find(kHkeyLocalMachine, kLsaKey, kPackagesValue)->bytes, XpPackagesBytes());
  backupOps_.HoldLockElsewhere(false);
  form_.cmdGo_Click();
  EXPECT_TRUE(backupOps_.pauses.empty()) << "the window never waits";
  EXPECT_EQ(backupOps_.open, 0) << "given back after the run";
  EXPECT_NE(registry_.Find(kHkeyLocalMachine, kLsaKey, kPackagesValue)->bytes, XpPackagesBytes());
}

TEST_F(Form1Handlers, AFailingDownloadIsIgnored) {
  view_.openingFails = true;
  EXPECT_NO_THROW(form_.Click(ControlId::cmdVista64));
  EXPECT_NO_THROW(form_.Click(ControlId::cmdVista64));
  EXPECT_EQ(view_.opened.size(), 2u);
  EXPECT_TRUE(view_.events.empty());
}

TEST_F(Form1Handlers, CloseUnloadsAndControlsWithoutAHandlerDoNothing) {
  for (const ControlEntry& entry : kForm1Controls) {
    if (entry.kind != ControlKind::kButton)
      form_.Click(entry.id);
  }
  EXPECT_TRUE(view_.events.empty());
  form_.Click(ControlId::cmdClose);
  EXPECT_EQ(view_.events, (std::vector<std::u16string>{u"unload"}));
  EXPECT_EQ(registry_.SetValueCalls(), 0);
}

SystemError Describe(const std::function<void()>& raise) {
  try {
    raise();
  } catch (...) {
    return CurrentRunTimeError();
  }
  ADD_FAILURE() << "nothing was raised";
  return {};
}

TEST(RunTimeError, EveryExceptionBecomesANumberAndAMessage) {
  struct Case {
    std::function<void()> raise;
    std::uint32_t number;
    std::u16string message;
  };
  const Case cases[] = {
      {[] { throw SystemError(5, u"Access is denied."); }, 5, u"Access is denied."},
      {[] { throw std::bad_alloc(); }, 7, u"Out of memory"},
      {[] { throw std::length_error("basic_string::append"); }, 51, u"Internal error"},
      {[] { throw std::runtime_error(""); }, 51, u"Internal error"},
      {[] { throw 42; }, 51, u"Internal error"},
  };
  for (const Case& c : cases) {
    const SystemError error = Describe(c.raise);
    EXPECT_EQ(error.code, c.number);
    EXPECT_EQ(error.text, c.message);
  }
}

TEST(RunTimeError, MessageBoxTextShowsNumberAndMessage) {
  EXPECT_EQ(RunTimeErrorText({7, u"Out of memory"}), u"Run-time error '7':\r\n\r\nOut of memory");
  EXPECT_EQ(RunTimeErrorText({0x80070005, u"x"}), u"Run-time error '-2147024891':\r\n\r\nx");
  EXPECT_EQ(RunTimeErrorText({1400}), u"Run-time error '1400':\r\n\r\nSystem error 1400");
}

}  // namespace
}  // namespace tarnwick::testing
