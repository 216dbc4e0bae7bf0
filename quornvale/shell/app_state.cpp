#include "quornvale/shell/app_state.h"

ProgramState g_app = {};
