// The integration test program doubles as the converter its tests start.
#include <cstring>

#include <gtest/gtest.h>

#include "real_folder.h"

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--as-converter") == 0)
        return testing_support::RunAsConverter(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
