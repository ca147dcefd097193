#pragma once

// Qt reaches for the desktop's session message bus when the first window is shown (for the
// accessibility bridge). Where the session has none, the bus library forks a helper to start
// one and the user-interface thread waits for it, while the forked child holds copies of
// every file this process has open. A saver never starts a session bus of its own: where
// none can be found, the bus is marked unavailable for this process before Qt starts, and
// Qt goes on without it at once. Where the session has a bus, nothing changes.
void KeepFromStartingASessionBus();
