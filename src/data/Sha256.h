#pragma once
// SHA-256 of a stream of bytes, from the system's library: CNG (bcrypt) in
// the Windows programs, OpenSSL's libcrypto elsewhere. The package's
// checksum file and every copied file are measured with it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct Sha256Digest {
    unsigned char bytes[32] = {};
    bool operator==(const Sha256Digest& other) const;
    bool operator!=(const Sha256Digest& other) const { return !(*this == other); }
};

// 64 lower-case hex digits.
std::string DigestToHex(const Sha256Digest& digest);
// 64 hex digits of either case and nothing else; false otherwise.
bool ParseDigest(const char* text, std::size_t length, Sha256Digest& digest);

class CSha256 {
public:
    // Ready for the first Add; Ok() says whether the library could be used.
    CSha256();
    ~CSha256();
    CSha256(const CSha256&) = delete;
    CSha256& operator=(const CSha256&) = delete;

    bool Ok() const;
    void Add(const void* data, std::size_t size);
    // The digest of everything added since the start (or the last Finish or
    // Restart); the object is then ready for a new stream. False when the
    // library failed at any point of the stream.
    bool Finish(Sha256Digest& digest);
    // Drops what was added: a new stream begins.
    void Restart();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The digest of a whole file (binary), read in blocks; false when it cannot
// be opened or read.
bool HashFile(const char* path, Sha256Digest& digest, std::uint64_t* size = nullptr);
