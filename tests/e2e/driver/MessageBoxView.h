#pragma once

#include "RemoteWindow.h"

#include <string>
#include <vector>

namespace e2e {

// A message box of the program under test: what it says, which buttons it
// offers, and the user's answer.
class MessageBoxView {
public:
    explicit MessageBoxView(RemoteWindow box) : m_box(box) {}

    explicit operator bool() const { return static_cast<bool>(m_box); }
    RemoteWindow Window() const { return m_box; }
    std::string Caption() const { return m_box.Text(); }
    std::string Text() const;
    // Ids of the buttons shown (IDOK ... IDNO), in increasing order.
    std::vector<int> Buttons() const;
    // Presses a button; false when the box does not offer it.
    bool Answer(int id) const;

private:
    RemoteWindow m_box;
};

} // namespace e2e
