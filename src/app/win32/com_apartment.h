// COM on the calling thread, for the shell's calls: ole32 and oleaut32 loaded from the system
// directory, and the thread in a single-threaded apartment without OLE1 DDE, as the shell asks,
// until the object goes.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include "platform/system_info.h"
#include "platform/win32/unique_module.h"

namespace tarnwick::win32 {

class ComApartment {
 public:
  explicit ComApartment(SystemInfoApi& system);
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  // Whether the thread is in an apartment; when not, no object can be made.
  bool Entered() const { return entered_; }

  // As CoCreateInstance; E_FAIL when COM is not there.
  HRESULT CreateInstance(REFCLSID type, DWORD context, REFIID kind, void** object) const;
  // As SysAllocString and SysFreeString.
  BSTR AllocString(const wchar_t* text) const;
  void FreeString(BSTR text) const;

 private:
  using CoUninitializeFn = void(WINAPI*)();
  using CoCreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, void**);
  using SysAllocStringFn = BSTR(WINAPI*)(const OLECHAR*);
  using SysFreeStringFn = void(WINAPI*)(BSTR);

  UniqueModule ole32_;
  UniqueModule oleaut32_;
  CoUninitializeFn uninitialize_ = nullptr;
  CoCreateInstanceFn createInstance_ = nullptr;
  SysAllocStringFn allocString_ = nullptr;
  SysFreeStringFn freeString_ = nullptr;
  bool entered_ = false;
};

// A BSTR, freed when its owner goes.
class UniqueBstr {
 public:
  UniqueBstr(const ComApartment& com, const wchar_t* text)
      : com_(com), text_(com.AllocString(text)) {}
  ~UniqueBstr() { com_.FreeString(text_); }
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;

  BSTR get() const { return text_; }

 private:
  const ComApartment& com_;
  BSTR text_;
};

}  // namespace tarnwick::win32
