// The Functions tab: the declarations of the active editor's file, found line by line with the
// frame's five expressions, each with its line; a click moves the editor there.
#include "ide/FunctionList.h"
#include "ide/DMImages.h"
#include "ide/Main.h"

#include "regex/RegexEngine.h"

#include "platform/base/ScopeGuard.h"
#include "platform/base/Strings.h"

namespace {

TFunctionListRec* Rec(TBaseLeanTree* Tree, PLeanNode Node) {
    if (!Node || Node == Tree->RootNode() || Tree->NodeDataSize() <= 0) return nullptr;
    return *static_cast<TFunctionListRec**>(Tree->GetNodeData(Node));
}

// One step of a forward search in the lines, as the editor's search runs it: line by line from
// Start (or from the first line), every match of a line, the first whose start lies at or after
// the start column on the starting line. On a hit Caret is behind the match.
bool SearchStep(TRegexEngine& Regex, TStrings* Lines, bool EntireScope, TBufferCoord& Caret) {
    const TBufferCoord Start = EntireScope ? TBufferCoord{1, 1} : Caret;
    for (int Line = std::max(Start.Line, 1); Line <= Lines->Count(); ++Line) {
        const String Text = Lines->Strings(Line - 1);
        for (bool Found = Regex.Exec(Text); Found; Found = Regex.ExecNext()) {
            const int F = Regex.MatchStart(0), L = Regex.MatchLength(0);
            if (Line == Start.Line && F < Start.Char) continue;
            if (L <= 0) continue;
            Caret = {F + L, Line};
            return true;
        }
    }
    return false;
}

} // namespace

TFunctionListRec* FunctionListRecord(TBaseLeanTree* Tree, PLeanNode Node) {
    return Rec(Tree, Node);
}

void TfrmEditor::FillFunctionList(TLeanStringTree* vstFunctionList, tSearchTypes SearchTypes) {
    TStringList Listed;
    bool EntireScope = true;
    TStrings* Lines = codeedt->Lines();
    const int RememberedLine = codeedt->CaretY();
    TBufferCoord Caret = codeedt->CaretXY();
    vstFunctionList->BeginUpdate();
    codeedt->BeginUpdate();
    codeedt->SetVisible(false);
    TScopeExit Done([&] {
        vstFunctionList->EndUpdate();
        codeedt->EndUpdate();
        codeedt->SetVisible(true);
        if (codeedt->CanFocus()) codeedt->SetFocus();
        codeedt->SetCaretXY({1, RememberedLine});
    });
    vstFunctionList->Clear();
    auto Add = [&](int LineNr, Byte Kind) {
        PLeanNode Node = vstFunctionList->AddChild(nullptr);
        auto** Slot = static_cast<TFunctionListRec**>(vstFunctionList->GetNodeData(Node));
        *Slot = new TFunctionListRec{LineNr, Trim(Lines->Strings(LineNr - 1)), Kind};
    };
    TRegexEngine Regex;
    Regex.SetModifierI(false);
    bool AnyHit = false;
    auto Pass = [&](tSearchType Type, const String& Expression, auto OnHit) {
        if (!SearchTypes.Contains(Type)) return;
        // Later passes start on the first line, at the column the caret has.
        if (Type != stFunctions) Caret.Line = 1;
        Regex.SetExpression(Expression);
        while (SearchStep(Regex, Lines, EntireScope, Caret)) {
            AnyHit = true;
            OnHit(Caret.Line);
            EntireScope = false;
        }
    };
    Pass(stFunctions, FRegExFunctionDef, [&](int Line) {
        const String Upper = AnsiUpperCase(Lines->Strings(Line - 1));
        Add(Line, Pos(u"VOID LOOP", Upper) > 0 ? 2 : Pos(u"VOID SETUP", Upper) > 0 ? 1 : 0);
        Listed.Add(IntToStr(Line));
    });
    Pass(stDefines, FRegExDefineDef, [&](int Line) {
        Add(Line, 3);
        Listed.Add(IntToStr(Line));
    });
    auto Unlisted = [&](Byte Kind, bool Note) {
        return [&, Kind, Note](int Line) {
            if (Listed.IndexOf(IntToStr(Line)) >= 0) return;
            Add(Line, Kind);
            if (Note) Listed.Add(IntToStr(Line));
        };
    };
    Pass(stConsts, FRegExConstDef, Unlisted(3, true));
    Pass(stVars, FRegExVarsDef, Unlisted(4, true));
    Pass(stOthers, FRegExNonStdVarsDef, Unlisted(5, false));
    (void)AnyHit;
}

void TfrmMain::SetUpFunctionList() {
    // The filter boxes sit on the tab's tool bar; the list fills the rest of the tab, whatever
    // size the tab has when it is first shown.
    tlbrFunctions = new TToolBar(this);
    tlbrFunctions->SetName(u"tlbrFunctions");
    tlbrFunctions->SetParent(tsFunctionList);
    tlbrFunctions->SetAlign(alTop);
    tlbrFunctions->SetHeight(28);
    tlbrFunctions->SetShowHint(true);
    int Left = 4;
    for (auto [Box, Caption, Hint] : {std::tuple{chkF, u"F", u"Functions"}, std::tuple{chkDef, u"D", u"Defines"},
                                      std::tuple{chkConst, u"C", u"Const"}, std::tuple{chkVars, u"V", u"Vars"},
                                      std::tuple{chkOther, u"Other", u"Other"}}) {
        Box->SetCaption(Caption);
        Box->SetHint(Hint);
        Box->SetShowHint(true);
        Box->SetParent(tlbrFunctions);
        Box->SetBounds(Left, 4, Box == chkOther ? 56 : 34, 20);
        Box->SetChecked(Box != chkOther);
        Box->OnClick = [this](TObject*) { RefreshFunctionList(); };
        Left += Box == chkOther ? 60 : 38;
    }
    vstFunctionList = new TLeanStringTree(this);
    vstFunctionList->SetName(u"vstFunctionList");
    vstFunctionList->SetParent(tsFunctionList);
    vstFunctionList->SetAlign(alClient);
    vstFunctionList->SetColor(15465722);
    vstFunctionList->Colors()->SetColor(ciFocusedSelectionColor, TColor(14220532));
    if (frmDM) vstFunctionList->SetImages(frmDM->imglstTree);
    TLeanTreeColumn* LineNr = vstFunctionList->Header()->Columns()->Add();
    LineNr->SetText(u"LineNr");
    LineNr->SetWidth(60);
    TLeanTreeColumn* Line = vstFunctionList->Header()->Columns()->Add();
    Line->SetText(u"Line");
    Line->SetWidth(200);
    vstFunctionList->Header()->SetMainColumn(1);
    vstFunctionList->Header()->SetOptions(
        TLTHeaderOptions{hoColumnResize, hoDrag, hoHotTrack, hoShowSortGlyphs, hoVisible});
    vstFunctionList->Header()->Font()->SetName(u"Tahoma");
    vstFunctionList->SetIncrementalSearch(isInitializedOnly);
    vstFunctionList->SetNodeDataSize(int(sizeof(TFunctionListRec*)));
    // Listed in the order the passes find them; a header click sorts.
    vstFunctionList->TreeOptions()->SetAutoOptions(vstFunctionList->TreeOptions()->AutoOptions() -
                                                   TLTAutoOptions{toAutoSort});
    vstFunctionList->OnGetText = [](TBaseLeanTree* Sender, PLeanNode Node, TColumnIndex Column, TVSTTextType,
                                    String& CellText) {
        TFunctionListRec* R = Rec(Sender, Node);
        if (!R) return;
        CellText = Column == 0 ? IntToStr(R->LineNr) : R->Line;
    };
    vstFunctionList->OnGetImageIndex = [](TBaseLeanTree* Sender, PLeanNode Node, TLTImageKind Kind,
                                          TColumnIndex Column, bool&, int& ImageIndex) {
        if ((Kind != ikNormal && Kind != ikSelected) || Column != 0) return;
        if (TFunctionListRec* R = Rec(Sender, Node); R && R->Kind <= 5) ImageIndex = FunctionListImages[R->Kind];
    };
    vstFunctionList->OnPaintText = [](TBaseLeanTree* Sender, TCanvas* Canvas, PLeanNode Node, TColumnIndex Column,
                                      TVSTTextType) {
        static constexpr TColor Colors[] = {225, 255, 255, 2263040, 9601793, 12910990};
        TFunctionListRec* R = Rec(Sender, Node);
        if (!R || Column != 1 || R->Kind > 5) return;
        Canvas->Font()->SetColor(Colors[R->Kind]);
        if (R->Kind == 1 || R->Kind == 2) Canvas->Font()->SetStyle(Canvas->Font()->Style() + TFontStyles{fsBold});
    };
    vstFunctionList->OnBeforeCellPaint = [](TBaseLeanTree* Sender, TCanvas* Canvas, PLeanNode Node, TColumnIndex,
                                            TLTCellPaintMode, TRect CellRect, TRect&) {
        TFunctionListRec* R = Rec(Sender, Node);
        if (!R || R->Kind < 3) return;
        Canvas->Brush()->SetColor(R->Kind == 3 ? 16580350 : R->Kind == 4 ? 16645629 : clWhite);
        Canvas->FillRect(CellRect);
    };
    vstFunctionList->OnFreeNode = [](TBaseLeanTree* Sender, PLeanNode Node) {
        if (Sender->NodeDataSize() <= 0) return;
        auto*& R = *static_cast<TFunctionListRec**>(Sender->GetNodeData(Node));
        delete R;
        R = nullptr;
    };
    vstFunctionList->OnCompareNodes = [](TBaseLeanTree* Sender, PLeanNode Node1, PLeanNode Node2,
                                         TColumnIndex Column, int& Result) {
        TFunctionListRec* A = Rec(Sender, Node1);
        TFunctionListRec* B = Rec(Sender, Node2);
        if (!A || !B) return;
        Result = Column == 0 ? (A->LineNr < B->LineNr ? -1 : A->LineNr > B->LineNr ? 1 : 0)
                             : CompareStr(A->Line, B->Line);
    };
    vstFunctionList->OnHeaderClick = [this](TLTHeader*, const TLTHeaderHitInfo& HitInfo) {
        if (HitInfo.Column < 0) return;
        vstFunctionList->Header()->SetSortColumn(HitInfo.Column);
        vstFunctionList->SortTree(HitInfo.Column, sdAscending);
    };
    vstFunctionList->OnClick = [this](TObject*) { JumpToFunction(); };
    tsFunctionList->OnShow = [this](TObject*) {
        if (!dynamic_cast<TCheckBox*>(ActiveControl())) RefreshFunctionList();
    };
}

tSearchTypes TfrmMain::FunctionListTypes() const {
    tSearchTypes Types;
    if (chkF->Checked()) Types.Include(stFunctions);
    if (chkDef->Checked()) Types.Include(stDefines);
    if (chkConst->Checked()) Types.Include(stConsts);
    if (chkVars->Checked()) Types.Include(stVars);
    if (chkOther->Checked()) Types.Include(stOthers);
    return Types;
}

void TfrmMain::RefreshFunctionList() {
    if (TfrmEditor* Editor = ActiveEditorForm())
        Editor->FillFunctionList(vstFunctionList, FunctionListTypes());
    else
        vstFunctionList->Clear();
}

void TfrmMain::JumpToFunction() {
    // Nothing to jump to without a focused entry that carries its line.
    TFunctionListRec* R = Rec(vstFunctionList, vstFunctionList->FocusedNode());
    if (!R) return;
    TfrmEditor* Editor = ActiveEditorForm();
    ASSERT(Editor);
    Editor->codeedt->SetCaretY(R->LineNr);
    Editor->codeedt->SetTopLine(R->LineNr - 5);
    Editor->PlaceGutterMark(mtRedLine);
}
