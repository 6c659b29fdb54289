#include "app/win32/open_as_user.h"

#include <exdisp.h>
#include <objbase.h>
#include <oleauto.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"

namespace tarnwick::win32 {

// COM on the calling thread, for the shell's calls: ole32 and oleaut32 loaded from the system
// directory, and the thread in a single-threaded apartment without OLE1 DDE, as the shell asks,
// until the object goes.
class ComApartment {
 public:
  ComApartment(SystemInfoApi& system, const RunTimeFunctions& functions)
      : ole32(system, functions), oleaut32(system, functions) {
    if (!ole32.AllFound() || !oleaut32.AllFound())
      return;
    // S_FALSE: the thread was in an apartment of this kind already; it still needs its
    // CoUninitialize. RPC_E_CHANGED_MODE (another kind) does not.
    entered =
        SUCCEEDED(ole32.CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  }
  ~ComApartment() {
    if (entered)
      ole32.CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  // Whether the thread is in an apartment; only then may the functions be called.
  bool entered = false;
  const SystemDll<Ole32Functions> ole32;
  const SystemDll<OleAut32Functions> oleaut32;
};

namespace {

// CLSID_ShellWindows and SID_STopLevelBrowser, here so that no GUID library is linked.
constexpr CLSID kShellWindows = {
    0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
constexpr GUID kTopLevelBrowser = {
    0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

template <typename T>
bool ReleaseObject(T* object) {
  object->Release();
  return true;
}

// A COM interface pointer, released when its owner goes.
template <typename T>
using ComPtr = UniqueAny<T*, ReleaseObject<T>>;

// The same object's interface U; empty when it has none.
template <typename U, typename T>
ComPtr<U> As(const ComPtr<T>& object) {
  ComPtr<U> other;
  if (object && FAILED(object.get()->QueryInterface(IID_PPV_ARGS(other.put()))))
    other.release();
  return other;
}

// A BSTR, freed when its owner goes.
using UniqueBstr = std::unique_ptr<OLECHAR, decltype(&::SysFreeString)>;

VARIANT Variant(VARTYPE type, LONG number = 0, BSTR text = nullptr) {
  VARIANT value{};
  value.vt = type;
  if (type == VT_I4)
    value.lVal = number;
  else if (type == VT_BSTR)
    value.bstrVal = text;
  return value;
}

// The desktop view's shell application, or empty.
ComPtr<IShellDispatch2> DesktopApplication(const ComApartment& com) {
  ComPtr<IShellWindows> windows;
  if (FAILED(com.ole32.CoCreateInstance(kShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                        IID_PPV_ARGS(windows.put()))))
    return {};
  VARIANT location = Variant(VT_I4, CSIDL_DESKTOP);
  VARIANT root = Variant(VT_EMPTY);
  long window = 0;
  ComPtr<IDispatch> desktop;
  if (windows.get()->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                  desktop.put()) != S_OK)
    return {};
  ComPtr<IServiceProvider> services = As<IServiceProvider>(desktop);
  ComPtr<IShellBrowser> browser;
  if (!services ||
      FAILED(services.get()->QueryService(kTopLevelBrowser, IID_PPV_ARGS(browser.put()))))
    return {};
  ComPtr<IShellView> view;
  if (!browser || FAILED(browser.get()->QueryActiveShellView(view.put())))
    return {};
  ComPtr<IDispatch> background;
  if (!view || FAILED(view.get()->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(background.put()))))
    return {};
  ComPtr<IShellFolderViewDual> folderView = As<IShellFolderViewDual>(background);
  ComPtr<IDispatch> application;
  if (!folderView || FAILED(folderView.get()->get_Application(application.put())))
    return {};
  return As<IShellDispatch2>(application);
}

}  // namespace

void OpenAsUser(ShellApi& shell, HWND owner, std::u16string_view url) {
  const std::wstring file = Wide(url);
  if (shell.RunsElevated() && shell.ExecuteOnDesktop(L"open", file.c_str()))
    return;
  shell.Execute(owner, L"open", file.c_str(), nullptr, nullptr, SW_SHOW);
}

Win32Shell::Win32Shell(SystemInfoApi& system, const RunTimeFunctions& functions)
    : system_(system), functions_(functions) {}
Win32Shell::~Win32Shell() = default;

const ComApartment& Win32Shell::Com() {
  if (com_ == nullptr)
    com_ = std::make_unique<ComApartment>(system_, functions_);
  return *com_;
}

HINSTANCE Win32Shell::Execute(HWND owner, const wchar_t* verb, const wchar_t* file,
                              const wchar_t* parameters, const wchar_t* directory,
                              int showCommand) {
  Com();  // ShellExecuteW may hand the request to a COM object
  if (!shell32_ || shell32_->ShellExecuteW == nullptr)
    shell32_.emplace(system_, functions_);
  if (shell32_->ShellExecuteW == nullptr)
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
  return shell32_->ShellExecuteW(owner, verb, file, parameters, directory, showCommand);
}

// The token's elevation (Vista and later); false where Windows has no such thing (XP) or the
// token cannot be read.
bool Win32Shell::RunsElevated() {
  UniqueToken token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()))
    return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return ::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
         elevation.TokenIsElevated != 0;
}

bool Win32Shell::ExecuteOnDesktop(const wchar_t* verb, const wchar_t* file) {
  const ComApartment& com = Com();
  if (!com.entered)
    return false;
  ComPtr<IShellDispatch2> shell = DesktopApplication(com);
  if (!shell)
    return false;
  const UniqueBstr fileText(com.oleaut32.SysAllocString(file), com.oleaut32.SysFreeString);
  const UniqueBstr verbText(com.oleaut32.SysAllocString(verb), com.oleaut32.SysFreeString);
  if (fileText.get() == nullptr || verbText.get() == nullptr)
    return false;
  const HRESULT result =
      shell.get()->ShellExecute(fileText.get(), Variant(VT_EMPTY), Variant(VT_EMPTY),
                                Variant(VT_BSTR, 0, verbText.get()), Variant(VT_I4, SW_SHOWNORMAL));
  // A shell that has the method without its work does not offer it.
  return result != E_NOTIMPL;
}

}  // namespace tarnwick::win32
