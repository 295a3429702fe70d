// The Win32 platform tests. Run with a converter flag, the program plays the
// converter its tests start and the program whose folder is asked for.
#include <gtest/gtest.h>

#include "support.h"

int main(int argc, char** argv) {
    if (test_support::IsConverterCall(argc, argv))
        return test_support::RunAsConverter(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
