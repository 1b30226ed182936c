// The tree's model is plain C++: its tests need no window and no application object.
#include "tree/Tree.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    RegisterTreeClasses();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
