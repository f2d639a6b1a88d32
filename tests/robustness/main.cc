// A child run of this program (Windows) does its body and ends before GoogleTest starts.
#include <gtest/gtest.h>

#include "child_process.h"

int main(int argc, char** argv) {
    if (const std::optional<int> code = robustness::RunChildIfAsked(argc, argv)) return *code;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
