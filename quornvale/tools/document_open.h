#pragma once
// Opens a document (the help file) with the shell: only a document type
// (document_type.h), and every refusal or failure is an error balloon that
// says why ("Help" is its title): a file that is missing, a program type, a
// type no program is set to open, or the shell's error code.
#include <windows.h>

constexpr wchar_t kDocumentBalloonTitle[] = L"Help";

// path: absolute, or relative to the program's folder (never to the current
// directory).  True when the shell opened it.
bool OpenDocument(const wchar_t* path);
