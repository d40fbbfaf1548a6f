#pragma once

#include <string>

namespace e2e {

// The product's registration in the 32-bit view of the registry, where the
// product's 32-bit installer writes it. Removed again with the object.
class InstallationKey {
public:
    // Registers folder as the installation folder.
    explicit InstallationKey(const std::string& folder);
    ~InstallationKey();
    InstallationKey(const InstallationKey&) = delete;
    InstallationKey& operator=(const InstallationKey&) = delete;

    bool Registered() const { return m_registered; }
    // Removes any registration, also one left by an earlier run.
    static void Remove();

private:
    bool m_registered = false;
};

} // namespace e2e
