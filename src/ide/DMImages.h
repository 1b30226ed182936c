#pragma once
// The pictures of the data module's image lists, painted by our own code at start-up: small
// glyphs made of a few shapes on the layer's canvas.

class TfrmDM;

// The images of imglstMenu, in their order; the actions name them by these values.
enum TMenuGlyph {
    mgNone = -1,
    mgNewProject,
    mgOpenRecent,
    mgSave,
    mgFind,
    mgReplace,
    mgFindNext,
    mgFindPrev,
    mgPrintPreview,
    mgPrint,
    mgOptions,
    mgBoardDocs,
    mgCompile,
    mgUpload,
    mgTerminalSketch,
    mgTerminal,
    mgExit,
    mgOpenFile,
    mgCopyProject,
    mgArduinoIde,
    mgPrinterSetup,
    mgPageSetup,
    mgSortByName,
    mgUnsort,
    mgErrorLog,
    mgNormalLog,
    mgExpandAll,
    mgContractAll,
    mgExpandNode,
    mgCollapseNode,
    mgGotoDefine,
    mgGotoInclude,
    mgGotoSetup,
    mgGotoLoop,
    mgClose,
    mgTest,
    mgHelp,
    mgAbout,
    mgPaneCollapse,
    mgPaneExpand,
    mgProjectConfig,
    mgReference,
    mgTemplateSave,
    mgFunctionList,
    mgProjectLoad,
    mgCount
};

// imglstTree holds this many images; the trees use the indexes of their node types.
constexpr int TreeImageCount = 66;
// The images of imglstBookmarks: the bookmarks 0 to 9, the editor frame's tool bar, and the
// gutter marks at the indexes the editor frame places them with.
enum TBookmarkGlyph {
    bgBookmark0 = 0,
    bgGotoSetup = 10,
    bgGotoLoop = 11,
    bgGotoDefines = 12,
    bgGotoIncludes = 13,
    bgRedLine = 14,
    bgBookmarkList = 15,
    bgReadOnly = 16,
    bgHotkeys = 17,
    bgGreenLine = 30,
    bgGreenTopLine = 31,
    bgGreenBottomLine = 32,
    bgFuchsiaLine = 40,
};
// imglstBookmarks holds this many images; the indexes no one names stay empty.
constexpr int BookmarkImageCount = 41;
// The function list's images in imglstTree, by the kind of an entry: function head, setup,
// loop, define or constant, variable, other declaration.
constexpr int FunctionListImages[] = {36, 57, 58, 60, 61, 59};
// imglst1: one image per left tab.
constexpr int TabImageCount = 7;

void PaintDataModuleImages(TfrmDM* DM);
