#pragma once
// The operating-system version class (common/os_version.h) as the process
// the library runs in is told it, read at the first use in that process and
// kept.  Every decision of the library that depends on the version concerns
// the process's own pieces of the system (the record size its shell takes,
// its taskbar, its desktop, its layered windows), and a process may be told
// another version than the program or its neighbours (compatibility
// settings), so no process's answer is kept for the others.
int ProcessOsClass();
