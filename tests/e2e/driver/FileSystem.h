#pragma once

#include <string>

namespace e2e {

// A Linux path (/work/...) as Wine names it (Z:\work\...); other paths as given.
// Files and folders themselves: TestFiles.h of the shared test support.
std::string FromHostPath(const std::string& path);

} // namespace e2e
