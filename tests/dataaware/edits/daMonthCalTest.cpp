#include "dataaware/edits/daMonthCal.h"
#include <gtest/gtest.h>
