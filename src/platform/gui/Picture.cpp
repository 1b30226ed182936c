// TPicture: one graphic of any registered kind, chosen by file extension or by content.
#include "platform/gui/Graphics.h"

#include "platform/base/Files.h"
#include "platform/base/Format.h"
#include "platform/base/Streams.h"
#include "platform/base/Strings.h"

#include <mutex>

namespace {

struct TFileFormat {
    String Extension; // lower case, without the dot
    String Description;
    TGraphicClass Class;
};

std::mutex FormatsLock;

std::vector<TFileFormat>& Formats() {
    static std::vector<TFileFormat> List = {
        {u"bmp", u"Bitmaps", TBitmap::StaticClass()},
        {u"png", u"Portable Network Graphics", TPngImage::StaticClass()},
        {u"jpg", u"JPEG Image File", TJPEGImage::StaticClass()},
        {u"jpeg", u"JPEG Image File", TJPEGImage::StaticClass()},
        {u"ico", u"Icons", TIcon::StaticClass()},
    };
    return List;
}

String NormalExt(const String& Extension) {
    String E = LowerCase(Extension);
    if (!E.empty() && E[0] == u'.') E.erase(0, 1);
    return E;
}

TGraphic* NewGraphic(TGraphicClass Class) {
    std::unique_ptr<TObject> Object(Class->Create());
    auto* Graphic = dynamic_cast<TGraphic*>(Object.get());
    if (!Graphic) throw EInvalidGraphic(Format(u"%s is not a graphic class", {Class->ClassName()}));
    Object.release();
    return Graphic;
}

// The kind of picture that a stream's first bytes announce.
TGraphicClass ClassOfContent(const TBytes& Head) {
    auto Starts = [&](std::initializer_list<int> Sig) {
        if (Head.size() < Sig.size()) return false;
        size_t I = 0;
        for (int B : Sig)
            if (Head[I++] != B) return false;
        return true;
    };
    if (Starts({'B', 'M'})) return TBitmap::StaticClass();
    if (Starts({0x89, 'P', 'N', 'G'})) return TPngImage::StaticClass();
    if (Starts({0xFF, 0xD8})) return TJPEGImage::StaticClass();
    if (Starts({0, 0, 1, 0})) return TIcon::StaticClass();
    return nullptr;
}

} // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::RegisterFileFormat(const String& Extension, const String& Description,
                                  TGraphicClass GraphicClass) {
    std::lock_guard<std::mutex> Guard(FormatsLock);
    const String E = NormalExt(Extension);
    for (TFileFormat& F : Formats())
        if (F.Extension == E) {
            F.Description = Description;
            F.Class = GraphicClass;
            return;
        }
    Formats().push_back({E, Description, GraphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass GraphicClass) {
    std::lock_guard<std::mutex> Guard(FormatsLock);
    auto& List = Formats();
    std::erase_if(List, [&](const TFileFormat& F) { return F.Class->InheritsFrom(GraphicClass); });
}

TGraphicClass TPicture::FileFormatClass(const String& Extension) {
    std::lock_guard<std::mutex> Guard(FormatsLock);
    const String E = NormalExt(Extension);
    for (const TFileFormat& F : Formats())
        if (F.Extension == E) return F.Class;
    return nullptr;
}

String TPicture::GraphicFilter(TGraphicClass GraphicClass) {
    std::lock_guard<std::mutex> Guard(FormatsLock);
    String Masks, Parts;
    for (const TFileFormat& F : Formats()) {
        if (GraphicClass && !F.Class->InheritsFrom(GraphicClass)) continue;
        const String Mask = u"*." + F.Extension;
        if (!Masks.empty()) Masks += u";";
        Masks += Mask;
        Parts += u"|" + F.Description + u" (" + Mask + u")|" + Mask;
    }
    if (Masks.empty()) return String();
    return u"All (" + Masks + u")|" + Masks + Parts;
}

void TPicture::TakeGraphic(TGraphic* NewGraphic) {
    FGraphic.reset(NewGraphic);
    if (FGraphic) FGraphic->OnChange = [this](TObject*) { Changed(this); };
    Changed(this);
}

void TPicture::Changed(TObject* /*Sender*/) {
    if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
    if (!Value) {
        TakeGraphic(nullptr);
        return;
    }
    std::unique_ptr<TGraphic> Copy(NewGraphic(Value->ClassType()));
    Copy->Assign(Value);
    TakeGraphic(Copy.release());
}

void TPicture::Assign(TPersistent* Source) {
    if (!Source) {
        SetGraphic(nullptr);
    } else if (auto* Picture = dynamic_cast<TPicture*>(Source)) {
        if (Picture != this) SetGraphic(Picture->Graphic());
    } else if (auto* Graphic = dynamic_cast<TGraphic*>(Source)) {
        SetGraphic(Graphic);
    } else {
        TPersistent::Assign(Source);
    }
}

TBitmap* TPicture::Bitmap() {
    auto* B = dynamic_cast<TBitmap*>(FGraphic.get());
    if (!B) {
        B = new TBitmap();
        TakeGraphic(B);
    }
    return B;
}

TIcon* TPicture::Icon() {
    auto* I = dynamic_cast<TIcon*>(FGraphic.get());
    if (!I) {
        I = new TIcon();
        TakeGraphic(I);
    }
    return I;
}

int TPicture::Width() const {
    return FGraphic ? FGraphic->Width() : 0;
}
int TPicture::Height() const {
    return FGraphic ? FGraphic->Height() : 0;
}

void TPicture::LoadFromFile(const String& FileName) {
    const String Ext = ExtractFileExt(FileName);
    TGraphicClass Class = FileFormatClass(Ext);
    if (!Class) throw EInvalidGraphic(Format(u"Unknown picture file extension (%s)", {Ext}));
    std::unique_ptr<TGraphic> New(NewGraphic(Class));
    New->LoadFromFile(FileName);
    TakeGraphic(New.release());
}

void TPicture::SaveToFile(const String& FileName) {
    if (!FGraphic) return;
    const String Ext = ExtractFileExt(FileName);
    TGraphicClass Class = FileFormatClass(Ext);
    if (!Class) throw EInvalidGraphic(Format(u"Unknown picture file extension (%s)", {Ext}));
    if (FGraphic->ClassType() == Class) {
        FGraphic->SaveToFile(FileName);
        return;
    }
    // Another kind for this extension: the picture is converted for writing.
    std::unique_ptr<TGraphic> Converted(NewGraphic(Class));
    Converted->Assign(FGraphic.get());
    Converted->SaveToFile(FileName);
}

void TPicture::LoadFromStream(TStream* Stream) {
    if (!Stream) throw EInvalidGraphic(u"No stream to read the picture from");
    const Int64 Start = Stream->Position();
    TBytes Head(8);
    Head.resize(size_t(Stream->Read(Head.data(), Int64(Head.size()))));
    Stream->SetPosition(Start);
    TGraphicClass Class = ClassOfContent(Head);
    if (!Class) Class = TBitmap::StaticClass(); // whatever else Qt can read
    std::unique_ptr<TGraphic> New(NewGraphic(Class));
    New->LoadFromStream(Stream);
    TakeGraphic(New.release());
}

void TPicture::SaveToStream(TStream* Stream) {
    if (FGraphic) FGraphic->SaveToStream(Stream);
}
