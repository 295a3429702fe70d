// The Win32 platform tests. The program doubles as the converter and the
// program whose folder is asked for.
#include <gtest/gtest.h>

#include "temp_folder.h"

int main(int argc, char** argv) {
    const int helper = win32_testing::RunHelper(argc, argv);
    if (helper >= 0)
        return helper;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
