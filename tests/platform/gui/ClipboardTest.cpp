#include "platform/gui/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

TEST(Clipboard, TextRoundTripsInEveryTextFormat) {
    TClipboard* C = Clipboard();
    C->SetAsText(u"caf\u00e9 \u20ac");
    EXPECT_EQ(C->AsText(), u"caf\u00e9 \u20ac");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("caf\u00e9 \u20ac"));
    for (TClipboardFormat F : {CF_TEXT, CF_OEMTEXT, CF_UNICODETEXT})
        EXPECT_TRUE(C->HasFormat(F)) << F;
    EXPECT_FALSE(C->HasFormat(CF_HDROP));
    EXPECT_EQ(C->GetData(CF_TEXT), (TBytes{'c', 'a', 'f', 0xE9, ' ', 0x80, 0}));
    EXPECT_EQ(C->GetData(CF_UNICODETEXT),
              (TBytes{'c', 0, 'a', 0, 'f', 0, 0xE9, 0, ' ', 0, 0xAC, 0x20, 0, 0}));
    C->SetData(CF_UNICODETEXT, TBytes{'h', 0, 'i', 0, 0, 0});
    EXPECT_EQ(C->AsText(), u"hi");
    C->Clear();
    EXPECT_FALSE(C->HasFormat(CF_TEXT));
    EXPECT_EQ(C->AsText(), u"");
    EXPECT_EQ(C->FormatCount(), 0);
}

TEST(Clipboard, RegisteredFormatsAreStablePerName) {
    const TClipboardFormat F = RegisterClipboardFormat(u"CodeEdit Control Block Type");
    EXPECT_GE(F, 0xC000);
    EXPECT_EQ(RegisterClipboardFormat(u"CODEEDIT control block type"), F);
    EXPECT_NE(RegisterClipboardFormat(u"Virtual Tree Data"), F);
    EXPECT_EQ(GetClipboardFormatName(F), u"CodeEdit Control Block Type");
    EXPECT_EQ(RegisterClipboardFormat(u""), 0);
    EXPECT_EQ(GetClipboardFormatName(CF_TEXT), u"");
    EXPECT_EQ(GetClipboardFormatName(0xFFFF), u"");
    EXPECT_THROW(Clipboard()->SetData(CF_BITMAP, {1}), EClipboardException);
}

TEST(Clipboard, NamedFormatsBesideTextInOneOpenClose) {
    TClipboard* C = Clipboard();
    const TClipboardFormat Block = RegisterClipboardFormat(u"CodeEdit Control Block Type");
    const TBytes Data{2, 'a', 'b', 0};

    // Outside Open each put replaces the contents.
    C->SetAsText(u"text");
    C->SetData(Block, Data);
    EXPECT_FALSE(C->HasFormat(CF_TEXT));
    EXPECT_EQ(C->GetData(Block), Data);

    C->SetAsText(u"before");
    C->Open();
    C->SetAsText(u"column\r\nblock");
    C->SetData(Block, Data);
    // The system clipboard changes at the last Close; this clipboard reads what was put.
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    EXPECT_EQ(C->AsText(), u"column\r\nblock");
    C->Open();
    C->Close();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    C->Close();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("column\r\nblock"));
    EXPECT_TRUE(C->HasFormat(Block));
    EXPECT_EQ(C->GetData(Block), Data);
    EXPECT_EQ(C->AsText(), u"column\r\nblock");
    EXPECT_EQ(C->FormatCount(), 4);
    EXPECT_EQ(C->Formats(0), CF_UNICODETEXT);
    EXPECT_EQ(C->Formats(3), Block);
    EXPECT_EQ(C->Formats(4), 0);
    EXPECT_TRUE(C->GetData(RegisterClipboardFormat(u"Not there")).empty());
}

TEST(Clipboard, FormatsPutByAnotherInstanceAreReadByName) {
    // Another program instance knows the format under the same name, whatever its number.
    auto* Foreign = new QMimeData;
    Foreign->setData(QStringLiteral("application/x-morvane-format.Shared%20Block%20%C3%A9"),
                     QByteArray("\x01\x02", 2));
    Foreign->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.ino"))});
    QGuiApplication::clipboard()->setMimeData(Foreign);
    const TClipboardFormat F = RegisterClipboardFormat(u"shared block \u00c9");
    EXPECT_TRUE(Clipboard()->HasFormat(F));
    EXPECT_EQ(Clipboard()->GetData(F), (TBytes{1, 2}));
    EXPECT_TRUE(Clipboard()->HasFormat(CF_HDROP));

    // And what we put carries the name as registered.
    Clipboard()->SetData(F, {9});
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat(
        QStringLiteral("application/x-morvane-format.shared%20block%20%C3%89")));
}

TEST(Clipboard, DataObjectReadsWhatTheClipboardHoldsWhenAsked) {
    const TClipboardFormat Block = RegisterClipboardFormat(u"Data Object Block");
    TDataObjectRef Data = OleGetClipboard();
    Clipboard()->Clear();
    EXPECT_FALSE(Data->HasFormat(Block));
    EXPECT_TRUE(Data->Formats().empty());
    Clipboard()->Open();
    Clipboard()->SetAsText(u"x");
    Clipboard()->SetData(Block, {7, 8, 9});
    Clipboard()->Close();
    EXPECT_TRUE(Data->HasFormat(Block));
    EXPECT_EQ(Data->GetData(Block), (TBytes{7, 8, 9}));
    EXPECT_EQ(Data->Formats(), (std::vector<TClipboardFormat>{CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT, Block}));
    EXPECT_TRUE(Data->GetData(RegisterClipboardFormat(u"Absent Block")).empty());
}
