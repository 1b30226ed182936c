// The editor control's painting: the gutter and the text area, limited to the rows and
// columns inside the area being painted, so that its cost does not grow with the text.

#include "editor/CodeEdit.h"

#include "platform/base/ScopeGuard.h"
#include "platform/gui/ImgList.h"

#include <algorithm>
#include <vector>

namespace {

constexpr Char BlankGlyph = 0x2219;
constexpr Char TabGlyph = 0x2192;
constexpr Char LineEndGlyph = 0x00B6;

} // namespace

TColor TCustomCodeEdit::EditorBackground(int Line) const {
    if (FActiveLineColor != clNone && Line == FCaretY) return FActiveLineColor;
    if (FHighlighter) {
        const TCodeHighlighterAttributes* Blank = FHighlighter->WhitespaceAttribute();
        if (Blank && Blank->Background() != clNone) return Blank->Background();
    }
    return Color();
}

void TCustomCodeEdit::Paint() {
    const TRect Clip = Canvas()->ClipRect();
    const int W = std::max(FCharWidth, 1);
    const int H = std::max(FTextHeight, 1);
    int FirstCol = FLeftChar;
    if (Clip.Left > FGutterWidth + 2) FirstCol += (Clip.Left - FGutterWidth - 2) / W;
    const int LastCol = FLeftChar + (Clip.Right - FGutterWidth - 2 + W - 1) / W;
    const int FirstRow = std::max(FTopLine + Clip.Top / H, FTopLine);
    const int LastRow = std::min(FTopLine + (Clip.Bottom + H - 1) / H, std::max(DisplayLineCount(), 1));
    HideCaretNow();
    TScopeExit PlaceAgain([this] { UpdateCaret(); });
    if (Clip.Left < FGutterWidth) {
        TRect G = Clip;
        G.Right = std::min(G.Right, FGutterWidth);
        PaintGutter(G, FirstRow, LastRow);
    }
    if (Clip.Right > FGutterWidth) {
        TRect T = Clip;
        T.Left = std::max(T.Left, FGutterWidth);
        PaintTextLines(T, FirstRow, LastRow, FirstCol, LastCol);
    }
    FirePaint();
    FirePaintTransient(ttAfter);
}

// ---- Gutter ---------------------------------------------------------------------------------

void TCustomCodeEdit::PaintGutter(const TRect& AClip, int FirstRow, int LastRow) {
    TCanvas* C = Canvas();
    const int FirstLine = RowToLine(FirstRow);
    const int LastLine = std::min(RowToLine(LastRow), FLines->Count());
    if (FGutter->Gradient())
        DrawGradientBands(C, FGutter->GradientStartColor(), FGutter->GradientEndColor(),
                          FGutter->GradientSteps(), TRect{0, 0, FGutterWidth, ClientHeight()}, true);
    C->Brush()->SetColor(FGutter->Color());
    if (FGutter->ShowLineNumbers()) {
        if (FGutter->UseFontStyle())
            FTextDrawer->SetBaseFont(FGutter->Font());
        else
            FTextDrawer->SetStyle({});
        FTextDrawer->BeginDrawing(C);
        TScopeExit EndDrawing([this] {
            FTextDrawer->EndDrawing();
            if (FGutter->UseFontStyle()) FTextDrawer->SetBaseFont(Font());
        });
        FTextDrawer->SetForeColor(FGutter->UseFontStyle() ? FGutter->Font()->Color() : Font()->Color());
        FTextDrawer->SetBackColor(FGutter->Color());
        TRect R{AClip.Left, 0, std::max(AClip.Right, FGutterWidth - 2), 0};
        const TTextOutOptions Options = FGutter->Gradient() ? TTextOutOptions{} : TTextOutOptions{tooOpaque};
        for (int Line = FirstLine; Line <= LastLine; ++Line) {
            R.Top = (LineToRow(Line) - FTopLine) * FTextHeight;
            R.Bottom = R.Top + FTextHeight;
            String Text = FGutter->FormatLineNumber(Line);
            if (OnGutterGetText) OnGutterGetText(this, Line, Text);
            const TSize Size = FTextDrawer->TextExtent(Text);
            const int X = FGutterWidth - FGutter->RightOffset() - 2 - static_cast<int>(Size.cx);
            FTextDrawer->ExtTextOut(X, R.Top + (FTextHeight - static_cast<int>(Size.cy)) / 2, Options, R,
                                    Text);
        }
        if (!FGutter->Gradient() && R.Bottom < AClip.Bottom) {
            C->Brush()->SetColor(FGutter->Color());
            C->FillRect(TRect{AClip.Left, std::max(R.Bottom, AClip.Top), AClip.Right, AClip.Bottom});
        }
    } else if (!FGutter->Gradient()) {
        C->FillRect(AClip);
    }
    if (FGutter->BorderStyle() != gbsNone && AClip.Right >= FGutterWidth - 2) {
        C->Pen()->SetWidth(1);
        C->Pen()->SetColor(FGutter->BorderColor());
        if (FGutter->BorderStyle() == gbsMiddle) {
            C->MoveTo(FGutterWidth - 2, AClip.Top);
            C->LineTo(FGutterWidth - 2, AClip.Bottom);
            C->Pen()->SetColor(FGutter->Color());
        }
        C->MoveTo(FGutterWidth - 1, AClip.Top);
        C->LineTo(FGutterWidth - 1, AClip.Bottom);
    }
    PaintMarks(FirstLine, LastLine);
}

void TCustomCodeEdit::PaintMarks(int FirstLine, int LastLine) {
    TCanvas* C = Canvas();
    std::vector<int> Offsets(static_cast<size_t>(std::max(LastLine - FirstLine + 1, 0)), 0);
    auto OffsetOf = [&](int Line) -> int& { return Offsets[static_cast<size_t>(Line - FirstLine)]; };
    if (FBookMarkOpt->GlyphsVisible() && FMarkList->Count() > 0 && LastLine >= FirstLine) {
        TCustomImageList* Images = FBookMarkOpt->BookmarkImages();
        auto DrawMark = [&](TCodeEditMark* Mark, bool FirstKind) {
            int& O = OffsetOf(Mark->Line());
            const int Y = (LineToRow(Mark->Line()) - FTopLine) * FTextHeight;
            if (Images && !Mark->InternalImage()) {
                if (Mark->ImageIndex() < 0 || Mark->ImageIndex() >= Images->Count()) return;
                if (FirstKind)
                    O = 0;
                else if (O == 0)
                    O = FBookMarkOpt->Xoffset();
                Images->Draw(C, FBookMarkOpt->LeftMargin() + O, Y, Mark->ImageIndex());
                O += FBookMarkOpt->Xoffset();
                return;
            }
            if (Mark->ImageIndex() < 0 || Mark->ImageIndex() > 9) return;
            if (O == 0) {
                if (!FInternalImage)
                    FInternalImage = std::make_unique<TCodeInternalImage>(u"CodeEditInternalImages", 10);
                FInternalImage->Draw(C, Mark->ImageIndex(), FBookMarkOpt->LeftMargin() + O, Y, FTextHeight);
            }
            O += FBookMarkOpt->Xoffset();
        };
        const bool BookmarksFirst = FBookMarkOpt->DrawBookmarksFirst();
        bool OtherKind = false;
        for (int I = 0; I < FMarkList->Count(); ++I) {
            TCodeEditMark* Mark = FMarkList->Items(I);
            if (!Mark->Visible() || Mark->Line() < FirstLine || Mark->Line() > LastLine) continue;
            if (Mark->IsBookmark() == BookmarksFirst)
                DrawMark(Mark, true);
            else
                OtherKind = true;
        }
        if (OtherKind)
            for (int I = 0; I < FMarkList->Count(); ++I) {
                TCodeEditMark* Mark = FMarkList->Items(I);
                if (!Mark->Visible() || Mark->Line() < FirstLine || Mark->Line() > LastLine) continue;
                if (Mark->IsBookmark() != BookmarksFirst) DrawMark(Mark, false);
            }
    }
    if (OnGutterPaint)
        for (int Line = FirstLine; Line <= LastLine; ++Line)
            OnGutterPaint(this, Line, OffsetOf(Line), (LineToRow(Line) - FTopLine) * FTextHeight);
}

// ---- Text -----------------------------------------------------------------------------------

void TCustomCodeEdit::PaintToken(const String& Text, int CharsBefore, int First, int Last, TRect& ARect) {
    const int Len = static_cast<int>(Text.size());
    String Shown = Text;
    const bool Special = FShowSpecChar;
    for (int I = std::max(First - CharsBefore, 1); I <= std::min(Last - CharsBefore, Len); ++I) {
        Char& Ch = Shown[static_cast<size_t>(I - 1)];
        if (Ch == u' ' && Special)
            Ch = BlankGlyph;
        else if (Ch == u'\t')
            Ch = u' ';
    }
    if (First > Last || ARect.Left >= ARect.Right || ARect.Top >= ARect.Bottom) return;
    int X = ColumnX(First);
    const int P = First - CharsBefore; // 1-based in Text
    if (P > Len) {
        FTextDrawer->ExtTextOut(X, ARect.Top, {tooOpaque, tooClipped}, ARect, nullptr, 0);
    } else {
        int Fillers = 0;
        while (P + Fillers <= Len && Shown[static_cast<size_t>(P + Fillers - 1)] == CodeEditWideFiller)
            ++Fillers;
        if (P + Fillers <= Len) {
            // A wide glyph that starts left of the area is drawn whole.
            const int W = CharColumns(Shown[static_cast<size_t>(P + Fillers - 1)]);
            X -= std::max(W - Fillers - 1, 0) * FCharWidth;
        }
        const int Count = std::min(Last - First + 1, Len - P + 1);
        String Run;
        Run.reserve(static_cast<size_t>(Count));
        for (int I = P; I < P + Count; ++I)
            if (Shown[static_cast<size_t>(I - 1)] != CodeEditWideFiller)
                Run.push_back(Shown[static_cast<size_t>(I - 1)]);
        FTextDrawer->ExtTextOut(X, ARect.Top, {tooOpaque, tooClipped}, ARect, Run);
        if (Special) {
            for (int I = std::max(P, 1); I <= std::min(Last - CharsBefore, Len);) {
                if (Text[static_cast<size_t>(I - 1)] != u'\t') {
                    ++I;
                    continue;
                }
                int L = 1;
                while ((I + CharsBefore + L - 1) % FTabWidth != 0 && I + L <= Len &&
                       Text[static_cast<size_t>(I + L - 1)] == u'\t')
                    ++L;
                const int GX =
                    ColumnX(CharsBefore + I + L / 2 - 1) + (L % 2 == 0 ? FCharWidth / 2 : FCharWidth);
                const String Glyph(1, TabGlyph);
                FTextDrawer->ExtTextOut(GX, ARect.Top, {tooOpaque, tooClipped},
                                        TRect{std::max(GX, ARect.Left), ARect.Top,
                                              std::min(GX + FCharWidth, ARect.Right), ARect.Bottom},
                                        Glyph);
                I += L;
            }
        }
    }
    ARect.Left = ARect.Right;
}

void TCustomCodeEdit::PaintTextLines(const TRect& AClip, int FirstRow, int LastRow, int FirstCol,
                                     int LastCol) {
    TCanvas* C = Canvas();
    const int FirstLine = RowToLine(FirstRow);
    const int LastLine = std::min(RowToLine(LastRow), FLines->Count());
    TRect Clip = AClip;
    const int EdgeX = FTextOffset + FRightEdge * FCharWidth;
    const bool DrawEdge = FRightEdge > 0 && EdgeX >= Clip.Left && EdgeX <= Clip.Right;
    auto DrawEdgeLine = [&](int Top, int Bottom) {
        if (!DrawEdge) return;
        C->Pen()->SetWidth(1);
        C->Pen()->SetColor(FRightEdgeColor);
        C->MoveTo(EdgeX, Top);
        C->LineTo(EdgeX, Bottom + 1);
    };
    if (Clip.Left < FGutterWidth + 2) {
        C->Brush()->SetColor(EditorBackground(0));
        C->FillRect(TRect{std::max(Clip.Left, FGutterWidth), Clip.Top, FGutterWidth + 2, Clip.Bottom});
        Clip.Left = FGutterWidth + 2;
    }

    // The selection shown.
    bool ShowSel = !(FHideSelection && !Focused()) && FBlockBegin != FBlockEnd;
    TBufferCoord SB = BlockBegin();
    TBufferCoord SE = BlockEnd();
    ShowSel = ShowSel && SB.Line <= LastLine && SE.Line >= FirstLine;
    TDisplayCoord DB = BufferToDisplayPos(SB);
    TDisplayCoord DE = BufferToDisplayPos(SE);
    if (FActiveSelectionMode == smColumn && DB.Column > DE.Column) std::swap(DB.Column, DE.Column);

    int RowBottom = (FirstRow - FTopLine) * FTextHeight;
    if (LastLine >= FirstLine) {
        FTextDrawer->SetStyle(Font()->Style());
        FTextDrawer->BeginDrawing(C);
        TScopeExit EndDrawing([this] { FTextDrawer->EndDrawing(); });
        for (int Line = FirstLine; Line <= LastLine; ++Line) {
            const String Display = ExpandAtWideGlyphs(FLines->ExpandedLine(Line - 1));
            TColor FG = Font()->Color();
            TColor BG = EditorBackground(Line);
            const bool SpecialLine = FireSpecialLineColors(Line, FG, BG);
            const TColor SelFG = SpecialLine ? BG : FSelectedColor->Foreground();
            const TColor SelBG = SpecialLine ? FG : FSelectedColor->Background();
            const TRect RowRect{Clip.Left, RowBottom, Clip.Right, RowBottom + FTextHeight};
            RowBottom += FTextHeight;
            int SelStart = 0;
            int SelEnd = 0;
            bool Complex = false;
            if (ShowSel && Line >= SB.Line && Line <= SE.Line) {
                SelStart = FirstCol;
                SelEnd = LastCol + 1;
                const bool Column = FActiveSelectionMode == smColumn;
                if (Column || (FActiveSelectionMode == smNormal && Line == SB.Line)) {
                    if (DB.Column > LastCol) {
                        SelStart = SelEnd = 0;
                    } else if (DB.Column > FirstCol) {
                        SelStart = DB.Column;
                        Complex = true;
                    }
                }
                if (SelEnd != 0 && (Column || (FActiveSelectionMode == smNormal && Line == SE.Line))) {
                    if (DE.Column < FirstCol) {
                        SelStart = SelEnd = 0;
                        Complex = false;
                    } else if (DE.Column < LastCol) {
                        SelEnd = DE.Column;
                        Complex = true;
                    }
                }
            }
            auto UseColors = [&](bool Selected) {
                const TColor F = Selected ? SelFG : FG;
                const TColor B = Selected ? SelBG : BG;
                FTextDrawer->SetForeColor(F);
                FTextDrawer->SetBackColor(B);
                C->Brush()->SetColor(B);
            };
            if (FHighlighter && FHighlighter->Enabled()) {
                PaintHighlightedRow(Line, Display, RowRect, FirstCol, LastCol, SelStart, SelEnd, Complex,
                                    SpecialLine, FG, BG, SelFG, SelBG);
                DrawEdgeLine(RowRect.Top, RowRect.Bottom);
                continue;
            }
            String Text = Display.substr(0, static_cast<size_t>(std::min<int>(LastCol, int(Display.size()))));
            if (FShowSpecChar && static_cast<int>(Display.size()) < LastCol) Text.push_back(LineEndGlyph);
            if (Complex) {
                TRect R = RowRect;
                R.Right = std::min(RowRect.Right, ColumnX(SelStart));
                UseColors(false);
                if (R.Left < R.Right) PaintToken(Text, 0, FirstCol, SelStart, R);
                R = RowRect;
                R.Left = std::max(RowRect.Left, ColumnX(SelEnd));
                if (R.Left < R.Right) PaintToken(Text, 0, SelEnd, LastCol, R);
                R = RowRect;
                R.Left = std::max(RowRect.Left, ColumnX(SelStart));
                R.Right = std::min(RowRect.Right, ColumnX(SelEnd));
                UseColors(true);
                if (R.Left < R.Right) PaintToken(Text, 0, SelStart, SelEnd - 1, R);
            } else {
                TRect R = RowRect;
                UseColors(SelStart != 0);
                PaintToken(Text, 0, FirstCol, LastCol, R);
            }
            DrawEdgeLine(RowRect.Top, RowRect.Bottom);
        }
    }
    if (RowBottom < Clip.Bottom) {
        const int Top = std::max(RowBottom, Clip.Top);
        C->Brush()->SetColor(EditorBackground(0));
        C->FillRect(TRect{Clip.Left, Top, Clip.Right, Clip.Bottom});
        DrawEdgeLine(Top, Clip.Bottom);
    }
}

// One row of a line in the highlighter's colours: neighbouring tokens that look alike are
// gathered and drawn with one call; the selection is laid over them.
void TCustomCodeEdit::PaintHighlightedRow(int Line, const String& Display, const TRect& RowRect, int FirstCol,
                                          int LastCol, int SelStart, int SelEnd, bool Complex, bool SpecialLine,
                                          TColor LineFG, TColor LineBG, TColor SelFG, TColor SelBG) {
    TCanvas* C = Canvas();
    const TColor EditorBG = EditorBackground(Line);
    const bool WhollySelected = !Complex && SelStart != 0;
    const bool DefaultFg = FOptions.Contains(eoSpecialLineDefaultFg);
    TColor FG = LineFG;
    TColor BG = LineBG;
    TRect R = RowRect;

    struct {
        String Text;
        int CharsBefore = 0;
        TColor FG = clNone, BG = clNone;
        TFontStyles Style;
    } Accu;

    auto UseColors = [&](bool Selected) {
        const TColor F = Selected ? SelFG : FG;
        const TColor B = Selected ? SelBG : BG;
        FTextDrawer->SetForeColor(F);
        FTextDrawer->SetBackColor(B);
        C->Brush()->SetColor(B);
    };
    auto Fill = [&](int Right, bool Selected) {
        if (R.Left >= std::min(Right, RowRect.Right)) return;
        UseColors(Selected);
        C->FillRect(TRect{R.Left, R.Top, std::min(Right, RowRect.Right), R.Bottom});
        R.Left = std::min(Right, RowRect.Right);
    };
    auto PaintAccu = [&](bool FillToEnd) {
        const int Len = static_cast<int>(Accu.Text.size());
        const int From = std::max(FirstCol, Accu.CharsBefore + 1);
        const int To = std::min(LastCol, Accu.CharsBefore + Len + 1);
        bool U1 = false, S = WhollySelected, U2 = false;
        if (Complex) {
            U1 = From < SelStart;
            S = From < SelEnd && To >= SelStart;
            U2 = To >= SelEnd;
        }
        if (Len > 0) {
            if (!SpecialLine) {
                FG = Accu.FG;
                BG = Accu.BG;
            } else if (DefaultFg) {
                FG = Accu.FG;
            }
            FTextDrawer->SetStyle(Accu.Style);
            auto Draw = [&](int First, int Last, int RightColumn, bool Selected) {
                R.Right = std::min(RowRect.Right, ColumnX(RightColumn));
                UseColors(Selected);
                if (R.Left < R.Right) PaintToken(Accu.Text, Accu.CharsBefore, First, Last, R);
            };
            if (S && (U1 || U2)) {
                if (U1) Draw(From, SelStart, SelStart, false);
                const int SelTo = std::min(SelEnd, To);
                Draw(std::max(SelStart, From), SelTo, SelTo, true);
                if (U2) Draw(SelEnd, To, To, false);
            } else {
                Draw(From, To, To, S);
            }
        }
        if (FillToEnd) {
            R.Right = RowRect.Right;
            // The last glyph of a styled run may lean out of its cells (italics): the fill
            // starts behind its ink instead of painting over it.
            if (Len > 0 && !Accu.Style.Empty()) {
                Char Last = Accu.Text.back();
                if (Last == u'\t') Last = u' ';
                R.Left += FTextDrawer->CharOverhang(&Last, 1);
            }
            if (!SpecialLine) BG = EditorBG;
            if (Complex) {
                Fill(ColumnX(SelStart), false);
                Fill(ColumnX(SelEnd), true);
                Fill(RowRect.Right, false);
            } else {
                Fill(RowRect.Right, WhollySelected);
            }
        }
    };
    auto AddToken = [&](const String& Text, int CharsBefore, TColor TokFG, TColor TokBG, TFontStyles Style) {
        if (TokBG == clNone || (FActiveLineColor != clNone && Line == FCaretY)) TokBG = EditorBG;
        if (TokFG == clNone) TokFG = Font()->Color();
        const bool Blanks = std::all_of(Text.begin(), Text.end(), [](Char Ch) { return Ch == u' '; });
        if (!Accu.Text.empty()) {
            const bool SameStyle =
                Accu.Style == Style ||
                (Blanks && !Accu.Style.Contains(fsUnderline) && !Style.Contains(fsUnderline));
            const bool SameLook = (SpecialLine && !DefaultFg) || WhollySelected ||
                                  (Accu.BG == TokBG && (Accu.FG == TokFG || Blanks));
            if (SameStyle && SameLook) {
                Accu.Text += Text;
                return;
            }
            PaintAccu(false);
        }
        Accu.Text = Text;
        Accu.CharsBefore = CharsBefore;
        Accu.FG = TokFG;
        Accu.BG = TokBG;
        Accu.Style = Style;
    };

    if (Line == 1)
        FHighlighter->ResetRange();
    else
        FHighlighter->SetRange(FLines->LineRange(Line - 2));
    FHighlighter->SetLineExpandedAtWideGlyphs(FLines->ExpandedLine(Line - 1), Display, Line - 1);
    const TCodeHighlighterAttributes* LastAttr = nullptr;
    bool ReachedEnd = true;
    while (!FHighlighter->GetEol()) {
        const int P = FHighlighter->GetExpandedTokenPos();
        String Token = FHighlighter->GetExpandedToken();
        const int N = static_cast<int>(Token.size());
        if (P + N >= FirstCol) {
            if (P + N > LastCol) {
                if (P > LastCol) {
                    ReachedEnd = false;
                    break;
                }
                Token.resize(static_cast<size_t>(LastCol - P));
            }
            const TCodeHighlighterAttributes* Attr = FHighlighter->GetTokenAttribute();
            if (Attr)
                AddToken(Token, P, Attr->Foreground(), Attr->Background(), Attr->Style());
            else
                AddToken(Token, P, FG, BG, Font()->Style());
            LastAttr = Attr;
        }
        FHighlighter->Next();
    }
    if (FShowSpecChar && ReachedEnd) {
        const TCodeHighlighterAttributes* Attr =
            LastAttr && LastAttr == FHighlighter->CommentAttribute() ? FHighlighter->CommentAttribute()
                                                                      : FHighlighter->WhitespaceAttribute();
        AddToken(String(1, LineEndGlyph), static_cast<int>(Display.size()), Attr ? Attr->Foreground() : clNone,
                 Attr ? Attr->Background() : clNone, {});
    }
    PaintAccu(true);
}
