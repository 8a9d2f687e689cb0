#include "http/http.h"

namespace velkari {

namespace {

// The text's last `separatorLength` bytes cut off; an empty text stays empty.
Text CutSeparator(const Text& text, int separatorLength) {
    return TextLeft(text, TextLength(text) - separatorLength);
}

} // namespace

Text MergeCookies(Text& oldCookies, Text& newCookies) {
    oldCookies = RemoveSpaces(oldCookies);
    newCookies = RemoveSpaces(newCookies);
    const TextArray oldPieces = SplitText(oldCookies, ";");
    TextArray merged = SplitText(newCookies, ";");
    for (int i = 1; i <= ElementCount(oldPieces); ++i) {
        const Text piece = oldPieces.Element(i);
        if (!CookieListHasName(merged, CookieName(piece))) {
            AppendElement(merged, piece);
        }
    }
    Text joined;
    for (int i = 1; i <= ElementCount(merged); ++i) {
        const Text piece = merged.Element(i);
        if (CompareText(TextRight(piece, 8), "=deleted") != 0) {
            joined = ConcatText({joined, piece, "; "});
        }
    }
    oldCookies = JoinUnique(CutSeparator(joined, 2), "; ");
    return oldCookies;
}

Text CookieName(const Text& pair) {
    const int equals = FindText(pair, "=");
    return TrimBoth(equals == -1 ? pair : TextLeft(pair, equals - 1));
}

bool CookieListHasName(const TextArray& pairs, const Text& name) {
    for (int i = 1; i <= ElementCount(pairs); ++i) {
        if (CompareText(CookieName(pairs.Element(i)), name) == 0) {
            return true;
        }
    }
    return false;
}

Text JoinUnique(const Text& text, const Text& separator) {
    const TextArray pieces = SplitText(text, separator);
    TextArray seen;
    Text result;
    for (int i = 1; i <= ElementCount(pieces); ++i) {
        const Text piece = pieces.Element(i);
        if (FindInTextArray(seen, piece) == -1) {
            AppendElement(seen, piece);
            result = ConcatText({result, piece, separator});
        }
    }
    return CutSeparator(result, TextLength(separator));
}

int FindInTextArray(const TextArray& array, const Text& text) {
    for (int i = 1; i <= ElementCount(array); ++i) {
        if (CompareText(array.Element(i), text) == 0) {
            return i;
        }
    }
    return -1;
}

} // namespace velkari
