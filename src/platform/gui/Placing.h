#pragma once
// Building a form in code: a control made, named and put into its parent, at a place or aligned.

#include "platform/gui/Controls.h"

template <class T>
T* MakeControl(TComponent* Owner, TWinControl* Parent, const String& Name, int Left, int Top, int Width, int Height) {
    T* C = new T(Owner);
    C->SetName(Name);
    C->SetParent(Parent);
    C->SetBounds(Left, Top, Width, Height);
    return C;
}

template <class T> T* MakeControl(TComponent* Owner, TWinControl* Parent, const String& Name, TAlign Align) {
    T* C = new T(Owner);
    C->SetName(Name);
    C->SetParent(Parent);
    C->SetAlign(Align);
    return C;
}
