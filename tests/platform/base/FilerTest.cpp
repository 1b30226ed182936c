#include "platform/base/Filer.h"

#include "platform/base/Collection.h"
#include "platform/base/IntConsts.h"
#include "platform/base/Streams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

DECLARE_ENUM(TShade, Byte, shLight, shMedium, shDark)
using TShades = TSet<TShade>;

const TTypeInfo* KeyCodeType() {
    static const TTypeInfo* const Info =
        TypeInfoDetail::OrdinalTypeInfo(tkInteger, u"TKeyCode", otUWord, 0, 65535);
    static const bool Registered = [] {
        RegisterIntegerConsts(
            Info,
            [](const String& Ident, int& Value) {
                if (Ident != u"kcEnter") return false;
                Value = 13;
                return true;
            },
            [](int Value, String& Ident) {
                if (Value != 13) return false;
                Ident = u"kcEnter";
                return true;
            });
        return true;
    }();
    (void)Registered;
    return Info;
}

class TRow : public TCollectionItem {
    DECLARE_CLASS(TRow, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    int Key = 0;
    String Caption;

private:
    static void Published(TPublisher<TRow>& P) {
        P.Property(u"Key", &TRow::Key).As(KeyCodeType()).Default(0);
        P.Property(u"Caption", &TRow::Caption);
    }
};

class TPen2 : public TPersistent {
    DECLARE_CLASS(TPen2, TPersistent)
public:
    int Width = 1;

private:
    static void Published(TPublisher<TPen2>& P) { P.Property(u"Width", &TPen2::Width).Default(1); }
};

// Every kind the stream carries, a part, a collection and a value of its own form.
class TSample : public TPersistent {
    DECLARE_CLASS(TSample, TPersistent)
public:
    TSample() : Rows(TCollectionItemClass::Of<TRow>()) {}
    int Count = 0;
    Int64 Big = 0;
    bool Visible = false;
    TShade Shade = shLight;
    TShades Shades;
    String Title;
    double Ratio = 0;
    TPen2 Pen;
    TCollection Rows;
    String Secret; // streamed reversed, under a name of its own

    TPen2* GetPen() { return &Pen; }
    TCollection* GetRows() { return &Rows; }

protected:
    void DefineProperties(TFiler* Filer) override {
        Filer->DefineProperty(
            u"Reversed", [this](TReader* R) { Secret = String(R->ReadString()); },
            [this](TWriter* W) { W->WriteString(Secret); }, !Secret.empty());
    }

private:
    static void Published(TPublisher<TSample>& P) {
        P.Property(u"Count", &TSample::Count).Default(0);
        P.Property(u"Big", &TSample::Big).Default(0);
        P.Property(u"Visible", &TSample::Visible).Default(false);
        P.Property(u"Shade", &TSample::Shade).Default(shLight);
        P.Property(u"Shades", &TSample::Shades).Default(TShades{});
        P.Property(u"Title", &TSample::Title);
        P.Property(u"Ratio", &TSample::Ratio);
        P.Property(u"Pen", &TSample::GetPen);
        P.Property(u"Rows", &TSample::GetRows);
    }
};

TBytes BytesOf(const TSample& Sample) {
    TBytesStream S;
    TWriter W(&S);
    W.WriteProperties(const_cast<TSample*>(&Sample));
    TBytes B = S.Bytes();
    B.resize(size_t(S.Size()));
    return B;
}

void ReadInto(const TBytes& Bytes, TSample& Sample) {
    TBytesStream S(Bytes);
    TReader R(&S);
    R.ReadProperties(&Sample);
}

} // namespace

TEST(Filer, DefaultsWriteNothingButTheEndOfTheList) {
    TSample Fresh;
    EXPECT_EQ(BytesOf(Fresh), (TBytes{vaNull}));
}

TEST(Filer, EveryKindComesBackFromAFile) {
    TTempFolder Folder;
    TSample A;
    A.Count = -300;
    A.Big = Int64(1) << 40;
    A.Visible = true;
    A.Shade = shDark;
    A.Shades = {shLight, shDark};
    A.Title = u"Gr\u00FC\u00DFe \u65E5\u672C";
    A.Ratio = 0.375;
    A.Pen.Width = 3;
    static_cast<TRow*>(A.Rows.Add())->Key = 13;
    auto* Second = static_cast<TRow*>(A.Rows.Add());
    Second->Key = 70000 % 65536;
    Second->Caption = u"two";
    A.Secret = u"kept";
    {
        TFileStream Out(Folder / "sample.bin", fmCreate);
        TWriter W(&Out);
        W.WriteProperties(&A);
    }
    TSample B;
    B.Rows.Add(); // a collection read replaces the items it had
    {
        TFileStream In(Folder / "sample.bin", fmOpenRead);
        TReader R(&In);
        R.ReadProperties(&B);
        EXPECT_EQ(In.Position(), In.Size()) << "the list is read to its end";
    }
    EXPECT_EQ(B.Count, -300);
    EXPECT_EQ(B.Big, Int64(1) << 40);
    EXPECT_TRUE(B.Visible);
    EXPECT_EQ(B.Shade, shDark);
    EXPECT_EQ(B.Shades, (TShades{shLight, shDark}));
    EXPECT_EQ(B.Title, A.Title);
    EXPECT_EQ(B.Ratio, 0.375);
    EXPECT_EQ(B.Pen.Width, 3);
    ASSERT_EQ(B.Rows.Count(), 2);
    EXPECT_EQ(static_cast<TRow*>(B.Rows.Items(0))->Key, 13);
    EXPECT_EQ(static_cast<TRow*>(B.Rows.Items(1))->Key, 4464);
    EXPECT_EQ(static_cast<TRow*>(B.Rows.Items(1))->Caption, u"two");
    EXPECT_EQ(B.Secret, u"kept");
}

TEST(Filer, ValuesTakeTheirOwnForms) {
    TSample A;
    A.Count = 5;
    A.Pen.Width = 2;
    static_cast<TRow*>(A.Rows.Add())->Key = 13;
    const TBytes Expected{
        5, 'C', 'o', 'u', 'n', 't', vaInt8, 5,                          // the smallest integer
        9, 'P', 'e', 'n', '.', 'W', 'i', 'd', 't', 'h', vaInt8, 2,      // a part's property
        4, 'R', 'o', 'w', 's', vaCollection,                            // a collection of one item
        vaList, 3, 'K', 'e', 'y', vaIdent, 7, 'k', 'c', 'E', 'n', 't', 'e', 'r', vaNull, // a named integer
        vaNull,                                                         // the end of the collection
        vaNull,                                                         // the end of the list
    };
    EXPECT_EQ(BytesOf(A), Expected);
}

TEST(Filer, DamagedStreamsAreRefusedWithAReason) {
    TSample A;
    A.Title = String(300, u'x');
    const TBytes Good = BytesOf(A);
    const struct {
        const char* Name;
        TBytes Bytes;
        const char16_t* Message;
    } Cases[] = {
        {"an unknown property", {3, 'F', 'o', 'o', vaInt8, 1, vaNull}, u"Property Foo does not exist"},
        {"an unknown part", {5, 'X', '.', 'F', 'o', 'o', vaInt8, 1, vaNull}, u"Property X.Foo does not exist"},
        {"a text for a number", {5, 'C', 'o', 'u', 'n', 't', vaString, 1, 'a', vaNull}, u"Invalid property value"},
        {"an unknown enumeration value", {5, 'S', 'h', 'a', 'd', 'e', vaIdent, 2, 'n', 'o', vaNull},
         u"Invalid property value"},
        {"a value type beyond the known ones", {5, 'C', 'o', 'u', 'n', 't', 99, vaNull}, u"Invalid property value"},
        {"a text cut short", TBytes(Good.begin(), Good.begin() + 40), u"Stream read error"},
        {"a list without its end", TBytes(Good.begin(), Good.end() - 1), u"Stream read error"},
    };
    for (const auto& C : Cases) {
        TSample B;
        try {
            ReadInto(C.Bytes, B);
            ADD_FAILURE() << C.Name << ": read without complaint";
        } catch (const EReadError& E) {
            EXPECT_EQ(E.Message(), C.Message) << C.Name;
        }
    }
}

TEST(Filer, AValueCanBePassedOver) {
    TSample A;
    A.Count = 70000;
    A.Shades = {shMedium};
    A.Title = u"\u00E9";
    static_cast<TRow*>(A.Rows.Add())->Caption = u"c";
    const TBytes Bytes = BytesOf(A);
    TBytesStream S(Bytes);
    TReader R(&S);
    int Names = 0;
    while (!R.EndOfList()) {
        // A name, then its value skipped whatever its form.
        Byte N = 0;
        S.ReadBuffer(&N, 1);
        S.Seek(N, soFromCurrent);
        R.SkipValue();
        ++Names;
    }
    R.ReadListEnd();
    EXPECT_EQ(Names, 4);
    EXPECT_EQ(S.Position(), S.Size());
}
