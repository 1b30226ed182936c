#pragma once
// What an entry of the Functions tab carries.

#include "tree/BaseLeanTree.h"

#include "platform/base/Types.h"

struct TFunctionListRec {
    int LineNr = 0;
    String Line;
    // 0 function head, 1 setup's head, 2 loop's head, 3 define or constant, 4 variable, 5 other.
    Byte Kind = 0;
};

// The record of an entry; none for the root or a node without one.
TFunctionListRec* FunctionListRecord(TBaseLeanTree* Tree, PLeanNode Node);
