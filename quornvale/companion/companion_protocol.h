#pragma once
// What the 64-bit program and its 32-bit companion (quornvale32.exe) agree
// on.  The companion is started by the program only, as
//     x86\quornvale32.exe /companion <main window>
// below the program's folder, the main window handle in decimal.  It finds
// the program's process through that window, so it ends when the program
// ends or dies.  The companion's window takes two posted messages:
//     kCompanionReload  wParam: serial of the mirror mapping to replay
//     kCompanionExit    give every window back, unhook and end
// The mirror (quornvale/shell/library_mirror.h) travels in a file mapping
// of its own for each publication, named with the program's process id and
// the serial; the program keeps the newest one open until it publishes the
// next.
#include <windows.h>

// The companion's folder below the program's and its file names there (the
// library has the same file name as the program's own).
constexpr wchar_t kCompanionFolder[] = L"x86";
constexpr wchar_t kCompanionFile[] = L"quornvale32.exe";
constexpr wchar_t kCompanionSwitch[] = L"/companion";

// The companion's hidden window: never shown, no tray icon.  A class of its
// own, so nothing that looks for the program's "QUORNVALE" window (a second
// start, the installer) ever takes it for the program.
constexpr wchar_t kCompanionWindowClass[] = L"Quornvale.Companion";

constexpr UINT kCompanionReload = WM_APP + 1;
constexpr UINT kCompanionExit = WM_APP + 2;

// "Quornvale.Mirror.<program process id>.<serial>"
constexpr int kMirrorMappingNameChars = 64;
inline void MirrorMappingName(DWORD program_process, DWORD serial, wchar_t* out)
{
    wsprintfW(out, L"Quornvale.Mirror.%lu.%lu", program_process, serial);
}
