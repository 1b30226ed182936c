#pragma once
// The data navigator: a panel of buttons that move through and edit the records of a dataset
// and open the library's dialogs on it. Each button is a control of its own (owned by the form,
// parented by the navigator), so that buttons can be added, removed, reordered and given their
// own glyphs, captions, hints and meaning; the navigator lays them out, follows the dataset to
// enable them and keeps one saved bookmark per dataset.

#include "dataaware/foundation/daCustomDialog.h"
#include "dataaware/foundation/daSpeedButton.h"
#include "platform/base/Lists.h"
#include "platform/base/Set.h"
#include "platform/data/DB.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/ImgList.h"

#include <memory>
#include <vector>

class TdaDBNavigator;
class TdaNavButton;
class TdaNavButtons;

DECLARE_ENUM(TdaNavButtonStyle, Byte, nbsFirst, nbsPrior, nbsNext, nbsLast, nbsInsert, nbsDelete, nbsEdit, nbsPost,
             nbsCancel, nbsRefresh, nbsPriorPage, nbsNextPage, nbsSaveBookmark, nbsRestoreBookmark, nbsFilterDialog,
             nbsRecordViewDialog, nbsLocateDialog, nbsSearchDialog, nbsCustom)
// The dialog classes' names map to these values ("TdaLocateDialog": nbsLocateDialog).
using TdaNavButtonDlgStyle = TdaNavButtonStyle;
using TdaNavButtonNavStylesEx = TSet<TdaNavButtonStyle>;
DECLARE_ENUM(TdaNavAutoSizeStyle, Byte, asSizeNavigator, asSizeNavButtons, asNone)
DECLARE_ENUM(TdaNavLayout, Byte, nlHorizontal, nlVertical)
DECLARE_ENUM(TdaNavOption, Byte, noConfirmDelete, noUseInternationalText)
using TdaNavOptions = TSet<TdaNavOption>;
DECLARE_ENUM(TdaUpdateCause, Byte, usDataChanged, usEditingChanged, usActiveChanged, usOther)

// The design-time collection editor's view of the buttons (the editor itself is not part of
// the program; the interfaces are kept so that one can be attached).
class IdaCollectionItem;
class IdaCollection {
public:
    virtual ~IdaCollection() = default;
    virtual int GetCount() = 0;
    virtual IdaCollectionItem* GetItem(int Index) = 0;
    virtual IdaCollectionItem* AddItem() = 0;
    virtual void BeginUpdate() = 0;
    virtual void Clear() = 0;
    virtual void EndUpdate() = 0;
    virtual void SetDesigner(TControl* Designer) = 0;
};

using TdaUpdateNameEvent = std::function<void(IdaCollectionItem* Item)>;
using TdaSelectionMethod = std::function<void(IdaCollectionItem* Item)>;

class IdaCollectionItem {
public:
    virtual ~IdaCollectionItem() = default;
    virtual IdaCollection* GetCollection() = 0;
    virtual String GetDisplayName() = 0;
    virtual int GetIndex() = 0;
    virtual TPersistent* GetInstance() = 0;
    virtual void SetIndex(int Value) = 0;
    virtual void SetOnUpdateName(TdaUpdateNameEvent Value) = 0;
    virtual void SetSelectionMethod(TdaSelectionMethod Value) = 0;
};

using TdaUpdateStateEvent = std::function<void(TdaDBNavigator* Navigator, TdaNavButton* Button, TdaUpdateCause Cause)>;
using TdaCustomDialogEvent = std::function<void(TdaCustomDialog* Dialog)>;

// ---- The button --------------------------------------------------------------------------------

class TdaNavButton : public TdaSpeedButton, public IdaCollectionItem {
    DECLARE_CLASS(TdaNavButton, TdaSpeedButton)
public:
    explicit TdaNavButton(TComponent* AOwner);
    ~TdaNavButton() override;

    TdaDBNavigator* Navigator() { return ReadNavigator(); }
    TdaNavButtons* NavButtons() { return ReadNavButtons(); }
    int Index() { return ReadIndex(); }
    void SetIndex(int Value) override { WriteIndex(Value); }
    bool LineBreak() const { return FLineBreak; }
    void SetLineBreak(bool Value) { WriteLineBreak(Value); }
    TdaNavButtonStyle Style() const { return FStyle; }
    void SetStyle(TdaNavButtonStyle Value) { WriteNavStyle(Value); }
    TdaCustomDialog* Dialog() const { return FDialog; }
    void SetDialog(TdaCustomDialog* Value) { WriteDialog(Value); }
    // The repeat timer while a repeating button is held; null otherwise.
    TTimer* RepeatTimer() const { return FTimer; }

    TNotifyEvent OnRowChanged;
    TdaUpdateStateEvent OnUpdateState;
    TdaCustomDialogEvent OnAfterCreateDialog;

    // Set by the button set that made the button.
    void SetNavButtons(TdaNavButtons* Value) { FNavButtons = Value; }

    // The dialog a dialog-style button runs for the dataset: its own, one of the dataset's or
    // the navigator's, or a new one; null for other styles, at design time, and when no dialog
    // class of the style is registered in the program.
    TdaCustomDialog* GetDialog(TDataSet* DataSet);
    static TClass DialogClassOf(TdaNavButtonStyle Style);
    // -1 for a class name that names no dialog style.
    static int DialogStyleOf(const String& ClassName);
    static bool StyleRepeats(TdaNavButtonStyle Style);

    virtual int ReadIndex();
    virtual TdaNavButtons* ReadNavButtons();
    virtual TdaDBNavigator* ReadNavigator();
    virtual void WriteDialog(TdaCustomDialog* Value);
    virtual void WriteIndex(int Value);
    virtual void WriteLineBreak(bool Value);
    virtual void WriteNavStyle(TdaNavButtonStyle Value);
    virtual void GetDefaultHint(String& Hint);
    virtual void StopRepeat();
    virtual void StartRepeat();
    virtual void RepeatTimerTick(TObject* Sender);
    virtual void SetDefaultName();
    virtual void SetDefaultGlyph();
    virtual void UpdateState(TdaUpdateCause Cause);
    virtual bool IsVisible();
    virtual void PaintTransparentBackground();

    void Loaded() override;
    void SetName(const String& Value) override;
    void SetParent(TWinControl* AParent) override;
    void Click() override;

    // IdaCollectionItem
    IdaCollection* GetCollection() override;
    String GetDisplayName() override { return Name(); }
    int GetIndex() override { return ReadIndex(); }
    TPersistent* GetInstance() override { return this; }
    void SetOnUpdateName(TdaUpdateNameEvent Value) override { FOnUpdateName = std::move(Value); }
    void SetSelectionMethod(TdaSelectionMethod Value) override { FSelectionMethod = std::move(Value); }

protected:
    int ReadImageIndex() const override;
    void WriteImageIndex(int Value) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    void CMEnabledChanged(TMessage& Message) override;

private:
    TdaUpdateNameEvent FOnUpdateName;
    TdaSelectionMethod FSelectionMethod;
    TdaNavButtons* FNavButtons = nullptr;
    TTimer* FTimer = nullptr;
    // A timer stopped from inside its own tick; freed at the next chance.
    TTimer* FSpentTimer = nullptr;
    bool FInTick = false;
    bool FLineBreak = false;
    TdaCustomDialog* FDialog = nullptr;
    TdaNavButtonStyle FStyle = nbsFirst;

    void FreeSpentTimer();
    bool NavigatorPaintsTransparently();
    static void Published(TPublisher<TdaNavButton>& P);
};

// ---- The navigator's view of its buttons ----------------------------------------------------------

class TdaNavButtons : public TPersistent, public IdaCollection {
    DECLARE_CLASS(TdaNavButtons, TPersistent)
public:
    explicit TdaNavButtons(TdaDBNavigator* ANavigator);
    ~TdaNavButtons() override;

    int UpdateLock() const { return FUpdateLock; }
    int Count() { return ReadCount(); }
    TdaNavButton* Buttons(int Index) { return ReadButton(Index); }
    int VisibleCount() { return ReadVisibleCount(); }
    TdaNavButton* VisibleButtons(int Index) { return ReadVisibleButton(Index); }
    TdaDBNavigator* Navigator() { return ReadNavigator(); }

    // The interface answers of an object its navigator frees (no reference counting).
    int _AddRef() { return 1; }
    int _Release() { return 0; }

    virtual void ButtonInserted(TdaNavButton*) {}
    virtual void ButtonRemoved(TdaNavButton*) {}
    void BeginUpdate() override;
    void EndUpdate() override;
    virtual TdaNavButton* LowestButton();
    virtual TdaNavButton* ButtonAt(TdaNavButton* Excluded, int X, int Y);
    virtual bool IsHidden(TdaNavButton* Button);
    virtual TdaNavButton* RightmostButton();
    virtual void ShowStyle(TdaNavButtonStyle Style);
    virtual void HideStyle(TdaNavButtonStyle Style);
    virtual int ReadCount();
    virtual TdaNavButton* ReadButton(int Index);
    virtual TdaDBNavigator* ReadNavigator() { return FNavigator; }
    virtual TdaNavButton* ReadVisibleButton(int Index);
    virtual int ReadVisibleCount();
    virtual TdaNavButton* Add(TdaNavButtonStyle AStyle, TComponent* AComponent = nullptr);
    virtual void AddOrvelleDialogs();
    void Clear() override;
    virtual void CreateDefaultButtons();
    virtual void UpdateButtonsRect();
    virtual void UpdateButtonsPos();
    virtual void UpdateButtonsState(TdaUpdateCause Cause);

    // IdaCollection
    int GetCount() override { return ReadCount(); }
    IdaCollectionItem* GetItem(int Index) override { return ReadButton(Index); }
    IdaCollectionItem* AddItem() override { return Add(nbsCustom); }
    void SetDesigner(TControl* Designer) override;
    TControl* Designer() const { return FDesigner.get(); }

private:
    std::unique_ptr<TControl> FDesigner;
    TdaDBNavigator* FNavigator;
    int FUpdateLock = 0;
};

// ---- The navigator ---------------------------------------------------------------------------------

class TdaNavDataLink : public TDataLink {
public:
    explicit TdaNavDataLink(TdaDBNavigator* ANavigator) : FNavigator(ANavigator) {}
    ~TdaNavDataLink() override { FNavigator = nullptr; }

protected:
    void EditingChanged() override;
    void DataSetChanged() override;
    void ActiveChanged() override;

private:
    TdaDBNavigator* FNavigator;
};

class TdaNavBookmark : public TObject {
public:
    TdaNavBookmark(TDataSet* ADataSet, const TBookmark& ABookmark) : Bookmark(ABookmark), DataSet(ADataSet) {}
    ~TdaNavBookmark() override {
        if (DataSet) DataSet->FreeBookmark(Bookmark);
    }
    TBookmark Bookmark;
    TDataSet* DataSet;
};

class TdaNavRepeatInterval : public TPersistent {
    DECLARE_CLASS(TdaNavRepeatInterval, TPersistent)
public:
    int InitialDelay = 500;
    int Interval = 100;
    void Assign(TPersistent* Source) override;

private:
    static void Published(TPublisher<TdaNavRepeatInterval>& P);
};

class TdaDBNavigator : public TdaCustomTransparentPanel {
    DECLARE_CLASS(TdaDBNavigator, TdaCustomTransparentPanel)
public:
    explicit TdaDBNavigator(TComponent* AOwner);
    ~TdaDBNavigator() override;

    TdaNavButtons* Buttons() const { return FButtons.get(); }
    TDataLink* DataLink() const { return FDataLink.get(); }
    TdaNavAutoSizeStyle AutosizeStyle() const { return FAutosizeStyle; }
    void SetAutosizeStyle(TdaNavAutoSizeStyle Value) { WriteAutosizeStyle(Value); }
    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value) { WriteDataSource(Value); }
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value) { WriteFlat(Value); }
    TCustomImageList* ImageList() const { return FImageList; }
    void SetImageList(TCustomImageList* Value) { WriteImageList(Value); }
    TdaNavLayout Layout() const { return FLayout; }
    void SetLayout(TdaNavLayout Value) { WriteLayout(Value); }
    int MoveBy() const { return FMoveBy; }
    void SetMoveBy(int Value) { WriteMoveBy(Value); }
    TdaNavOptions Options() const { return FOptions; }
    void SetOptions(TdaNavOptions Value) { WriteOptions(Value); }
    TdaNavRepeatInterval* RepeatInterval() const { return FRepeatInterval.get(); }
    void SetRepeatInterval(TdaNavRepeatInterval* Value) { FRepeatInterval->Assign(Value); }
    bool TransparentClearsBackground() const { return FTransparentClearsBackground; }
    void SetTransparentClearsBackground(bool Value) { FTransparentClearsBackground = Value; }
    bool DisableThemes() const { return FDisableThemes; }
    void SetDisableThemes(bool Value);
    bool ShowHint() { return ReadShowHint(); }
    void SetShowHint(bool Value) { WriteShowHint(Value); }
    TdaNavButtonNavStylesEx VisibleButtons() { return ReadVisibleButtons(); }
    void SetVisibleButtons(TdaNavButtonNavStylesEx Value) { WriteVisibleButtons(Value); }

    virtual void ControlListChanged(TControl* Control, bool Inserting);
    virtual void DataChanged();
    virtual void EditingChanged();
    virtual void ActiveChanged();
    virtual bool ReadShowHint();
    virtual TdaNavButtonNavStylesEx ReadVisibleButtons();
    virtual void WriteLayout(TdaNavLayout Value);
    virtual void WriteAutosizeStyle(TdaNavAutoSizeStyle Value);
    virtual void WriteDataSource(TDataSource* Value);
    virtual void WriteFlat(bool Value);
    virtual void WriteImageList(TCustomImageList* Value);
    virtual void WriteMoveBy(int Value);
    virtual void WriteOptions(TdaNavOptions Value);
    virtual void WriteShowHint(bool Value);
    virtual void WriteVisibleButtons(TdaNavButtonNavStylesEx Value);
    virtual int BorderSize();
    virtual int ButtonsWidth();
    // The data source's dataset; without one null, or with Raise EInvalidOperation.
    virtual TDataSet* GetDataSet(bool Raise);
    virtual void SizeToButtons();
    virtual void SetDataSourceFromComponent(TComponent* Component, bool AllowNil);

    // The saved bookmark of the dataset (with Save, the current record's is saved first);
    // empty when there is none that is still valid.
    void FindBookmark(TDataSet* DataSet, bool Save, TBookmark& Bookmark);
    void DropBookmarks(TDataSet* DataSet);
    int BookmarkCount() const { return FBookmarks.Count(); }

    // The process-wide glyphs of the styles: image 2 x style enabled, the next one disabled.
    static TCustomImageList* GlyphList();

    void Loaded() override;
    void SetName(const String& Value) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& Message) override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void CreateWnd() override;

private:
    friend class TdaNavButtons;
    std::unique_ptr<TdaNavButtons> FButtons;
    std::unique_ptr<TdaNavDataLink> FDataLink;
    TList FBookmarks; // of TdaNavBookmark, owned
    TdaNavAutoSizeStyle FAutosizeStyle = asSizeNavigator;
    TDataSource* FDataSource = nullptr;
    bool FFlat = false;
    TCustomImageList* FImageList = nullptr;
    TdaNavLayout FLayout = nlHorizontal;
    int FMoveBy = 10;
    TdaNavOptions FOptions;
    std::unique_ptr<TdaNavRepeatInterval> FRepeatInterval;
    bool InPaint = false;
    bool FTransparentClearsBackground = false;
    bool FDisableThemes = false;

    TdaNavBookmark* BookmarkAt(int Index) const { return static_cast<TdaNavBookmark*>(FBookmarks[Index]); }
    static void Published(TPublisher<TdaDBNavigator>& P);
};
