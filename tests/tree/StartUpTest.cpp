#include "platform/base/Object.h"
#include "tree/Tree.h"

#include <gtest/gtest.h>

TEST(StartUp, RegistersTheLayersBelow) {
    RegisterTreeClasses();
    EXPECT_NE(GetClass(u"TComponent"), nullptr);
}
