#pragma once

// Starts the conversion worker on its own thread over the real platform and
// TheSharedState(). The thread is never joined; it ends with the process.
// False when the thread could not be created.
bool StartConvertThread();
