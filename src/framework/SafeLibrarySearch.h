#pragma once

// The program runs elevated and is started from a medium or a download
// folder that anyone may have put files in. A library loaded by bare name
// must then come from the system folder, never from the program's folder or
// the current one.

// Limits the default library search to the system folder where Windows
// offers SetDefaultDllDirectories (looked up at run time, so the program
// still starts where it is missing), and takes the current folder out of the
// search in every case. Returns true when the search was limited to the
// system folder. Call it first thing, before anything may load a library.
bool RestrictLibrarySearch();
