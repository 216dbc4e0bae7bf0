// The product's side of the test seams: none of them acts.
#include "quornvale/test_seams/test_seams.h"

bool HandAddressToTestSink(const wchar_t*) { return false; }

HMODULE LoadPowerDouble() { return nullptr; }

bool IsTestUnhookRequest(UINT) { return false; }

CreateFolderFn FolderCreationDouble() { return nullptr; }
