#include "platform/win32/unforeseeable.h"

#include <windows.h>

namespace tarnwick::win32 {
namespace {

// Folds `value` into `state` so that every bit of each source reaches every bit of the result.
[[gnu::no_stack_protector]] constexpr std::uint64_t Folded(std::uint64_t state,
                                                           std::uint64_t value) {
  state = (state ^ value) * 0x9E3779B97F4A7C15u;
  return state ^ (state >> 29);
}

}  // namespace

[[gnu::no_stack_protector]] std::uint64_t UnforeseeableNumber() {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  LARGE_INTEGER counter{};
  ::QueryPerformanceCounter(&counter);
  std::uint64_t number = Folded(0, std::uint64_t{now.dwHighDateTime} << 32 | now.dwLowDateTime);
  number = Folded(number, static_cast<std::uint64_t>(counter.QuadPart));
  number = Folded(number, __builtin_ia32_rdtsc());
  number = Folded(number, std::uint64_t{::GetCurrentProcessId()} << 32 | ::GetCurrentThreadId());
  number = Folded(number, ::GetTickCount());
  number = Folded(number, reinterpret_cast<std::uintptr_t>(&now));
  number = Folded(number, reinterpret_cast<std::uintptr_t>(&UnforeseeableNumber));
  return number ^ (number >> 32);
}

}  // namespace tarnwick::win32
