// The main window's fixed texts: titles, long captions, the notice and the download links.
#pragma once

#include <string_view>

namespace tarnwick {

inline constexpr std::u16string_view kWindowCaption = u"Tarnwick Utility";
// The application's title, used on every message box.
inline constexpr std::u16string_view kAppTitle = u"Tarnwick";

inline constexpr std::u16string_view kSupportAddress = u"support@ostrivel.example";

inline constexpr std::u16string_view kLabel3Caption =
    u"Explanation: Microsoft has released a new version of their Remote Desktop Protocol "
    u"(version 7.1). This is the tool your computer uses to connect to the hosted server. In "
    u"order to mantain security and reliability, we ask that all users of our hosting service "
    u"update their computers to the latest version. Please follow the instructions below. If you "
    u"have any questions, please contact us at support@ostrivel.example.";

inline constexpr std::u16string_view kLabel1Caption =
    u"Step 2a: Install RDP 7.0 (if not already present). Click the button that corresponds to "
    u"your operating system, download and install the file, following any on-screen prompts.";

inline constexpr std::u16string_view kLabel5Caption =
    u"Step 4: If you installed the updated version of RDP in step #2 or updated registry keys in "
    u"step #3, you must reboot your computer before you will be able to connect to the server. "
    u"Please restart your computer and login using the directions in step #5 below.";

inline constexpr std::u16string_view kWindows7Notice =
    u"Remote Desktop version 7.1 is already available on Windows 7 and higher.";

// The RDP 7.0 client update (KB969084), fetched over HTTPS from the vendor's download host.
inline constexpr std::u16string_view kDownloadHost = u"https://download.microsoft.com";
inline constexpr std::u16string_view kXpDownloadUrl =
    u"https://download.microsoft.com/download/A/D/B/ADB61C11-6705-437A-ACAD-CAA9C0200C4C/"
    u"WindowsXP-KB969084-x86-enu.exe";
inline constexpr std::u16string_view kVista32DownloadUrl =
    u"https://download.microsoft.com/download/3/9/8/398298E8-2FBB-4AD0-9B81-A5DE0131BB66/"
    u"Windows6.0-KB969084-x86.msu";
inline constexpr std::u16string_view kVista64DownloadUrl =
    u"https://download.microsoft.com/download/2/5/8/258CF867-DA0A-439A-ACD5-D808C013C749/"
    u"Windows6.0-KB969084-x64.msu";

}  // namespace tarnwick
