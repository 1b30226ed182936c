#pragma once
// An editor control on a form with a real window, sized to whole rows and columns.

#include "editor/CodeEdit.h"

#include "platform/gui/Forms.h"
#include "support/TestDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>

class TCodeEditFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Form = std::make_unique<TForm>(nullptr);
        Form->SetBounds(0, 0, 800, 600);
        Edit = new TCodeEdit(Form.get());
        Edit->SetParent(Form.get());
        Edit->SetBorderStyle(Controls::bsNone);
        Edit->SetScrollBars(StdCtrls::ssNone);
        Edit->HandleNeeded();
    }
    void TearDown() override { Form.reset(); }

    // A client area of exactly Cols columns right of the gutter and Rows rows.
    void SizeTo(int Cols, int Rows) {
        Edit->SetClientWidth(Edit->GutterWidth() + 2 + Cols * Edit->CharWidth());
        Edit->SetClientHeight(Rows * Edit->LineHeight());
        ASSERT_EQ(Edit->CharsInWindow(), Cols);
        ASSERT_EQ(Edit->LinesInWindow(), Rows);
    }
    // Lines "1" .. "Count".
    void NumberedLines(int Count) {
        String Text;
        for (int I = 1; I <= Count; ++I)
            Text += (I > 1 ? u"\r\n" : u"") + IntToStr(I);
        Edit->SetText(Text);
    }
    void SetOption(TCodeEditorOption Option, bool On) {
        TCodeEditorOptions O = Edit->Options();
        if (On)
            O.Include(Option);
        else
            O.Exclude(Option);
        Edit->SetOptions(O);
    }

    std::unique_ptr<TForm> Form;
    TCodeEdit* Edit = nullptr;
};
