/* screenshot-press CAPTION BUTTON: presses the button captioned BUTTON in the top-level window
   captioned CAPTION, and returns once the window has handled the press (exit 0), or exits 1
   when either is not found within ten seconds. */
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3)
    return 2;
  for (int tries = 0; tries < 100; ++tries) {
    HWND window = FindWindowW(NULL, argv[1]);
    HWND button = window ? FindWindowExW(window, NULL, L"Button", argv[2]) : NULL;
    if (button) {
      DWORD_PTR result = 0;
      return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 30000, &result) ? 0 : 1;
    }
    Sleep(100);
  }
  return 1;
}
