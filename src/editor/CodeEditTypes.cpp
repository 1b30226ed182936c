#include "editor/CodeEditTypes.h"

TBufferCoord EarlierCoord(const TBufferCoord& A, const TBufferCoord& B) {
    if (B.Line < A.Line || (B.Line == A.Line && B.Char < A.Char)) return B;
    return A;
}

int ClampInt(int Value, int Lower, int Upper) {
    if (Value > Upper) Value = Upper;
    if (Value < Lower) Value = Lower;
    return Value;
}

void ExchangeInts(int& A, int& B) {
    const int T = A;
    A = B;
    B = T;
}
