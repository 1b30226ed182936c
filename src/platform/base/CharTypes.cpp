#include "platform/base/CharTypes.h"

#include <QChar>

Word GetCharType(Char C) {
    const QChar Q(C);
    if (Q.isSurrogate()) return 0;
    Word Bits = 0;
    if (Q.isUpper()) Bits |= C1_UPPER;
    if (Q.isLower()) Bits |= C1_LOWER;
    if (Q.isDigit()) Bits |= C1_DIGIT;
    if (Q.isSpace()) Bits |= C1_SPACE;
    if (Q.isPunct() || Q.isSymbol()) Bits |= C1_PUNCT;
    if (Q.category() == QChar::Other_Control) Bits |= C1_CNTRL;
    if (C == u' ' || C == u'\t' || Q.category() == QChar::Separator_Space) Bits |= C1_BLANK;
    if ((C >= u'0' && C <= u'9') || (C >= u'A' && C <= u'F') || (C >= u'a' && C <= u'f')) Bits |= C1_XDIGIT;
    if (Q.isLetter()) Bits |= C1_ALPHA;
    return Bits;
}

namespace {

Char OneUnit(Char C, char32_t Mapped) {
    return QChar::isSurrogate(C) || Mapped > 0xFFFF ? C : static_cast<Char>(Mapped);
}

} // namespace

Char CharUpper(Char C) {
    return OneUnit(C, QChar::toUpper(static_cast<char32_t>(C)));
}

Char CharLower(Char C) {
    return OneUnit(C, QChar::toLower(static_cast<char32_t>(C)));
}
