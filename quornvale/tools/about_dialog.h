#pragma once
// The About dialog.  Not built yet: does nothing.
void ShowAboutDialog();
