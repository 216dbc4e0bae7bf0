#pragma once
// Operating-system version class: 0 query failed, 1 before Windows 2000,
// 2 Windows 2000, 3 XP / Server 2003, 4 Vista / Server 2008, 5 Windows 7,
// 6 anything later.  Callers compare with thresholds ("below 5" = Vista or older).
enum OsVersionClass : int {
    kOsUnknown = 0,
    kOsBefore2000 = 1,
    kOsWin2000 = 2,
    kOsWinXP = 3,
    kOsVista = 4,
    kOsWin7 = 5,
    kOsLater = 6,
};

// Pure mapping of a reported major/minor version to the class.
int ClassifyOsVersion(unsigned major, unsigned minor);
// Asks the system afresh on every call.
int GetOsVersionClass();
