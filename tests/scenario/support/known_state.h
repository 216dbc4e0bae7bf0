#pragma once
// The state outside the test's own directories that scenario tests change
// (registry values of the prefix, the system's net.exe) is given back by
// the objects that changed it, but a test that crashed never ran their
// destructors.  Every test program therefore starts by putting it back to
// the prepared prefix's state: a crash costs its own program, never the next.
namespace scenario {

// Deletes the DLL override and puts back the net.exe that NetDouble moved
// aside, removes the per-program reported Windows versions and the program's
// Run value, and switches full-window dragging on.
// Runs once at the start of every program that links the harness.
void ResetKnownState();

}  // namespace scenario
