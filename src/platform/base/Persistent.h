#pragma once
// TPersistent: an object that can take over the contents of another (Assign) and name itself
// in a path of owners (GetNamePath).

#include "platform/base/Object.h"

class TFiler;

class TPersistent : public TObject {
    DECLARE_CLASS(TPersistent, TObject)
public:
    // Copies Source into this object. A class that knows how to copy from certain sources
    // overrides Assign and calls the inherited one for the rest; the default asks the source
    // (Source->AssignTo(this)), and when no side knows the other, EConvertError "Cannot assign a
    // %s to a %s" is raised with the source's class name ("nil" for no source) and this one's.
    virtual void Assign(TPersistent* Source);
    // The class name, after the owner's path and a point when the owner has a path.
    virtual String GetNamePath() const;

protected:
    // Copies this object into Dest; overridden by classes that know how to fill other classes.
    virtual void AssignTo(TPersistent* Dest);
    virtual TPersistent* GetOwner() const { return nullptr; }
    // Values the object streams beside its published properties, each declared by name with
    // its reader and writer (TFiler::DefineProperty, Filer.h); none by default.
    virtual void DefineProperties(TFiler*) {}

private:
    friend class TWriter;
    friend class TReader;
    [[noreturn]] void AssignError(const TPersistent* Source) const;
};
