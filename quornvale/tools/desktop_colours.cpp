#include "quornvale/tools/desktop_colours.h"

void ApplyDesktopColours(int /*transparent*/)
{
    // Not built yet: the desktop colours come with their own feature.
}
