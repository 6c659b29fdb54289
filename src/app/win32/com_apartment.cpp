#include "app/win32/com_apartment.h"

#include <objbase.h>

#include "platform/win32/system_library.h"

namespace tarnwick::win32 {

ComApartment::ComApartment(SystemInfoApi& system)
    : ole32_(LoadSystemLibrary(system, u"ole32.dll")),
      oleaut32_(LoadSystemLibrary(system, u"oleaut32.dll")) {
  using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
  auto initialize = ole32_.Function<CoInitializeExFn>("CoInitializeEx");
  uninitialize_ = ole32_.Function<CoUninitializeFn>("CoUninitialize");
  createInstance_ = ole32_.Function<CoCreateInstanceFn>("CoCreateInstance");
  allocString_ = oleaut32_.Function<SysAllocStringFn>("SysAllocString");
  freeString_ = oleaut32_.Function<SysFreeStringFn>("SysFreeString");
  if (initialize == nullptr || uninitialize_ == nullptr || createInstance_ == nullptr ||
      allocString_ == nullptr || freeString_ == nullptr)
    return;
  // S_FALSE: the thread was in an apartment of this kind already; it still needs its
  // CoUninitialize. RPC_E_CHANGED_MODE (another kind) does not.
  entered_ = SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

ComApartment::~ComApartment() {
  if (entered_)
    uninitialize_();
}

HRESULT ComApartment::CreateInstance(REFCLSID type, DWORD context, REFIID kind,
                                     void** object) const {
  *object = nullptr;
  if (!entered_)
    return E_FAIL;
  return createInstance_(type, nullptr, context, kind, object);
}

BSTR ComApartment::AllocString(const wchar_t* text) const {
  return entered_ ? allocString_(text) : nullptr;
}

void ComApartment::FreeString(BSTR text) const {
  if (text != nullptr && freeString_ != nullptr)
    freeString_(text);
}

}  // namespace tarnwick::win32
