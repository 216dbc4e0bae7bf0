#include "ostrilix/dragging/caption_drag.h"

#include "common/debug_print.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/docking/dock_state.h"
#include "ostrilix/dragging/drag_state.h"
#include "ostrilix/hooks/dock_wnd_proc.h"
#include "ostrilix/size_display/size_display.h"
#include "ostrilix/core/subclass_registry.h"

namespace {
void SubclassOnce(HWND window)
{
    if (window && !IsWindowSubclassed(window))
        SubclassWindow(window, DockWndProc);
}
}  // namespace

bool IsDragHit(UINT hit)
{
    switch (hit) {
    case HTCAPTION:
    case HTTOPLEFT:
    case HTTOP:
    case HTTOPRIGHT:
    case HTLEFT:
    case HTRIGHT:
    case HTSIZE:
    case HTBOTTOM:
    case HTBOTTOMLEFT:
    case HTBOTTOMRIGHT:
        return true;
    default:
        return false;
    }
}

void OnCaptionOrBorderPress(const MOUSEHOOKSTRUCTEX& record)
{
    const UINT hit = record.wHitTestCode;
    if (hit == HTCAPTION) {
        HWND root = record.hwnd ? GetAncestor(record.hwnd, GA_ROOT) : nullptr;
        if (IsFeatureEnabled(kFeatureDocking)) {
            // A docked window keeps its record: this drag starts docked.
            if (root && BeginDockableDrag(root))
                SubclassOnce(root);
        } else if (root) {
            DropDockState(root);
        }
        if (IsFeatureEnabled(kFeatureMoveCursor) && root) {
            SubclassOnce(root);
            g_bCursorChanged = 1;
        }
    }
    if (IsDragHit(hit) && IsFeatureEnabled(kFeatureSizeDisplay) && record.hwnd &&
        record.hwnd != g_shared.s_feature_value.s_h_cover_wnd) {
        SubclassOnce(record.hwnd);
        StartSizeLabel(record.hwnd);
    }
}

void OnLeftRelease(const MOUSEHOOKSTRUCTEX& record)
{
    if (IsFeatureEnabled(kFeatureSizeDisplay))
        EndSizeLabel(record.hwnd);
    if (g_bCursorChanged) {
        DebugPrint(L"Uninstall g_bCursorChanged\n");
        g_bCursorChanged = 0;
    }
    if (EndDockableDrags())
        DebugPrint(L"Uninstall g_bDockable = %d, g_bDocked= %d, hittest = %d\n", 1, 0,
                   int(record.wHitTestCode));
}
