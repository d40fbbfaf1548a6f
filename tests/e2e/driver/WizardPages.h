#pragma once
// Finding the wizard's screens and pressing its buttons from outside, for the
// tests and the walks that picture each screen.
#include "RemoteWindow.h"
#include "Wait.h"

namespace e2e {

// The finish page among the wizard's children, or an empty window while it
// is not there: the welcome page has the same left picture, and a text the
// finish page lacks.
RemoteWindow FinishPageOf(const RemoteWindow& wizard);

// Clicks the wizard's button `id` once it is shown and enabled; false when it
// is not within the bound.
bool ClickWhenReady(const RemoteWindow& wizard, int id, DWORD boundMs = kDefaultBoundMs);

} // namespace e2e
