// The pause between polls of the radio while a window is up.
#pragma once

namespace orvel {

// Waits `milliseconds` while the windows keep painting; user input waits until the exchange
// is over, as it would for a window that is busy.
void PaintingPause(int milliseconds);

}  // namespace orvel
