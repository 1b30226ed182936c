// Bitmaps: pixel formats and row layouts, files (BMP, PNG, JPEG, ICO) and pictures.
#include "support/GraphicsTestSupport.h"

#include "platform/base/Streams.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <cstring>

namespace {

// Red, blue, white in the top row; green, black, white below.
std::unique_ptr<TBitmap> Sample(TPixelFormat Format) {
    auto B = std::make_unique<TBitmap>();
    B->SetPixelFormat(Format);
    B->SetSize(3, 2);
    TCanvas* C = B->Canvas();
    C->SetPixels(0, 0, clRed);
    C->SetPixels(1, 0, clBlue);
    C->SetPixels(0, 1, clLime);
    C->SetPixels(1, 1, clBlack);
    return B;
}

void ExpectSample(TBitmap* B, const std::string& What) {
    ExpectPixels(
        B->Canvas(),
        {{0, 0, clRed}, {1, 0, clBlue}, {2, 0, clWhite}, {0, 1, clLime}, {1, 1, clBlack}, {2, 1, clWhite}},
        What);
}

std::string Hex(const void* Data, int Count) {
    std::string S;
    char Buf[4];
    for (int I = 0; I < Count; ++I) {
        std::snprintf(Buf, sizeof Buf, "%02X", static_cast<const Byte*>(Data)[I]);
        if (I) S += ' ';
        S += Buf;
    }
    return S;
}

} // namespace

TEST(Bitmap, ScanLinesHaveTheWindowsByteOrder) {
    struct Row {
        TPixelFormat Format;
        int RowBytes;
        const char* FirstRow; // the bytes of the used pixels of row 0
        int Bytes;
        int GreenAt;             // where pixel (2, 1) starts in row 1
        std::vector<Byte> Green; // a dark green (0, 128, 0) there
    };
    // clang-format off
    const Row Rows[] = {
        {pf24bit, 12, "00 00 FF FF 00 00 FF FF FF", 9, 6, {0, 0x80, 0}},                 // B,G,R
        {pf32bit, 12, "00 00 FF FF FF 00 00 FF FF FF FF FF", 12, 8, {0, 0x80, 0, 0xFF}}, // B,G,R,A
        {pfDevice, 12, "00 00 FF FF FF 00 00 FF FF FF FF FF", 12, 8, {0, 0x80, 0, 0xFF}},
        {pf16bit, 8, "00 F8 1F 00 FF FF", 6, 4, {0x00, 0x04}}, // 5-6-5 words, little-endian
        {pf15bit, 8, "00 7C 1F 00 FF 7F", 6, 4, {0x00, 0x02}}, // 5-5-5
        {pf8bit, 4, "09 0C 0F", 3, 2, {2}},                    // indexes: red 9, blue 12, white 15
        {pf4bit, 4, "9C F0", 2, 1, {0x20}},                    // two per byte, high nibble first
    };
    // clang-format on
    for (const Row& R : Rows) {
        SCOPED_TRACE(U8(GetEnumName(TypeInfo<TPixelFormat>(), R.Format)));
        auto B = Sample(R.Format);
        EXPECT_EQ(B->PixelFormat(), R.Format);
        EXPECT_EQ(B->RowBytes(), R.RowBytes);
        std::string Got = Hex(B->ScanLine(0), R.Bytes);
        if (R.Format == pf4bit) Got = Got.substr(0, 4) + "0"; // the unused nibble is not ours
        EXPECT_EQ(Got, R.FirstRow);
        // Writing through the row pointer changes the pixel.
        Byte* Row1 = static_cast<Byte*>(B->ScanLine(1));
        std::copy(R.Green.begin(), R.Green.end(), Row1 + R.GreenAt);
        const TColorRef Green = ColorToRGB(B->Canvas()->Pixels(2, 1));
        EXPECT_EQ(GetRValue(Green), 0);
        EXPECT_NEAR(GetGValue(Green), 0x80, 4);
        EXPECT_EQ(GetBValue(Green), 0);
        ExpectPixels(B->Canvas(), {{0, 0, clRed}, {1, 0, clBlue}, {0, 1, clLime}}, "kept");
    }
    // Monochrome: eight pixels per byte, most significant bit first, 1 = white.
    TBitmap Mono(3, 1);
    Mono.SetMonochrome(true);
    EXPECT_EQ(Mono.PixelFormat(), pf1bit);
    Mono.Canvas()->SetPixels(1, 0, clBlack);
    EXPECT_EQ(static_cast<Byte*>(Mono.ScanLine(0))[0] & 0xE0, 0xA0);
    EXPECT_EQ(Mono.RowBytes(), 4);
    EXPECT_THROW(Mono.ScanLine(1), EInvalidGraphicOperation);
    EXPECT_THROW(Mono.ScanLine(-1), EInvalidGraphicOperation);
    EXPECT_THROW(Mono.SetPixelFormat(pfCustom), EInvalidGraphic);
}

TEST(Bitmap, SizeKeepsPixelsAndNewOnesAreWhite) {
    auto B = Sample(pf24bit);
    B->SetSize(5, 4);
    ExpectPixels(B->Canvas(), {{0, 0, clRed}, {1, 1, clBlack}, {4, 3, clWhite}, {3, 0, clWhite}}, "grown");
    B->SetWidth(1);
    EXPECT_EQ(B->Width(), 1);
    EXPECT_EQ(B->Height(), 4);
    B->SetPixelFormat(pf8bit);
    ExpectPixels(B->Canvas(), {{0, 0, clRed}, {0, 1, clLime}}, "converted");
    TBitmap Copy;
    Copy.Assign(B.get());
    EXPECT_EQ(Copy.PixelFormat(), pf8bit);
    // The copy is its own: drawing on it leaves the original.
    Copy.Canvas()->SetPixels(0, 0, clBlue);
    ExpectPixels(B->Canvas(), {{0, 0, clRed}}, "original");
    Copy.Assign(nullptr);
    EXPECT_TRUE(Copy.Empty());
}

TEST(Bitmap, ASizeBeyondReasonIsRefusedBeforeAnyAllocationAndTheOldPictureStays) {
    struct TCase {
        int Width, Height;
    };
    const TCase Cases[] = {{-1, 4},
                           {4, -1},
                           {INT32_MIN, INT32_MIN},
                           {INT32_MAX, INT32_MAX},
                           {70000, 70000},
                           {1 << 16, 1 << 14 | 1},
                           {INT32_MAX, 1}};
    for (const TCase& C : Cases) {
        SCOPED_TRACE(testing::Message() << C.Width << " x " << C.Height);
        auto B = Sample(pf24bit);
        try {
            B->SetSize(C.Width, C.Height);
            ADD_FAILURE() << "no error";
        } catch (const EInvalidGraphic& E) {
            EXPECT_NE(E.Message().find(u"bitmap size"), String::npos) << StringToUtf8(E.Message());
        }
        EXPECT_EQ(B->Width(), 3);
        EXPECT_EQ(B->Height(), 2);
        ExpectPixels(B->Canvas(), {{0, 0, clRed}, {1, 1, clBlack}}, "kept");
        EXPECT_THROW(B->SetWidth(C.Width < 0 ? C.Width : INT32_MAX), EInvalidGraphic);
    }
}

TEST(Bitmap, BmpFilesKeepEveryPixelFormat) {
    TTempFolder Dir;
    for (TPixelFormat F : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
        SCOPED_TRACE(U8(GetEnumName(TypeInfo<TPixelFormat>(), F)));
        auto B = Sample(F);
        const String File = Dir / "sample.bmp";
        B->SaveToFile(File);
        const std::string Bytes = ReadBytes(Dir.Sys("sample.bmp"));
        ASSERT_GT(Bytes.size(), 54u);
        EXPECT_EQ(Bytes.substr(0, 2), "BM");
        TBitmap Back;
        Back.LoadFromFile(File);
        EXPECT_EQ(Back.PixelFormat(), F);
        EXPECT_EQ(Back.Width(), 3);
        EXPECT_EQ(Back.Height(), 2);
        if (F == pf1bit) // red, blue and green are nearer to black than to white
            ExpectPixels(
                Back.Canvas(),
                {{0, 0, clBlack}, {1, 0, clBlack}, {2, 0, clWhite}, {0, 1, clBlack}, {2, 1, clWhite}});
        else
            ExpectSample(&Back, "read back");
    }
}

TEST(Bitmap, PngKeepsAlphaAndJpegComesBackClose) {
    TTempFolder Dir;
    TPngImage Png;
    Png.SetPixelFormat(pf32bit);
    Png.SetAlphaFormat(afDefined);
    Png.SetSize(4, 4);
    Png.Canvas()->Brush()->SetColor(clRed);
    Png.Canvas()->FillRect(Rect(0, 0, 4, 4));
    static_cast<Byte*>(Png.ScanLine(0))[3] = 128; // half transparent top-left pixel
    Png.SaveToFile(Dir / "a.png");
    EXPECT_EQ(ReadBytes(Dir.Sys("a.png")).substr(1, 3), "PNG");
    TPicture Picture;
    Picture.LoadFromFile(Dir / "a.png");
    auto* Back = dynamic_cast<TPngImage*>(Picture.Graphic());
    ASSERT_NE(Back, nullptr);
    EXPECT_EQ(Back->PixelFormat(), pf32bit);
    EXPECT_EQ(Back->AlphaFormat(), afDefined);
    const Byte* Px = static_cast<Byte*>(Back->ScanLine(0));
    EXPECT_EQ(Hex(Px, 8), "00 00 FF 80 00 00 FF FF");

    // JPEG under both extensions; lossy, so colours come back close.
    for (const char* Name : {"b.jpg", "c.jpeg"}) {
        TPicture Red;
        auto* B = Red.Bitmap();
        B->SetSize(32, 32);
        B->Canvas()->Brush()->SetColor(RGB(200, 40, 40));
        B->Canvas()->FillRect(Rect(0, 0, 32, 32));
        Red.SaveToFile(Dir / Name);
        EXPECT_EQ(ReadBytes(Dir.Sys(Name)).substr(0, 2), "\xFF\xD8");
        TPicture Loaded;
        Loaded.LoadFromFile(Dir / Name);
        auto* J = dynamic_cast<TJPEGImage*>(Loaded.Graphic());
        ASSERT_NE(J, nullptr) << Name;
        EXPECT_EQ(J->Width(), 32);
        const TColorRef C = ColorToRGB(J->Canvas()->Pixels(16, 16));
        EXPECT_NEAR(GetRValue(C), 200, 8);
        EXPECT_NEAR(GetGValue(C), 40, 8);
        EXPECT_NEAR(GetBValue(C), 40, 8);
    }
}

TEST(Bitmap, PicturesChooseTheirKindByExtensionOrContent) {
    TTempFolder Dir;
    auto B = Sample(pf24bit);
    B->SaveToFile(Dir / "s.bmp");
    // A bitmap saved under ".png" by a picture becomes a PNG file.
    TPicture P;
    P.LoadFromFile(Dir / "s.bmp");
    EXPECT_EQ(U8(P.Graphic()->ClassName()), "TBitmap");
    int Changes = 0;
    P.OnChange = [&](TObject*) { ++Changes; };
    P.SaveToFile(Dir / "s.png");
    EXPECT_EQ(ReadBytes(Dir.Sys("s.png")).substr(1, 3), "PNG");
    P.Bitmap()->Canvas()->SetPixels(2, 1, clRed);
    EXPECT_EQ(Changes, 1) << "drawing on the picture's bitmap tells the picture";

    // From a stream: recognised by its first bytes.
    TFileStream In(Dir / "s.png", fmOpenRead);
    TPicture FromStream;
    FromStream.LoadFromStream(&In);
    EXPECT_EQ(U8(FromStream.Graphic()->ClassName()), "TPngImage");
    ExpectSample(FromStream.Bitmap(), "png read back");

    // Unknown extensions and broken files leave the picture as it was.
    try {
        P.LoadFromFile(Dir / "s.xyz");
        FAIL();
    } catch (const EInvalidGraphic& E) {
        EXPECT_EQ(U8(E.Message()), "Unknown picture file extension (.xyz)");
    }
    WriteBytes(Dir.Sys("broken.png"), "not a picture at all");
    EXPECT_THROW(P.LoadFromFile(Dir / "broken.png"), EInvalidGraphic);
    EXPECT_EQ(P.Width(), 3);
    EXPECT_THROW(P.LoadFromFile(Dir / "missing.bmp"), EFOpenError);
    EXPECT_EQ(U8(TPicture::GraphicFilter(TBitmap::StaticClass()).substr(0, 28)),
              "All (*.bmp;*.png;*.jpg;*.jpe");
    EXPECT_EQ(TPicture::FileFormatClass(u".JPEG"), TJPEGImage::StaticClass());
}

TEST(Bitmap, IconsKeepTheirTransparency) {
    TTempFolder Dir;
    TBitmap Face(16, 16);
    Face.SetPixelFormat(pf32bit);
    Face.Canvas()->Brush()->SetColor(clBlue);
    Face.Canvas()->FillRect(Rect(4, 4, 12, 12));
    Face.SetTransparent(true); // white around the blue square
    TIcon Icon;
    Icon.Assign(&Face);
    EXPECT_EQ(Icon.Width(), 16);
    EXPECT_THROW(Icon.SetWidth(32), EInvalidGraphicOperation);
    Icon.SaveToFile(Dir / "i.ico");
    TPicture P;
    P.LoadFromFile(Dir / "i.ico");
    ASSERT_NE(dynamic_cast<TIcon*>(P.Graphic()), nullptr);
    auto Target = NewCanvasBitmap(20, 20, clYellow);
    Target->Canvas()->Draw(2, 2, P.Graphic());
    ExpectPixels(Target->Canvas(), {{2, 2, clYellow}, {10, 10, clBlue}, {17, 17, clYellow}});
}

TEST(Bitmap, StandardIconsAreDistinctPicturesWithTransparency) {
    std::vector<std::vector<TColor>> Seen;
    for (int Id : {IDI_APPLICATION, IDI_ERROR, IDI_QUESTION, IDI_WARNING, IDI_INFORMATION}) {
        TIcon Icon;
        Icon.LoadStandardIcon(Id);
        ASSERT_EQ(Icon.Width(), 32) << Id;
        ASSERT_EQ(Icon.Height(), 32) << Id;
        // Drawn on two backgrounds: the corners show them (transparent), the middle does not.
        std::vector<TColor> Pixels;
        for (TColor Back : {clYellow, clLime}) {
            auto Target = NewCanvasBitmap(32, 32, Back);
            Target->Canvas()->Draw(0, 0, &Icon);
            EXPECT_EQ(Target->Canvas()->Pixels(0, 0), Back) << Id;
            for (int Y = 8; Y < 24; Y += 4)
                for (int X = 8; X < 24; X += 4) Pixels.push_back(Target->Canvas()->Pixels(X, Y));
        }
        EXPECT_TRUE(std::find(Seen.begin(), Seen.end(), Pixels) == Seen.end()) << Id;
        Seen.push_back(Pixels);
    }
    TIcon Icon;
    EXPECT_THROW(Icon.LoadStandardIcon(1), EInvalidGraphic);
}

TEST(Bitmap, ThemeIconsComeFromTheDesktopsThemeWithTheirAlpha) {
    // Debian's desktop theme (scripts/setup installs it) holds the common command icons.
    std::vector<std::vector<TColor>> Seen;
    for (const char16_t* Name : {u"document-open", u"document-save", u"edit-find"}) {
        for (int Size : {16, 24}) {
            TBitmap B;
            ASSERT_TRUE(LoadThemeIcon(&B, Name, Size)) << U8(Name);
            ASSERT_EQ(B.Width(), Size);
            ASSERT_EQ(B.Height(), Size);
            EXPECT_EQ(B.PixelFormat(), pf32bit);
            EXPECT_EQ(B.AlphaFormat(), afDefined);
            // Drawn on two backgrounds: a corner shows them, the middle shows the picture.
            std::vector<TColor> Pixels;
            int Painted = 0;
            for (TColor Back : {clYellow, clLime}) {
                auto Target = NewCanvasBitmap(Size, Size, Back);
                Target->Canvas()->Draw(0, 0, &B);
                EXPECT_EQ(Target->Canvas()->Pixels(0, 0), Back) << U8(Name);
                for (int Y = 0; Y < Size; ++Y)
                    for (int X = 0; X < Size; ++X) {
                        const TColor P = Target->Canvas()->Pixels(X, Y);
                        if (Back == clYellow) Pixels.push_back(P);
                        if (P != Back) ++Painted;
                    }
            }
            EXPECT_GT(Painted, Size * Size / 8) << U8(Name);
            if (Size == 24) {
                EXPECT_TRUE(std::find(Seen.begin(), Seen.end(), Pixels) == Seen.end()) << U8(Name);
                Seen.push_back(Pixels);
            }
        }
    }
    // A name no theme has leaves the bitmap as it was.
    TBitmap Kept(5, 5);
    EXPECT_FALSE(LoadThemeIcon(&Kept, u"no-such-icon-anywhere", 16));
    EXPECT_EQ(Kept.Width(), 5);
    EXPECT_FALSE(LoadThemeIcon(&Kept, u"document-open", 0));
}

TEST(Bitmap, WorksWithoutTheGuiApplication) {
    TTempFolder Dir;
    const String File = Dir / "plain.bmp";
    // In a child process that has ended its application object (main's, on the stack; the
    // child leaves through _exit, so it is not ended twice). The threads of Qt's pool (large
    // image conversions of earlier tests start them) are ended first: a forked child has none
    // of them and would wait for them forever.
    QThreadPool::globalInstance()->waitForDone();
    const int Code = RunInChild([&] {
        QCoreApplication::instance()->~QCoreApplication();
        if (QCoreApplication::instance()) return 1;
        TBitmap B(20, 10);
        TCanvas* C = B.Canvas();
        C->Brush()->SetColor(clRed);
        C->Rectangle(0, 0, 10, 10);
        C->MoveTo(12, 0);
        C->LineTo(12, 10);
        if (C->Pixels(5, 5) != clRed || C->Pixels(0, 0) != clBlack || C->Pixels(12, 5) != clBlack) return 2;
        try {
            C->TextOut(0, 0, u"x");
            return 3;
        } catch (const EInvalidOperation&) {
        }
        B.SaveToFile(File);
        TBitmap Back;
        Back.LoadFromFile(File);
        return Back.Canvas()->Pixels(5, 5) == clRed ? 0 : 4;
    });
    EXPECT_EQ(Code, 0);
}
