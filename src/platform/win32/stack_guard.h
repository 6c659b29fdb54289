// The guard value of GCC's stack protection (-fstack-protector-strong, which the release builds
// compile the program's own code with): each guarded function keeps a copy of it beside its
// locals and compares the two before it returns; a difference ends the process at once.
#pragma once

namespace tarnwick::win32 {

// Gives the guard this run's value, from sources that need no DLL beyond kernel32. Only the
// entry point calls it, first thing, from a frame that itself carries no guard: a function
// entered before the call and still running after it would find its copy different from the
// guard and end the process.
void SeedStackGuard();

}  // namespace tarnwick::win32
