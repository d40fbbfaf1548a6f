#include "data/Sha256.h"

#include <cstdio>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>
#else
#include <openssl/evp.h>
#endif

bool Sha256Digest::operator==(const Sha256Digest& other) const {
    return std::memcmp(bytes, other.bytes, sizeof bytes) == 0;
}

std::string DigestToHex(const Sha256Digest& digest) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex(64, '0');
    for (int i = 0; i < 32; ++i) {
        hex[2 * i] = kDigits[digest.bytes[i] >> 4];
        hex[2 * i + 1] = kDigits[digest.bytes[i] & 0x0F];
    }
    return hex;
}

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool ParseDigest(const char* text, std::size_t length, Sha256Digest& digest) {
    if (length != 64)
        return false;
    Sha256Digest parsed;
    for (int i = 0; i < 32; ++i) {
        const int high = HexValue(text[2 * i]);
        const int low = HexValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        parsed.bytes[i] = static_cast<unsigned char>(high << 4 | low);
    }
    digest = parsed;
    return true;
}

#ifdef _WIN32

// One provider per object: opened once, a hash object per stream (Windows 7
// has no reusable hash objects).
struct CSha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool failed = false;

    State() {
        if (!BCRYPT_SUCCESS(
                ::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0)))
            algorithm = nullptr;
        Begin();
    }
    ~State() {
        End();
        if (algorithm)
            ::BCryptCloseAlgorithmProvider(algorithm, 0);
    }
    void Begin() {
        End();
        failed = algorithm == nullptr ||
                 !BCRYPT_SUCCESS(::BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
        if (failed)
            hash = nullptr;
    }
    void End() {
        if (hash)
            ::BCryptDestroyHash(hash);
        hash = nullptr;
    }
    void Add(const unsigned char* data, std::size_t size) {
        while (!failed && size > 0) {
            const ULONG part = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
            failed = !BCRYPT_SUCCESS(::BCryptHashData(hash, const_cast<PUCHAR>(data), part, 0));
            data += part;
            size -= part;
        }
    }
    bool Finish(Sha256Digest& digest) {
        const bool ok = !failed && BCRYPT_SUCCESS(::BCryptFinishHash(hash, digest.bytes,
                                                                     sizeof digest.bytes, 0));
        Begin();
        return ok;
    }
};

#else

struct CSha256::State {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    bool failed = false;

    State() { Begin(); }
    ~State() { EVP_MD_CTX_free(context); }
    void Begin() {
        failed = context == nullptr || EVP_DigestInit_ex(context, EVP_sha256(), nullptr) != 1;
    }
    void Add(const unsigned char* data, std::size_t size) {
        if (!failed && size > 0)
            failed = EVP_DigestUpdate(context, data, size) != 1;
    }
    bool Finish(Sha256Digest& digest) {
        unsigned int length = 0;
        const bool ok = !failed && EVP_DigestFinal_ex(context, digest.bytes, &length) == 1 &&
                        length == sizeof digest.bytes;
        Begin();
        return ok;
    }
};

#endif

CSha256::CSha256() : m_state(new State) {}

CSha256::~CSha256() = default;

bool CSha256::Ok() const {
    return !m_state->failed;
}

void CSha256::Add(const void* data, std::size_t size) {
    m_state->Add(static_cast<const unsigned char*>(data), size);
}

bool CSha256::Finish(Sha256Digest& digest) {
    return m_state->Finish(digest);
}

void CSha256::Restart() {
    m_state->Begin();
}

bool HashFile(const char* path, Sha256Digest& digest, std::uint64_t* size) {
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    const std::unique_ptr<std::FILE, Closer> owned(std::fopen(path, "rb"));
    std::FILE* file = owned.get();
    if (!file)
        return false;
    CSha256 hash;
    std::vector<unsigned char> block(256 * 1024);
    std::uint64_t total = 0;
    std::size_t got = 0;
    while ((got = std::fread(block.data(), 1, block.size(), file)) > 0) {
        hash.Add(block.data(), got);
        total += got;
    }
    const bool readAll = !std::ferror(file);
    if (size)
        *size = total;
    return readAll && hash.Finish(digest);
}
