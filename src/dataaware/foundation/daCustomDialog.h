#pragma once
// The base of the library's dialog components: a component that shows its modal form when
// Execute runs and names the dataset it works on.

#include "platform/base/Component.h"

class TDataSet;

class TdaCustomDialog : public TComponent {
    DECLARE_CLASS(TdaCustomDialog, TComponent)
public:
    using TComponent::TComponent;
    // Shows the dialog modally; true when the user confirmed (each dialog says what that is).
    virtual bool Execute() = 0;
    // The dataset the dialog works on; null when it has none.
    virtual TDataSet* GetPrimaryDataSet() = 0;
};
