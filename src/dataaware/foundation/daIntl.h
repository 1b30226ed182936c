#pragma once
// The library's texts and shared switches (TdaIntl and its one process-wide instance
// daGlobalIntl, which every control and dialog reads when it needs a text), the controller that
// gives a group of edits one frame and button look, the standard dialog buttons, and the
// reaction to a value that fails an edit mask.
//
// An application restyles the library by placing another TdaIntl on a form and setting
// Connected: its values are then copied into daGlobalIntl.

#include "dataaware/foundation/daEditFrame.h"
#include "dataaware/foundation/daIntlTexts.inc"
#include "platform/base/Lists.h"
#include "platform/base/Persistent.h"
#include "platform/gui/Controls.h"
#include "platform/gui/StdCtrls.h"

class TField;
class TCustomForm;

#define DA_DECLARE_TEXT(Name, Default) String Name = Default;
#define DA_PUBLISH_TEXT(Name, Default) P.Property(u"" #Name, &Self::Name);

// A group of texts: plain persistent objects with published string properties.
#define DA_TEXT_GROUP(ClassName, List)                                                                       \
    class ClassName : public TPersistent {                                                                   \
        DECLARE_CLASS(ClassName, TPersistent)                                                                \
    public:                                                                                                  \
        List(DA_DECLARE_TEXT)                                                                                \
    private:                                                                                                 \
        using Self = ClassName;                                                                              \
        static void Published(TPublisher<ClassName>& P) { List(DA_PUBLISH_TEXT) }                           \
    };

DA_TEXT_GROUP(TdaFilterDialogIntl, DA_FILTER_TEXTS)
DA_TEXT_GROUP(TdaRichEditMenuLabels, DA_MENU_TEXTS)
DA_TEXT_GROUP(TdaRichEditPopupMenuLabels, DA_POPUP_TEXTS)
DA_TEXT_GROUP(TdaDBNavigatorIntlHints, DA_NAVHINTS_TEXTS)
DA_TEXT_GROUP(TdaSearchDialogIntl, DA_SEARCH_TEXTS)
DA_TEXT_GROUP(TdaLocateDialogIntl, DA_LOCATE_TEXTS)
DA_TEXT_GROUP(TdaUserMessagesIntl, DA_USER_TEXTS)
DA_TEXT_GROUP(TdaGridTitleMenuIntl, DA_GRIDTITLE_TEXTS)

class TdaRichEditParagraphDlg : public TPersistent {
    DECLARE_CLASS(TdaRichEditParagraphDlg, TPersistent)
public:
    DA_PARA_TEXTS(DA_DECLARE_TEXT)
    int HelpContext = 0;

private:
    using Self = TdaRichEditParagraphDlg;
    static void Published(TPublisher<TdaRichEditParagraphDlg>& P) {
        DA_PARA_TEXTS(DA_PUBLISH_TEXT)
        P.Property(u"HelpContext", &Self::HelpContext);
    }
};

class TdaRichEditTabDlg : public TPersistent {
    DECLARE_CLASS(TdaRichEditTabDlg, TPersistent)
public:
    DA_TAB_TEXTS(DA_DECLARE_TEXT)
    int HelpContext = 0;

private:
    using Self = TdaRichEditTabDlg;
    static void Published(TPublisher<TdaRichEditTabDlg>& P) {
        DA_TAB_TEXTS(DA_PUBLISH_TEXT)
        P.Property(u"HelpContext", &Self::HelpContext);
    }
};

class TdaDBRichEditIntl : public TPersistent {
    DECLARE_CLASS(TdaDBRichEditIntl, TPersistent)
public:
    TdaDBRichEditIntl();
    ~TdaDBRichEditIntl() override;
    DA_RICHEDIT_TEXTS(DA_DECLARE_TEXT)
    TdaRichEditMenuLabels* MenuLabels() const { return FMenuLabels.get(); }
    TdaRichEditPopupMenuLabels* PopupMenuLabels() const { return FPopupMenuLabels.get(); }
    TdaRichEditParagraphDlg* ParagraphDialog() const { return FParagraphDialog.get(); }
    TdaRichEditTabDlg* TabDialog() const { return FTabDialog.get(); }

private:
    std::unique_ptr<TdaRichEditMenuLabels> FMenuLabels;
    std::unique_ptr<TdaRichEditPopupMenuLabels> FPopupMenuLabels;
    std::unique_ptr<TdaRichEditParagraphDlg> FParagraphDialog;
    std::unique_ptr<TdaRichEditTabDlg> FTabDialog;
    using Self = TdaDBRichEditIntl;
    static void Published(TPublisher<TdaDBRichEditIntl>& P);
};

class TdaDBNavigatorIntl : public TPersistent {
    DECLARE_CLASS(TdaDBNavigatorIntl, TPersistent)
public:
    TdaDBNavigatorIntl();
    ~TdaDBNavigatorIntl() override;
    String ConfirmDeleteMessage = u"Delete record?";
    TdaDBNavigatorIntlHints* Hints() const { return FHints.get(); }

private:
    std::unique_ptr<TdaDBNavigatorIntlHints> FHints;
    static void Published(TPublisher<TdaDBNavigatorIntl>& P);
};

class TdaMonthCalendarIntl : public TPersistent {
    DECLARE_CLASS(TdaMonthCalendarIntl, TPersistent)
public:
    String PopupYearLabel = u"Edit Year";
    String EnterYearPrompt = u"Enter Valid Year";
    int PopupYearStart = 2000;

private:
    static void Published(TPublisher<TdaMonthCalendarIntl>& P);
};

class TdaADOIntl : public TPersistent {
    DECLARE_CLASS(TdaADOIntl, TPersistent)
public:
    // The locate engine may use the dataset's own locate operation.
    bool UseLocateWhenFindingValue = true;

private:
    static void Published(TPublisher<TdaADOIntl>& P);
};

// The colours of a control whose value failed validation (clNone: unchanged).
class TdaValidationFeedback : public TPersistent {
    DECLARE_CLASS(TdaValidationFeedback, TPersistent)
public:
    TColor ErrorForeColor = clNone;
    TColor ErrorBackColor = clNone;

private:
    static void Published(TPublisher<TdaValidationFeedback>& P);
};

DECLARE_ENUM(TdaCheckBoxInGridStyle, Byte, cbStyleAuto, cbStyleCheckmark, cbStyleXmark, cbStyleCheckmarkFlat)
DECLARE_ENUM(TdaGridPaintStyle, Byte, gpsBitmapCanvas, gpsDynamicDeviceContext)

using TdaPictureValidationError =
    std::function<void(TObject* Sender, TField* Field, String& Msg, bool& DoDefault)>;

class TdaIntl : public TComponent {
    DECLARE_CLASS(TdaIntl, TComponent)
public:
    explicit TdaIntl(TComponent* AOwner);
    ~TdaIntl() override;
    void Loaded() override;

    TdaADOIntl* ADO() const { return FADO.get(); }
    TdaDBNavigatorIntl* Navigator() const { return FNavigator.get(); }
    TdaSearchDialogIntl* SearchDialog() const { return FSearchDialog.get(); }
    TdaLocateDialogIntl* LocateDialog() const { return FLocateDialog.get(); }
    TdaMonthCalendarIntl* MonthCalendar() const { return FMonthCalendar.get(); }
    TdaGridTitleMenuIntl* GridTitleMenu() const { return FGridTitleMenu.get(); }
    TdaFilterDialogIntl* FilterDialog() const { return FFilterDialog.get(); }
    TdaValidationFeedback* ValidationFeedback() const { return FValidationFeedback.get(); }
    TdaDBRichEditIntl* RichEdit() const { return FRichEdit.get(); }
    TdaUserMessagesIntl* UserMessages() const { return FUserMessages.get(); }

    // Dialogs get glyph buttons instead of plain ones.
    bool OKCancelBitmapped = true;
    String BtnOKCaption = u"&OK";
    String BtnCancelCaption = u"Cancel";
    TdaCheckBoxInGridStyle CheckBoxInGridStyle() const { return FCheckBoxInGridStyle; }
    void SetCheckBoxInGridStyle(TdaCheckBoxInGridStyle Value);
    TdaGridPaintStyle GridPaintStyle() const { return FGridPaintStyle; }
    void SetGridPaintStyle(TdaGridPaintStyle Value);
    // The memo buffer that each filter dialog component allocates.
    int FilterMemoSize = 65536;
    // The default INI file of history lists and grid layouts with no file name of their own.
    String IniFileName;
    bool UseLocateMethodForSearch = true;
    TFontStyles DialogFontStyle;
    int DefaultEpochYear = 1950;
    TdaPictureValidationError OnValidationErrorUsingMask;
    bool Connected() const { return FConnected; }
    void SetConnected(bool Value);

    // The library's reaction to a value that fails an edit mask: the handler may take it over;
    // otherwise a beep and EInvalidOperation with Msg (a standard text when Msg is empty).
    virtual void ValidationErrorUsingMask(TComponent* Component, TField* Field, String Msg);

private:
    std::unique_ptr<TdaADOIntl> FADO;
    std::unique_ptr<TdaDBNavigatorIntl> FNavigator;
    std::unique_ptr<TdaSearchDialogIntl> FSearchDialog;
    std::unique_ptr<TdaLocateDialogIntl> FLocateDialog;
    std::unique_ptr<TdaMonthCalendarIntl> FMonthCalendar;
    std::unique_ptr<TdaGridTitleMenuIntl> FGridTitleMenu;
    std::unique_ptr<TdaFilterDialogIntl> FFilterDialog;
    std::unique_ptr<TdaValidationFeedback> FValidationFeedback;
    std::unique_ptr<TdaDBRichEditIntl> FRichEdit;
    std::unique_ptr<TdaUserMessagesIntl> FUserMessages;
    TdaCheckBoxInGridStyle FCheckBoxInGridStyle = cbStyleAuto;
    TdaGridPaintStyle FGridPaintStyle = gpsDynamicDeviceContext;
    bool FConnected = false;

    void CopyToGlobal();
    static void Published(TPublisher<TdaIntl>& P);
};

// The process-wide texts and switches; made before any form of the program, alive until the
// end (null only after it was freed).
extern TdaIntl* daGlobalIntl;

// The text an empty mask-failure message becomes.
extern const String daInvalidInputValueText;

int daGetFilterMemoSize();

// Gives a group of edit controls one frame and button look. The controls are held by reference
// only and leave the list when they are freed.
class TdaController : public TComponent {
    DECLARE_CLASS(TdaController, TComponent)
public:
    explicit TdaController(TComponent* AOwner);
    ~TdaController() override;

    TdaEditFrame* Frame() const { return FFrame.get(); }
    TdaButtonEffects* ButtonEffects() const { return FButtonEffects.get(); }
    TList* ControlList() const { return FControlList.get(); }

    void AddControl(TControl* Control);
    void RemoveControl(TControl* Control);
    // Pushes the frame and button look onto every listed control and rebuilds their windows.
    void ApplyFrame();

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::unique_ptr<TdaEditFrame> FFrame;
    std::unique_ptr<TdaButtonEffects> FButtonEffects;
    std::unique_ptr<TList> FControlList;
    static void Published(TPublisher<TdaController>& P);
};

// The standard buttons of the library's dialogs: Kind 1 OK, 2 Cancel, 3 Help; owned by and
// parented to the form, hidden; the caller places and shows it.
TButton* daCreateDialogButton(TCustomForm* Form, int Kind);

// Registers the classes of the library's shared parts.
void RegisterDataAwareFoundationClasses();
