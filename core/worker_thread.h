#pragma once

class Platform;
struct SharedState;

// Starts the conversion worker on its own thread. The thread is never
// joined; it ends with the process, so both must live as long. False when
// the thread could not be created.
bool StartConvertThread(Platform& platform, SharedState& state);
