#pragma once
// The one version number of the program and the library.  The version
// resources of both images, the About dialog and the package names read it
// from here; change it here only.
#define QUORNVALE_VERSION_MAJOR 2
#define QUORNVALE_VERSION_MINOR 2
#define QUORNVALE_VERSION_PATCH 5
#define QUORNVALE_VERSION_BUILD 1
#define QUORNVALE_VERSION_TEXT "2.2.5.1"
#define QUORNVALE_VERSION_WTEXT L"2.2.5.1"
