#include "settings/Settings.h"
#include "platform/base/Object.h"

#include <gtest/gtest.h>

TEST(StartUp, RegistersTheLayersBelow) {
    RegisterSettingsClasses();
    EXPECT_NE(GetClass(u"TComponent"), nullptr);
}
