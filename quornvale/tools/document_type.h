#pragma once
// Whether a file may be opened as a document (the help file): never a type
// that runs as a program, or runs code, when it is opened.  A language file
// can name the help file, and anyone who can change a language file must not
// be able to make the next user who opens help run a program.
//
// Windows 2000 has no function that answers this (AssocIsDangerous is of XP
// SP2), and the registry alone cannot tell a viewer from a script host (the
// open command of .vbs runs wscript.exe "%1" as .chm's runs hh.exe "%1"), so
// three answers are taken together: a fixed table of the types that Windows
// runs or that run code, the system's PATHEXT list of program types, and the
// type's registered open command when it starts the file itself ("%1").
#include <string_view>

enum class OpenTargetKind {
    kDocument,  // may be opened
    kProgram,   // a program type: refused
    kNoType,    // no extension: no document type, refused
};

// Pure.  file: the file's name or path; open_command: the type's open
// command from the registry (null or empty when none is registered);
// path_ext: the PATHEXT value (extensions separated by ";"; null when unset).
OpenTargetKind ClassifyOpenTarget(std::wstring_view file, const wchar_t* open_command,
                                  const wchar_t* path_ext);

// Pure: the extension of the path's file name, with its dot ("" when none).
std::wstring_view FileExtension(std::wstring_view file);
