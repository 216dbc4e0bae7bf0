#pragma once
// The configuration exports through which the program writes the shared block.
#include "common/ostrilix_interface.h"

extern "C" {
__declspec(dllexport) LONG WINAPI EnableFeatures(DWORD mask, LONG value);
__declspec(dllexport) LONG WINAPI SetFeatureFlags(DWORD flags, FeatureParams params);
__declspec(dllexport) LONG WINAPI SetRetrieveWndInfoFlag(LONG flag);
__declspec(dllexport) LONG WINAPI SetAeroSnapMode(LONG mode);
__declspec(dllexport) LONG WINAPI SetMButtonFunctionCode(LONG code);
__declspec(dllexport) DWORD WINAPI SetMinimalAlphaValue(DWORD alpha);
__declspec(dllexport) LONG WINAPI ResetRunTimeState();
__declspec(dllexport) LONG WINAPI SetProgramProcess(LONG process_id);
}
