#include "app/win32/open_as_user.h"

#include <windows.h>

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "app/win32/com_ptr.h"

namespace tarnwick::win32 {
namespace {

// CLSID_ShellWindows and SID_STopLevelBrowser, here so that no GUID library is linked.
constexpr CLSID kShellWindows = {
    0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
constexpr GUID kTopLevelBrowser = {
    0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

VARIANT Empty() {
  VARIANT value{};
  value.vt = VT_EMPTY;
  return value;
}

VARIANT Int(LONG number) {
  VARIANT value{};
  value.vt = VT_I4;
  value.lVal = number;
  return value;
}

VARIANT Text(const UniqueBstr& text) {
  VARIANT value{};
  value.vt = VT_BSTR;
  value.bstrVal = text.get();
  return value;
}

// The desktop view's shell application, or empty.
ComPtr<IShellDispatch2> DesktopApplication(const ComApartment& com) {
  ComPtr<IShellWindows> windows;
  if (FAILED(com.CreateInstance(kShellWindows, CLSCTX_LOCAL_SERVER, __uuidof(IShellWindows),
                                windows.put_void())))
    return {};
  VARIANT location = Int(CSIDL_DESKTOP);
  VARIANT root = Empty();
  long window = 0;
  ComPtr<IDispatch> desktop;
  if (windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                            desktop.put()) != S_OK ||
      !desktop)
    return {};
  ComPtr<IServiceProvider> services = desktop.As<IServiceProvider>();
  ComPtr<IShellBrowser> browser;
  if (!services ||
      FAILED(
          services->QueryService(kTopLevelBrowser, __uuidof(IShellBrowser), browser.put_void())) ||
      !browser)
    return {};
  ComPtr<IShellView> view;
  if (FAILED(browser->QueryActiveShellView(view.put())) || !view)
    return {};
  ComPtr<IDispatch> background;
  if (FAILED(view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), background.put_void())) ||
      !background)
    return {};
  ComPtr<IShellFolderViewDual> folderView = background.As<IShellFolderViewDual>();
  ComPtr<IDispatch> application;
  if (!folderView || FAILED(folderView->get_Application(application.put())) || !application)
    return {};
  return application.As<IShellDispatch2>();
}

}  // namespace

bool ExecuteOnDesktop(const ComApartment& com, const wchar_t* verb, const wchar_t* file) {
  if (!com.Entered())
    return false;
  ComPtr<IShellDispatch2> shell = DesktopApplication(com);
  if (!shell)
    return false;
  UniqueBstr fileText(com, file);
  UniqueBstr verbText(com, verb);
  if (fileText.get() == nullptr || verbText.get() == nullptr)
    return false;
  const HRESULT result =
      shell->ShellExecute(fileText.get(), Empty(), Empty(), Text(verbText), Int(SW_SHOWNORMAL));
  // A shell that has the method without its work does not offer it.
  return result != E_NOTIMPL;
}

}  // namespace tarnwick::win32
