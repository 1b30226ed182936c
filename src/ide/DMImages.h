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
// imglstBookmarks: the bookmarks 0 to 9.
constexpr int BookmarkImageCount = 10;
// imglst1: one image per left tab.
constexpr int TabImageCount = 7;

void PaintDataModuleImages(TfrmDM* DM);
