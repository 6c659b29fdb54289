/* Resource identifiers, shared by the program and its resource script. */
#ifndef TARNWICK_RESOURCE_IDS_H
#define TARNWICK_RESOURCE_IDS_H

#define TARNWICK_ICON 1

#ifndef RC_INVOKED
namespace tarnwick::win32 {
inline constexpr int kAppIconId = TARNWICK_ICON;
}  // namespace tarnwick::win32
#endif

#endif
