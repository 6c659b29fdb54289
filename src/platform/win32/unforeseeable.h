// A number that nobody else can foresee, from kernel32 alone: nothing is loaded to make it.
#pragma once

#include <cstdint>

namespace tarnwick::win32 {

// What Microsoft's CRT seeds its /GS cookie with in __security_init_cookie (gs_support.c, the
// CRT source that Visual C++ ships): the system time, the process and thread ids, the tick count
// and the performance counter, all of them in kernel32 on every Windows from XP on; and beside
// them the time stamp counter and the addresses of a local and of this function, which ASLR
// moves with the stack and the image from Vista on. Nobody else knows the counters to the tick.
// Not RtlGenRandom (advapi32's SystemFunction036): Vista and 7 forward it to cryptbase.dll, which
// is no known DLL, so using it loads a DLL by name. Carries no stack guard itself, so that the
// guard can be seeded with it.
[[gnu::no_stack_protector]] std::uint64_t UnforeseeableNumber();

}  // namespace tarnwick::win32
