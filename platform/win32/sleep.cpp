#include "platform/sleep.h"

#include <windows.h>

void SleepMilliseconds(unsigned milliseconds) {
    Sleep(milliseconds);
}
