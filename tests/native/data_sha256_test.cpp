// The standard's published examples, through whichever library this build
// uses: the Linux build runs them against libcrypto, the Windows test build
// (test_data_win) against CNG, so the two are shown to agree.
#include "data/Sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace {

struct Vector {
    const char* name;
    std::string message;
    const char* digest;
};

std::vector<Vector> PublishedVectors() {
    return {
        {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"448 bits", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"a million a", std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
}

TEST(Sha256, PublishedVectorsWholeAndInPiecesWithOneObject) {
    CSha256 hash;
    ASSERT_TRUE(hash.Ok());
    for (const Vector& v : PublishedVectors()) {
        Sha256Digest whole;
        hash.Add(v.message.data(), v.message.size());
        ASSERT_TRUE(hash.Finish(whole)) << v.name;
        EXPECT_EQ(DigestToHex(whole), v.digest) << v.name;

        // Uneven pieces, as a copy's blocks and a short last read give them.
        Sha256Digest pieces;
        std::size_t at = 0;
        for (std::size_t piece = 1; at < v.message.size(); piece = piece * 7 + 3) {
            const std::size_t n = std::min(piece, v.message.size() - at);
            hash.Add(v.message.data() + at, n);
            at += n;
        }
        ASSERT_TRUE(hash.Finish(pieces)) << v.name;
        EXPECT_EQ(DigestToHex(pieces), v.digest) << v.name;

        // Restart drops what was added.
        hash.Add("junk", 4);
        hash.Restart();
        hash.Add(v.message.data(), v.message.size());
        Sha256Digest restarted;
        ASSERT_TRUE(hash.Finish(restarted)) << v.name;
        EXPECT_EQ(restarted, whole) << v.name;

        Sha256Digest parsed;
        const std::string upper = [&] {
            std::string s = v.digest;
            for (char& c : s)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            return s;
        }();
        ASSERT_TRUE(ParseDigest(upper.c_str(), upper.size(), parsed)) << v.name;
        EXPECT_EQ(parsed, whole) << v.name;
    }
}

} // namespace
