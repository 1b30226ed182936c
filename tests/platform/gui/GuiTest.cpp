#include "platform/base/Object.h"
#include "platform/gui/Gui.h"

#include <gtest/gtest.h>

TEST(Gui, StartUpRegistersTheBaseClassesToo) {
    RegisterPlatformGuiClasses();
    EXPECT_NE(GetClass(u"TComponent"), nullptr);
}
