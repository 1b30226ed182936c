#pragma once
// The question service's Qt side, for the layer's .cpp files: the owner windows of real dialogs,
// the real dialogs themselves, and the string conversions they use.

#include "platform/base/Types.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QWidget;
struct TQuestion;
struct TAnswer;

// Maps a window handle to the widget a real dialog is centred on and modal to. Without a
// resolver, or when it gives null, dialogs belong to the active window.
void SetQuestionParentResolver(std::function<QWidget*(std::uintptr_t Handle)> Resolver);
QWidget* QuestionParent(std::uintptr_t Handle);

// Shows the real Qt dialog for Q (on the GUI thread) and returns what the user chose.
TAnswer ShowRealQuestion(const TQuestion& Q);

namespace Services {

inline QString ToQString(const String& S) {
    return QString::fromUtf16(S.data(), static_cast<qsizetype>(S.size()));
}

inline String FromQString(const QString& S) {
    return String(reinterpret_cast<const char16_t*>(S.utf16()), static_cast<std::size_t>(S.size()));
}

// "Text files|*.txt;*.text|All|*.*" as Qt's name filters, one per pair: "Text files (*.txt *.text)",
// "All (*)" ("*.*" means every file). A description without patterns at the end is dropped.
QStringList DialogNameFilters(const String& Filter);

} // namespace Services
