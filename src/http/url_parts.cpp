#include "http/http.h"
#include "http/page_request_parts.h"

namespace velkari {

namespace {

// The host between the scheme and the first "/" after it.
Text HostAfterScheme(Text value, bool mainDomain) {
    if (TextRight(value, 1) != Text("/")) {
        value = ConcatText({value, "/"});
    }
    if (TextLeft(value, 8) == Text("https://")) {
        value = TextBetweenQuoted(value, "https://", "/");
    } else {
        if (FindText(value, "http://") == -1) {
            value = ConcatText({"http://", value});
        }
        value = TextBetweenQuoted(value, "http://", "/");
    }
    if (mainDomain) {
        const TextArray labels = SplitText(value, ".");
        const int n = ElementCount(labels);
        if (n > 1) {
            value = ConcatText({labels.Element(n - 1), ".", labels.Element(n)});
        }
    }
    return value;
}

// The host cut down to its last labels, counting `levels` dots from the right.
Text HostByLevels(Text value, bool mainDomain, int levels) {
    value = ReplaceText(value, "http://", Text(), true);
    value = ReplaceText(value, "https://", Text(), true);
    const int slash = FindText(value, "/");
    if (slash != -1) {
        value = TextLeft(value, slash - 1);
    }
    const int length = TextLength(value);
    int p = length;
    for (int i = 0; i < levels; ++i) {
        p = FindTextReverse(value, ".", p);
    }
    const int q = FindTextReverse(value, ".", p);
    if (mainDomain) {
        return TextRight(value, length - q);
    }
    if (q != -1) {
        const int r = FindTextReverse(value, ".", q);
        if (r != -1) {
            value = TextRight(value, length - r);
        }
    }
    return value;
}

} // namespace

Text UrlHost(const Text& url, bool mainDomain, bool keepPort, std::optional<int> levels) {
    const Text lower = ToLower(url);
    const Text value =
        levels ? HostByLevels(lower, mainDomain, *levels) : HostAfterScheme(lower, mainDomain);
    if (keepPort) {
        return value;
    }
    const int colon = FindText(value, ":");
    return colon == -1 ? value : TextLeft(value, colon - 1);
}

int UrlPort(const Text& url) {
    const Text host = UrlHost(url, false, true);
    const int colon = FindTextReverse(host, ":");
    if (colon == -1) {
        return IsHttpsAddress(url) ? 443 : 80;
    }
    return ToInteger(TextRight(host, TextLength(host) - colon));
}

Text UrlPath(const Text& url) {
    const int hostAt = FindText(url, UrlHost(url), 1, true);
    const int slash = FindText(url, "/", hostAt, true);
    if (slash == -1) {
        return "/";
    }
    return TextRight(url, TextLength(url) - slash + 1);
}

Text TextBetweenQuoted(const Text& text, const Text& startMarker, const Text& endMarker,
                       int startPos, bool ignoreCase) {
    const Text quote = "\"";
    const Text s = ReplaceText(startMarker, "#引号", quote, true);
    const Text e = ReplaceText(endMarker, "#引号", quote, true);
    int a = FindText(text, s, startPos, ignoreCase);
    if (a != -1) {
        a += TextLength(s);
    }
    const int b = FindText(text, e, a, ignoreCase);
    if (a == -1 || b == -1) {
        return Text();
    }
    return TextMid(text, a, b - a);
}

} // namespace velkari
