#pragma once
// The picture indexes of the file trees and the record each node of those trees carries. The trees
// themselves are the main window's (TfrmMain, Trees.cpp).

#include "ide/MyObjects.h"

#include "tree/BaseLeanTree.h"

#include <memory>

// Image indexes of the tree pictures in the data module's imglstTree.
enum TTreeImage : int {
    tiFocusedColumn = 4,
    tiDll = 10,
    tiLibrariesRoot = 34,
    tiExamplesRoot = 35,
    tiSource = 37,
    tiDocument = 38,
    tiHeader = 40,
    tiSourceWithoutLoop = 41,
    tiFolder = 63,
    tiSketchFolder = 64,
    tiProjectConfig = 65,
};

// The record hung on a node of a file tree; none for a missing node or one without a record.
tTreeClass* TreeRecord(TBaseLeanTree* Tree, PLeanNode Node);
// The file trees' handlers: a node's record goes with the node; names sort as a listing that
// ignores letter case, and names that differ only in case by their characters.
void FreeTreeRecord(TBaseLeanTree* Tree, PLeanNode Node);
void CompareTreeRecords(TBaseLeanTree* Tree, PLeanNode Node1, PLeanNode Node2, TColumnIndex, int& Result);
// A new node under Parent (top level for none) carrying Item; the node exists only with its
// record in place.
PLeanNode AddRecordNode(TBaseLeanTree* Tree, PLeanNode Parent, std::unique_ptr<tTreeClass> Item);
