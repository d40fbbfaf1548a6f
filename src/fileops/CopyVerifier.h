#pragma once
// Checks each file the copier reads from the package against the package's
// checksum file, from the bytes as they pass through the copy: the medium is
// read once. The copier asks it about every file before it reads it, feeds
// it every block, and at the end asks which listed files it never met.
#include "data/ChecksumFile.h"
#include "fileops/HashWorker.h"
#include <windows.h>
#include <string>
#include <vector>

class CCopyVerifier {
public:
    // `sums`: the package's checksum file (kept by the caller); `packageTree`:
    // the folder the copy reads (the package's InstDir), without a trailing
    // backslash.
    CCopyVerifier(const CChecksumList& sums, const std::string& packageTree);

    // The error the copier asks about when a file is damaged, unlisted or missing.
    static const DWORD kDamaged = ERROR_FILE_CORRUPT;

    // A file of the tree is about to be read (again: a Retry starts over).
    // False when the checksum file does not list it: it must not be installed.
    bool BeginFile(const std::string& sourcePath);
    // The file's next bytes, in order.
    void Add(const void* data, size_t size) { m_hash.Add(data, size); }
    // After its last byte: true when the file is as listed. `expected` and
    // `found` are set for the log either way.
    bool EndFile(std::string& expected, std::string& found);

    // The listed files of the tree that no BeginFile asked about: their
    // paths under `packageTree` and the digests they should have.
    struct Unmet {
        std::string path;
        std::string expected;
    };
    std::vector<Unmet> Missing() const;

    // The words the log shows in place of a digest.
    static const char* const kUnlisted;
    static const char* const kAbsent;

private:
    const CChecksumList& m_sums;
    std::string m_tree;
    std::vector<bool> m_seen;
    const ChecksumEntry* m_current = nullptr;
    CHashWorker m_hash; // beside the copy, on a thread of its own
};
