// The main window's event handlers, apart from the window system: each handler does its
// work through the view and the services it was given. A failure in a handler other than the
// download buttons' passes to the caller as an exception.
#pragma once

#include <string_view>

#include "app/activity_log.h"
#include "app/form1_layout.h"
#include "app/form1_view.h"
#include "app/url_opener.h"
#include "backup/backup_files.h"
#include "backup/run_lock.h"
#include "platform/registry_ops.h"
#include "platform/system_info.h"
#include "version/version_info.h"

namespace tarnwick {

struct Form1Services {
  RegistryOps& registry;
  BackupFiles& backups;
  SystemInfoApi& system;
  VersionInfoApi& versions;
  UrlOpener& urls;
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

  const ActivityLog& Log() const { return log_; }

 private:
  void ShowRDPVersion();
  void OpenDownload(std::u16string_view url);

  Form1View& view_;
  Form1Services services_;
  ActivityLog log_;
};

}  // namespace tarnwick
