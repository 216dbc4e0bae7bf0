#pragma once
// Icon-only task buttons: the TBSTYLE_EX_MIXEDBUTTONS style of the taskbar's
// button toolbar (systems before Windows 7; elsewhere there is no toolbar).
bool SetIconOnlyTaskbar(bool on);
bool IsIconOnlyTaskbar();
