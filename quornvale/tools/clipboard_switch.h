#pragma once
// Switching the clipboard between file paths and a pastable file list.
// The conversions are not built yet: they convert nothing and say so.
bool PathsToFileList();
bool FileListToPaths();
// An error balloon titled "Switching between path and pastable object".
void ShowErrorBalloon(const wchar_t* text);
