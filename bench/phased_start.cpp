// Tarnwick's window start-up as tarnwick.exe's wWinMain runs it (less the stack guard's seed and
// the command line, which take no time worth the name), over the same services, with a time
// stamp at the edge of each phase (phase_stamp.h). Built with the program's icon and manifest;
// phase_probe starts it, turns the stamps into durations and ends it once the window shows.
// Started with --preload, it keeps the DLL search as a Windows without SetDefaultDllDirectories
// has to (XP, Vista and 7 without KB2533623), by loading the DLLs ahead.
//
// The stamps sit on the window's service boundaries, so that the program's own code is the
// shipped code: the window's resolution is asked for as soon as the frame exists, and the
// version information tells when the check starts (everything else is then in place) and when
// its last query returns.
#include <windows.h>

#include <optional>
#include <string_view>
#include <vector>

#include "app/win32/control_classes.h"
#include "app/win32/dpi.h"
#include "app/win32/form1_window.h"
#include "backup/win32/win32_backup_folder_ops.h"
#include "phase_stamp.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_info.h"
#include "version/win32/win32_version_info.h"

namespace {

using tarnwick::bench::Stamp;
using tarnwick::win32::RunTimeFunctions;

UINT WINAPI StampedDpiForWindow(HWND window) {
  Stamp("window");
  return RunTimeFunctions::OfThisWindows().GetDpiForWindow(window);
}

// This Windows' resolution functions, the window's resolution stamped on its way through.
RunTimeFunctions StampedDpiFunctions(RunTimeFunctions functions) {
  if (functions.GetDpiForWindow != nullptr)
    functions.GetDpiForWindow = StampedDpiForWindow;
  return functions;
}

// The real version information, stamped at the check's first query and after each query.
// Once the check has started, the window is about to show: it watches for that from then on.
class StampedVersions final : public tarnwick::VersionInfoApi {
 public:
  explicit StampedVersions(tarnwick::VersionInfoApi& inner) : inner_(inner) {}

  std::uint32_t GetFileVersionInfoSize(std::u16string_view path) override {
    Stamp("laid-out");
    if (!showing_)
      showing_.emplace();
    const std::uint32_t size = inner_.GetFileVersionInfoSize(path);
    Stamp("read");
    return size;
  }
  bool GetFileVersionInfo(std::u16string_view path, std::span<std::byte> block) override {
    const bool read = inner_.GetFileVersionInfo(path, block);
    Stamp("read");
    return read;
  }
  std::optional<std::span<const std::byte>> VerQueryValue(std::span<const std::byte> block,
                                                          std::u16string_view subBlock) override {
    auto value = inner_.VerQueryValue(block, subBlock);
    Stamp("read");
    return value;
  }

 private:
  tarnwick::VersionInfoApi& inner_;
  std::optional<tarnwick::bench::ShowingStamp> showing_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  using namespace tarnwick;
  Stamp("main");
  const RunTimeFunctions functions = RunTimeFunctions::OfThisWindows();
  win32::Win32SystemInfo system(functions);
  const bool preload = commandLine != nullptr && std::wstring_view(commandLine) == L"--preload";
  const std::vector<win32::UniqueModule> preloaded =
      preload ? win32::RestrictDllSearchByPreloading(system, functions)
              : win32::RestrictDllSearch(system, functions);
  Stamp("dlls");
  win32::Win32Registry registry;
  win32::Win32BackupFolderOps folderOps(system, functions);
  BackupFiles backups(folderOps);
  win32::Win32MessageBox messages;
  RunLock lock(folderOps);
  win32::EnableDpiAwareness(functions);
  Stamp("awareness");
  win32::InitStandardControls();
  Stamp("controls");
  win32::Win32VersionInfo versions(system, functions);
  StampedVersions stamped(versions);
  win32::Win32Shell shell(system, functions);
  const RunTimeFunctions stampedDpi = StampedDpiFunctions(functions);
  Stamp("services");
  win32::Form1Window window(instance, {registry, backups, system, stamped, lock}, shell, messages,
                            stampedDpi);
  if (!window.Load())
    return kExitRunTimeError;
  Stamp("shown");
  return window.Run();
}
