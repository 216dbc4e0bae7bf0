#pragma once
// The tray menu's command ids.  The language files key their texts on these
// numbers (section "root" key "3" is the run-at-start entry), so a number
// never changes once shipped.  Ids named as separators carry no command: the
// shipped language files give them the text "-".
#include <windows.h>

enum CommandId : UINT {
    // Root menu.
    CmdAccountsMenu = 1,  // holds the network-accounts submenu
    CmdRootSeparator1 = 2,
    CmdRunAtStart = 3,
    CmdIconOnlyTaskbar = 4,  // left out on Windows 7
    CmdFeaturesMenu = 5,
    CmdRootSeparator2 = 6,
    CmdSystemMenu = 7,
    CmdSnapshot = 8,
    CmdRootSeparator3 = 9,
    CmdPathsToFileList = 10,
    CmdFileListToPaths = 11,
    CmdRootSeparator4 = 12,
    CmdLanguagesMenu = 13,
    CmdHelpMenu = 14,
    CmdRootSeparator5 = 15,
    CmdExit = 16,
    CmdRootFirst = CmdAccountsMenu,  // with network accounts
    CmdRootFirstWithoutAccounts = CmdRunAtStart,
    CmdRootLast = CmdExit,

    // Network-accounts submenu; account i has CmdFirstAccount + i, so the
    // first account shares its id with the third fixed entry.
    CmdConnectAll = 32,
    CmdConnectAtStart = 33,
    CmdFirstAccount = 34,
    CmdConnectionFirst = CmdConnectAll,
    CmdConnectionLast = CmdFirstAccount,

    // System-functions submenu.
    CmdLockWorkstation = 96,
    CmdHibernate = 97,
    CmdSystemSeparator = 98,
    CmdTurnOffMonitor = 99,
    CmdSystemFirst = CmdLockWorkstation,
    CmdSystemLast = CmdTurnOffMonitor,

    // Help submenu.
    CmdHomePage = 128,
    CmdHelpFile = 129,
    CmdOpenSettings = 130,
    CmdHelpSeparator = 131,
    CmdAbout = 132,
    CmdSettingsWindow = 133,
    CmdHelpFirst = CmdHomePage,
    CmdHelpLast = CmdSettingsWindow,

    // Features submenu.
    CmdRollUp = 256,
    CmdAutoClose = 257,
    CmdChord = 258,
    CmdSimulatedWinKey = 259,
    CmdMiddleButton = 260,
    CmdTransparency = 261,
    CmdNotifyIcon = 262,
    CmdTopmost = 263,
    CmdHideCursor = 264,
    CmdDocking = 265,
    CmdDisableIme = 266,
    CmdDesktopCaptions = 267,  // only on Windows 2000
    CmdFeaturesSeparator1 = 268,
    CmdSnapshotIntoFile = 269,
    CmdSnapshotWatermark = 270,
    CmdFeaturesSeparator2 = 271,
    CmdAutoScrollMode1 = 272,
    CmdAutoScrollMode2 = 273,
    CmdFeaturesSeparator3 = 274,
    CmdWindowInfo = 275,
    CmdFeaturesFirst = CmdRollUp,
    CmdFeaturesLast = CmdWindowInfo,

    // Languages submenu: one id per language file found at start, in the
    // order the directory search returns them.
    CmdFirstLanguage = 1536,
};
