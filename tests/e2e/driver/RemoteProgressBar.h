#pragma once

#include "RemoteWindow.h"

namespace e2e {

struct ProgressState {
    int low = 0;
    int high = 0;
    int position = 0;
};

// Reads the range and position of a progress bar of another process.
class RemoteProgressBar {
public:
    explicit RemoteProgressBar(RemoteWindow bar) : m_bar(bar) {}

    bool Read(ProgressState& state) const;

private:
    RemoteWindow m_bar;
};

} // namespace e2e
