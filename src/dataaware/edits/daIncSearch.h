#pragma once
// The incremental search edit: once the user pauses typing, it moves a dataset to the first
// record whose search field begins with the text, by the cheapest means the dataset offers, and
// can complete the text from the record found.

#include "dataaware/foundation/daEditFrame.h"
#include "platform/data/DB.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Graphics.h"

class TdaIncrementalSearch;

DECLARE_ENUM(TdaSearchCaseSensitivity, Byte, dacsAutoDetect, dacsCaseSensitive, dacsCaseInsensitive)
using TdaAfterSearchEvent = std::function<void(TdaIncrementalSearch* Sender, bool MatchFound)>;
using TdaPerformSearchEvent = std::function<void(TObject* Sender, TDataSet* LookupTable, const String& SearchField,
                                                 const String& SearchValue, bool PerformLookup, bool& Found)>;

class TdaIncrementalSearch : public TCustomEdit {
    DECLARE_CLASS(TdaIncrementalSearch, TCustomEdit)
public:
    explicit TdaIncrementalSearch(TComponent* AOwner);
    ~TdaIncrementalSearch() override;

    TDataSource* DataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(TDataSource* Value) { FDataLink->SetDataSource(Value); }
    const String& SearchField() const { return FSearchField; }
    void SetSearchField(const String& ASearchField) { FSearchField = ASearchField; }
    bool ShowMatchText() const { return FShowMatchText; }
    void SetShowMatchText(bool Value) { FShowMatchText = Value; }
    const String& PictureMask() const { return FPictureMask; }
    void SetPictureMask(const String& Value) { FPictureMask = Value; }
    bool PictureMaskAutoFill() const { return FPictureMaskAutoFill; }
    void SetPictureMaskAutoFill(bool Value) { FPictureMaskAutoFill = Value; }
    bool PictureMaskFromField() const { return FPictureMaskFromField; }
    void SetPictureMaskFromField(bool Value) { FPictureMaskFromField = Value; }
    int SearchDelay() const { return FSearchDelay; }
    void SetSearchDelay(int Value) { FSearchDelay = Value; }
    TdaSearchCaseSensitivity CaseSensitivity() const { return FCaseSensitivity; }
    void SetCaseSensitivity(TdaSearchCaseSensitivity Value) { FCaseSensitivity = Value; }
    TdaEditFrame* Frame() const { return FFrame.get(); }
    void SetFrame(TdaEditFrame* Value) { FFrame->Assign(Value); }
    TComponent* Controller() const { return FController; }
    void SetController(TComponent* Value);
    bool DisableThemes() const { return FDisableThemes; }
    void SetDisableThemes(bool Value) { FDisableThemes = Value; }
    TTimer* DelayTimer() const { return FTimer; }
    TdaAfterSearchEvent OnAfterSearch;
    TdaPerformSearchEvent OnPerformCustomSearch;
    // The text of the last search.
    String LastValue;

    void FindValue();
    void OnEditTimerEvent(TObject* Sender);
    void Clear();
    // The field the typed text is searched in now; empty without an active dataset.
    String EffectiveSearchField();

    virtual void SetEditRect();
    virtual void DoPerformCustomSearch(const String& ASearchField, const String& SearchValue, bool& Found,
                                       bool PerformLookup);

protected:
    void KeyUp(Word& Key, TShiftState Shift) override;
    void KeyPress(Char& Key) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CreateParams(TCreateParams& Params) override;
    void WndProc(TMessage& Message) override;

private:
    std::unique_ptr<TDataLink> FDataLink;
    int FTimerInterval = 200;
    TTimer* FTimer;
    bool FShowMatchText = false;
    String FSearchField;
    String FPictureMask;
    bool FPictureMaskAutoFill = true;
    bool FPictureMaskFromField = false;
    std::unique_ptr<TdaEditFrame> FFrame;
    bool FFocused = false;
    std::unique_ptr<TControlCanvas> FCanvas; // made on the first frame painting
    int FSearchDelay = 0;
    TdaSearchCaseSensitivity FCaseSensitivity = dacsAutoDetect;
    TComponent* FController = nullptr;
    bool FDisableThemes = false;

    static void Published(TPublisher<TdaIncrementalSearch>& P);
};
