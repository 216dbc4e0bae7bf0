#include "quornvale/tools/snapshot.h"

void OpenSnapshotOverlay(HWND /*main_window*/)
{
    // Not built yet: the snapshot tool comes with its own feature.
}
