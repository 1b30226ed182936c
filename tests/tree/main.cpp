// The tree's model is plain C++: its tests need no window and no application object. The few
// tests of the tree's window work run in a child process that makes one (WindowTest.cpp).
#include "tree/Tree.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

void RegisterWindowTests();

int main(int argc, char** argv) {
    std::unique_ptr<QApplication> App;
    if (std::getenv("MORVANE_TREE_WINDOWS")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("QT_FONT_DPI", "96", 1);
        setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
        App = std::make_unique<QApplication>(argc, argv);
        RegisterWindowTests();
    }
    RegisterTreeClasses();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
