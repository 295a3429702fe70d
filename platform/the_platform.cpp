#include "platform/the_platform.h"

Platform& ThePlatform() {
    static Platform* const platform = new SystemPlatform;
    return *platform;
}
