// The reliability test program; run with a converter flag it plays the converter
// that its tests start.
#include <gtest/gtest.h>

#include "support.h"

int main(int argc, char** argv) {
    if (test_support::IsConverterCall(argc, argv))
        return test_support::RunAsConverter(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
