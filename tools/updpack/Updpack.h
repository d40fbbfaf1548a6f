#pragma once

#include <ostream>

// The whole program: the command line in, the report out, the exit code back
// (0 no errors, 1 errors, 2 bad command line). Never throws.
int RunUpdpack(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
