#include "fileops/Paths.h"
#include <cstring>

const char* LastPathComponent(const char* path) {
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

std::string JoinPath(const char* folder, const char* name) {
    std::string path(folder);
    path += '\\';
    path += name;
    return path;
}
