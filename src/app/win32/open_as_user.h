// Opening a file through the desktop's own shell (Explorer), which runs as the logged-on user:
// what it starts gets the user's rights, not this process's.
#pragma once

#include "app/win32/com_apartment.h"

namespace tarnwick::win32 {

// Hands `file` with `verb` to the desktop's shell. True once the shell has taken the request,
// whatever then comes of it; false when there is no desktop shell, or one that does not offer
// this.
bool ExecuteOnDesktop(const ComApartment& com, const wchar_t* verb, const wchar_t* file);

}  // namespace tarnwick::win32
