#include "editor/Editor.h"
#include "platform/base/Object.h"

#include <gtest/gtest.h>

TEST(StartUp, RegistersTheLayersBelow) {
    RegisterEditorClasses();
    EXPECT_NE(GetClass(u"TComponent"), nullptr);
}
