#include "fileops/FolderSize.h"
#include "fileops/FileHandle.h"
#include "fileops/FolderListing.h"
#include "fileops/MessagePump.h"
#include "fileops/Paths.h"
#include <windows.h>
#include <string>

namespace {

void AddFolderContents(const char* folder, int64_t& total) {
    CFolderListing listing;
    if (!listing.Start(folder))
        return;
    do {
        if (listing.EntryIsDots())
            continue;
        if (IsLink(listing.Entry()))
            continue;
        const std::string entry = JoinPath(folder, listing.Entry().cFileName);
        if (!PathFits(entry))
            continue;
        PumpPendingMessages();
        const DWORD attributes = GetFileAttributesA(entry.c_str());
        PumpPendingMessages();
        // Asked again: the entry may have become a link since it was listed.
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            PumpPendingMessages();
            AddFolderContents(entry.c_str(), total);
        } else {
            total += FileSizeOrZero(entry.c_str());
        }
        PumpPendingMessages();
    } while (listing.Next());
}

} // namespace

int64_t FileSizeOrZero(const char* path) {
    if (!PathFits(path))
        return 0;
    CFileHandle file(
        CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file.IsOpen() || !GetFileSizeEx(file.Get(), &size))
        return 0;
    return size.QuadPart;
}

void AddFolderSizeTo(const char* folder, int64_t& total) {
    // A long operation starts with a full look, whatever the last one found.
    PumpPendingMessagesNow();
    AddFolderContents(folder, total);
}
