// The tree's model is plain C++: its tests need no window and no application object. The few
// tests of the tree's window work run in a child process that makes one (WindowTest.cpp).
#include "TreeTestSupport.h"

#include "support/GuiTestMain.h"
#include "support/TestMain.h"

#include "tree/Tree.h"

#include <cstdlib>

int main(int argc, char** argv) {
    if (std::getenv(TreeWindowsVariable))
        return RunGuiTests(argc, argv, [] {
            RegisterTreeClasses();
            RegisterWindowTests();
        });
    return RunTests(argc, argv, RegisterTreeClasses);
}
