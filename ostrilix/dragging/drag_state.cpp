#include "ostrilix/dragging/drag_state.h"

volatile LONG g_bMoveByBorder = 0;
volatile LONG g_bCursorChanged = 0;
