#pragma once
// The index chooser: a drop-down list of a dataset's sort orders (the label of each index's
// first field, its name, or for datasets without index information any field) that switches the
// dataset to the order picked. It follows the dataset rather than a field.

#include "dataaware/edits/daDBCombo.h"
#include "platform/data/DB.h"

#include <array>

class TdaKeyCombo;

class TdaKeyDataLink : public TDataLink {
public:
    explicit TdaKeyDataLink(TdaKeyCombo* Key) : FdaKeyCombo(Key) {}

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;

private:
    TdaKeyCombo* FdaKeyCombo;
};

using TdaKeyComboCloseUpEvent = std::function<void(TdaKeyCombo* Sender, bool Select)>;

class TdaKeyCombo : public TdaDBCustomComboBox {
    DECLARE_CLASS(TdaKeyCombo, TdaDBCustomComboBox)
public:
    explicit TdaKeyCombo(TComponent* AOwner);
    ~TdaKeyCombo() override;

    TDataSource* DataSource() const { return FDataLink ? FDataLink->DataSource() : nullptr; }
    void SetDataSource(TDataSource* Value);
    bool ShowAllIndexes() const { return FShowAllIndexes; }
    void SetShowAllIndexes(bool Value);
    bool ShowAllFields() const { return FShowAllFields; }
    void SetShowAllFields(bool Value);
    const String& PrimaryKeyName() const { return FPrimaryKeyName; }
    void SetPrimaryKeyName(const String& Value) { FPrimaryKeyName = Value.empty() ? String(u"PrimaryKey") : Value; }
    TdaKeyComboCloseUpEvent OnCloseUp;
    // Element 0: the combo itself is writing the dataset's index fields.
    std::array<bool, 7> Patch{};

    virtual void DataChanged();
    virtual bool UseAllFields(TDataSet* Value);
    void LinkActive(bool Active);
    void InitCombo() { InitComboWithGrid(nullptr); }
    // Grid: null, or a grid whose "Selected" list decides which fields count as visible.
    void InitComboWithGrid(TComponent* Grid);
    void RefreshDisplay();

    void DropDown() override;
    void CloseUp(bool Accept) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Change() override;

private:
    std::unique_ptr<TdaKeyDataLink> FDataLink;
    bool FShowAllIndexes = false;
    String FPrimaryKeyName = u"PrimaryKey";
    bool skipReload = false;
    bool FShowAllFields = false;
    // The combo is filling its entries or choosing its own selection: not the user's pick.
    bool FFilling = false;

    static String EntryText(TField* Field);
    bool IsFieldVisible(TField* Field, TStrings* Selected) const;
    static void Published(TPublisher<TdaKeyCombo>& P);
};
