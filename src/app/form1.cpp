#include "app/form1.h"

#include <new>
#include <string>

#include "app/form1_texts.h"
#include "backup/backup_messages.h"
#include "update/update_and_check.h"
#include "update/update_messages.h"

namespace tarnwick {

void Form1::Form_Load() {
  ShowRDPVersion();
  view_.Show();
}

void Form1::cmdRefreshVersion_Click() {
  ShowRDPVersion();
}

void Form1::cmdXP_Click() {
  OpenDownload(kXpDownloadUrl);
}

void Form1::cmdVista32_Click() {
  OpenDownload(kVista32DownloadUrl);
}

void Form1::cmdVista64_Click() {
  OpenDownload(kVista64DownloadUrl);
}

void Form1::cmdWindows7_Click() {
  view_.ShowNotice(kWindows7Notice, kAppTitle);
}

void Form1::cmdGo_Click() {
  try {
    const HeldRunLock run(services_.lock, 0);
    for (const std::u16string& line : LockMessages(run.result()))
      log_.LogMessage(line);
    if (run.held())
      UpdateAuthProtocols(services_.registry, services_.backups, services_.system, log_);
  } catch (...) {
    // What was logged before the failure stays visible.
    view_.SetLogText(log_.Text());
    throw;
  }
  view_.SetLogText(log_.Text());
}

void Form1::cmdClose_Click() {
  view_.Unload();
}

void Form1::Click(ControlId control) {
  switch (control) {
    case ControlId::cmdRefreshVersion:
      return cmdRefreshVersion_Click();
    case ControlId::cmdXP:
      return cmdXP_Click();
    case ControlId::cmdVista32:
      return cmdVista32_Click();
    case ControlId::cmdVista64:
      return cmdVista64_Click();
    case ControlId::cmdWindows7:
      return cmdWindows7_Click();
    case ControlId::cmdGo:
      return cmdGo_Click();
    case ControlId::cmdClose:
      return cmdClose_Click();
    default:
      return;
  }
}

void Form1::ShowRDPVersion() {
  tarnwick::ShowRDPVersion(services_.system, services_.versions, view_);
}

void Form1::OpenDownload(std::u16string_view url) {
  // Whatever happens on the way to the user's default handler, the program carries on and
  // says nothing.
  try {
    view_.OpenUrl(url);
  } catch (...) {
  }
}

SystemError CurrentRunTimeError() {
  try {
    throw;
  } catch (const SystemError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return {7, u"Out of memory"};
  } catch (...) {
    return {51, u"Internal error"};
  }
}

std::u16string RunTimeErrorText(const SystemError& error) {
  const std::string number = std::to_string(static_cast<std::int32_t>(error.code));
  return u"Run-time error '" + std::u16string(number.begin(), number.end()) + u"':\r\n\r\n" +
         (error.text.empty() ? u"System " + ErrorText(error) : error.text);
}

}  // namespace tarnwick
