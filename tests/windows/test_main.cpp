// GoogleTest's main for the Windows test programs, leaving as our programs do.
#include "process_exit.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    sloshmere::platform::endProcess(RUN_ALL_TESTS());
}
