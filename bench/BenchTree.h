#pragma once
// Folder trees for the copy benchmark: generated, walked and removed with the
// plain file calls, so that the methods compared share nothing but the data.
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>

struct TreeShape {
    int files;    // how many files in all
    int minBytes; // each file's size lies in [minBytes, maxBytes]
    int maxBytes;
    int folderDepth; // folder levels below the root that hold files too
    int fanOut;      // sub-folders per folder above the deepest level
};

// Makes `root` and fills it; returns the bytes written, or -1 on failure.
int64_t GenerateTree(const std::string& root, const TreeShape& shape);

// Calls `onFolder` for every folder under `source` (relative path, parents
// first) and `onFile` for every file (source path, destination path), with
// destinations under `destination`.
struct TreeVisitor {
    std::function<bool(const std::string& destinationFolder)> onFolder;
    std::function<bool(const std::string& source, const std::string& destination)> onFile;
};
bool WalkTree(const std::string& source, const std::string& destination,
              const TreeVisitor& visitor);

// Deletes the tree under `root` and `root` itself.
void RemoveTree(const std::string& root);
