#pragma once
// The real window on a simulated keyboard of the 104-key sample product,
// for the benchmarks that measure a page (offscreen).

#include "support/gui/guisession.h"

namespace bench {

constexpr qint16 FullSizeProduct = 257;

// Starts the window and waits until the product's configuration is read
// (its picture package is not needed: the pages draw from the key
// positions), then opens `page`. False when it does not get there.
bool openFullSizePage(GuiSession& session, int page);

}  // namespace bench
