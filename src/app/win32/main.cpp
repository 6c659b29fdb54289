// The program: the main window over the real registry, system, version information, shell
// and message box.
#include <windows.h>

#include "app/app_messages.h"
#include "app/command_line.h"
#include "app/win32/console_log.h"
#include "app/win32/control_classes.h"
#include "app/win32/dpi.h"
#include "app/win32/form1_window.h"
#include "backup/win32/win32_backup_folder_ops.h"
#include "platform/win32/stack_guard.h"
#include "platform/win32/system_library.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "version/win32/win32_version_info.h"

#include <cstdlib>
#include <string>
#include <vector>

// A window program has no console for the C++ runtime's verbose terminate message, and its name
// demangler would be a tenth of the executable. Every handler already turns an escaping
// exception into a message box; anything past that ends the program plainly. The handler is
// GNU libstdc++'s own; other C++ runtimes have none to replace.
#if defined(__GLIBCXX__)
#include <bits/functexcept.h>

#include <new>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
  std::abort();
}
}  // namespace __gnu_cxx

// The same runtime raises the standard library's own failures through these functions. Its
// versions build std::logic_error and its kin from a message text, which brings in a second
// string implementation and the runtime's formatting: a quarter of the executable. Here a
// request too large for memory is running out of memory, and any other such failure is a fault
// of the program's own, which the window shows as an internal error. Should the program come
// to need one more of these functions, the runtime's whole set is linked again and the link
// fails on the ones defined twice.
namespace {
struct InternalError {};
}  // namespace

namespace std {
void __throw_bad_alloc() {
  throw std::bad_alloc();
}
void __throw_bad_array_new_length() {
  throw std::bad_array_new_length();
}
void __throw_length_error(const char*) {
  throw std::bad_alloc();
}
void __throw_logic_error(const char*) {
  throw InternalError();
}
void __throw_out_of_range_fmt(const char*, ...) {
  throw InternalError();
}
}  // namespace std
#endif

namespace {

// A switch's run without a window: its log goes to standard output, and its exit code says how
// it went.
int RunSilently(tarnwick::Invocation invocation, tarnwick::SilentServices services) {
  tarnwick::win32::ConsoleLog log;
  tarnwick::win32::FinishRunThroughConsoleSignals();
  try {
    return static_cast<int>(tarnwick::RunSwitch(invocation, services, log));
  } catch (...) {
    log.LogMessage(tarnwick::kUnexpectedErrorMessage);
    return static_cast<int>(tarnwick::kExitFailed);
  }
}

// The program, once the stack guard has its value.
[[gnu::noinline]] int Run(HINSTANCE instance, PWSTR commandLine,
                          const tarnwick::win32::RunTimeFunctions& functions) {
  using namespace tarnwick;
  win32::Win32SystemInfo system(functions);
  const std::vector<win32::UniqueModule> preloaded = win32::RestrictDllSearch(system, functions);

  const Invocation invocation =
      ParseCommandLine(win32::Utf16(commandLine != nullptr ? commandLine : L""));
  win32::Win32Registry registry;
  win32::Win32BackupFolderOps folderOps(system, functions);
  BackupFiles backups(folderOps);
  win32::Win32MessageBox messages;
  RunLock lock(folderOps);
  switch (invocation) {
    case Invocation::kInvalid:
      // Nobody may be there to answer a message box.
      return static_cast<int>(kExitInvalidArguments);
    case Invocation::kUpdate:
    case Invocation::kCheck:
    case Invocation::kUndo:
      return RunSilently(invocation, {registry, backups, system, lock});
    case Invocation::kUsage:
      win32::InitStandardControls();
      messages.Show(nullptr, win32::Wide(kUsage).c_str(), L"Tarnwick", MB_OK | MB_ICONINFORMATION);
      return 0;
    case Invocation::kWindow:
      break;
  }

  win32::EnableDpiAwareness(functions);
  win32::InitStandardControls();
  win32::Win32VersionInfo versions(system, functions);
  win32::Win32Shell shell(system, functions);
  win32::Form1Window window(instance, {registry, backups, system, versions, lock}, shell, messages,
                            functions);
  if (!window.Load())
    return kExitRunTimeError;
  return window.Run();
}

}  // namespace

// Seeds the stack guard before any function that checks it is entered, so it carries no guard
// itself, nor does the C runtime's start-up code below it; everything else runs in Run, which
// does. The run-time functions are looked up here, once, for everything that needs one.
[[gnu::no_stack_protector]] int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine,
                                                int) {
  tarnwick::win32::SeedStackGuard();
  const auto functions = tarnwick::win32::RunTimeFunctions::OfThisWindows();
  return Run(instance, commandLine, functions);
}
