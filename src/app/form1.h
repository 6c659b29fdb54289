// The main window's event handlers, apart from the window system: each handler does its
// work through the view and the services it was given. A failure in a handler other than the
// download buttons' passes to the caller as an exception.
#pragma once

#include <string_view>

#include "app/form1_layout.h"
#include "backup/backup_files.h"
#include "backup/run_lock.h"
#include "log/activity_log.h"
#include "platform/registry_ops.h"
#include "platform/system_error.h"
#include "platform/system_info.h"
#include "version/rdp_version.h"
#include "version/version_info.h"

namespace tarnwick {

// What the handlers need from the window itself.
class Form1View : public VersionLabels {
 public:
  // Replaces the whole text of the log box.
  virtual void SetLogText(std::u16string_view text) = 0;
  // A modal message box with an OK button only and no icon; returns when it is dismissed.
  virtual void ShowNotice(std::u16string_view text, std::u16string_view title) = 0;
  // Opens a URL in the user's default handler. The outcome is the platform's business: the
  // program reports nothing about it.
  virtual void OpenUrl(std::u16string_view url) = 0;
  // Shows the window (not modal).
  virtual void Show() = 0;
  // Takes the window away and ends the program.
  virtual void Unload() = 0;
};

struct Form1Services {
  RegistryOps& registry;
  BackupFiles& backups;
  SystemInfoApi& system;
  VersionInfoApi& versions;
  RunLock& lock;
};

class Form1 {
 public:
  Form1(Form1View& view, Form1Services services) : view_(view), services_(services) {}

  // Reads the client version into the Step 1 labels, then shows the window.
  void Form_Load();
  void cmdRefreshVersion_Click();
  void cmdXP_Click();
  void cmdVista32_Click();
  void cmdVista64_Click();
  void cmdWindows7_Click();
  // Runs the registry update; the log box then shows the whole log, also when the update
  // fails part way. When another run holds the machine-wide lock, it says so at once and does
  // nothing: the window does not wait. When the lock cannot be had, it says why.
  void cmdGo_Click();
  void cmdClose_Click();

  // Runs the click handler of a control; controls without one are ignored.
  void Click(ControlId control);

 private:
  void ShowRDPVersion();
  void OpenDownload(std::u16string_view url);

  Form1View& view_;
  Form1Services services_;
  ActivityLog log_;
};

// The run-time error that the exception being handled ends the program with; call only inside
// a catch block. A SystemError is itself; running out of memory is error 7; anything else is a
// fault of the program's own, error 51, an internal error.
SystemError CurrentRunTimeError();

// The text of the message box that ends the program after a run-time error: its number as a
// signed 32-bit number, and its message (the number with "System error" when it has none).
std::u16string RunTimeErrorText(const SystemError& error);

}  // namespace tarnwick
