#include "platform/win32/stack_guard.h"

#include <windows.h>

#include <cstdint>

#include "platform/win32/unforeseeable.h"

// The two symbols that GCC's stack protection calls for, defined here rather than taken from
// GCC's libssp. libssp seeds its guard in a constructor, which runs before wWinMain has
// restricted the DLL search, with CryptAcquireContext(PROV_RSA_FULL, CRYPT_VERIFYCONTEXT). That
// loads the provider's DLL by the "Image Path" of its key under
// HKLM\SOFTWARE\Microsoft\Cryptography\Defaults\Provider, which Windows' documentation shows as a
// bare file name ("Outline of CryptoAPI Registry Usage": "Image Path:REG_SZ:rsabase.dll"; and
// "Registering the CSP" asks for a full path only "for security reasons", so a bare name is
// accepted). A bare name is looked for in the program's folder before the system directory, and
// neither rsabase.dll nor rsaenh.dll is a known DLL. advapi32's RtlGenRandom (SystemFunction036)
// is no way round that: on Vista and 7 it is forwarded to cryptbase.dll, which no known DLL list
// holds either, so importing it has Windows load that DLL by name before the program's first
// instruction. Defined here, neither symbol brings libssp into the link.
//
// These are the program's only global variables, and only because the compiler's protection
// requires them by these names.
extern "C" {
std::uintptr_t __stack_chk_guard;
[[noreturn]] void __stack_chk_fail();
}

namespace tarnwick::win32 {

// The documentation of __security_init_cookie says why this runs first: "The call to
// __security_init_cookie must be made before any overrun-protected function is entered;
// otherwise a spurious buffer overrun will be detected."
[[gnu::no_stack_protector]] void SeedStackGuard() {
  __stack_chk_guard = static_cast<std::uintptr_t>(UnforeseeableNumber());
}

}  // namespace tarnwick::win32

// A guarded function found its copy of the guard changed: its stack was written past a local,
// so nothing that it holds (return addresses, exception handlers, objects to destroy) may run.
// TerminateProcess ends the process on every Windows without unwinding or telling any DLL:
// "When a process terminates itself, TerminateProcess stops execution of the calling thread and
// does not return." Its exit code, STATUS_STACK_BUFFER_OVERRUN (0xC0000409), is one that
// Tarnwick never returns. Not __fastfail (int 0x29): Windows has it only from 8 on, and its
// documentation says that older Windows take it for an access violation, whose handlers 32-bit
// code keeps on that very stack; Wine 8, which reports PF_FASTFAIL_AVAILABLE, also hands a
// 32-bit program's int 0x29 to them, as an illegal instruction.
[[noreturn, gnu::no_stack_protector]] void __stack_chk_fail() {
  for (;;)
    ::TerminateProcess(::GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
}
