#include "quornvale/tools/about_dialog.h"

void ShowAboutDialog()
{
    // Not built yet: the dialog template and its procedure come later.
}
