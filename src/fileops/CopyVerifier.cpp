#include "fileops/CopyVerifier.h"
#include "data/PackageLayout.h"
#include "texts/Texts.h"

const char* const CCopyVerifier::kUnlisted = texts::kDigestUnlisted;
const char* const CCopyVerifier::kAbsent = texts::kDigestAbsent;

CCopyVerifier::CCopyVerifier(const CChecksumList& sums, const std::string& packageTree)
    : m_sums(sums), m_tree(packageTree), m_seen(sums.Entries().size(), false) {}

bool CCopyVerifier::BeginFile(const std::string& sourcePath) {
    m_current = nullptr;
    m_hash.Restart();
    // The copier builds every path from the tree's own: anything else is no
    // file of the package's tree.
    if (sourcePath.size() <= m_tree.size() + 1 ||
        sourcePath.compare(0, m_tree.size(), m_tree) != 0 || sourcePath[m_tree.size()] != '\\')
        return false;
    m_current = m_sums.Find(std::string(kInstallTreeName) + sourcePath.substr(m_tree.size()));
    if (m_current == nullptr)
        return false;
    m_seen[m_sums.IndexOf(*m_current)] = true;
    return true;
}

bool CCopyVerifier::EndFile(std::string& expected, std::string& found) {
    Sha256Digest digest;
    const bool hashed = m_hash.Finish(digest);
    expected = m_current ? DigestToHex(m_current->digest) : kUnlisted;
    found = hashed ? DigestToHex(digest) : texts::kDigestNotComputed;
    return m_current != nullptr && hashed && digest == m_current->digest;
}

std::vector<CCopyVerifier::Unmet> CCopyVerifier::Missing() const {
    const std::string prefix = std::string(kInstallTreeName) + "\\";
    std::vector<Unmet> missing;
    const std::vector<ChecksumEntry>& entries = m_sums.Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        const ChecksumEntry& entry = entries[i];
        if (!m_seen[i] && entry.path.size() > prefix.size() &&
            lstrcmpiA(entry.path.substr(0, prefix.size()).c_str(), prefix.c_str()) == 0)
            missing.push_back(
                {m_tree + entry.path.substr(prefix.size() - 1), DigestToHex(entry.digest)});
    }
    return missing;
}
