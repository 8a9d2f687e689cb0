// Times the scanning text operations over 1 MB and 10 MB of page-like text and prints the ratio
// of the two times for each: a linear operation shows a ratio near 10.
#include "text/text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace {

using velkari::Text;

// HTML-ish lines of ASCII with two-byte characters mixed in, the catalogue markers at the ends.
Text PageLikeText(size_t size) {
    const std::string line = "<li><a href=\"/course/video-1234\">&nbsp;&nbsp;&nbsp;"
                             "\xB5\xDA\xD2\xBB\xBD\xDA \xC8\xEB\xC3\xC5 lesson</a></li>\r\n";
    std::string page = "<html>\xC4\xBF\xC2\xBC start\r\n";
    while (page.size() + line.size() < size) {
        page += line;
    }
    page += "\xC4\xBF\xC2\xBC end</html>";
    return Text(page);
}

double BestSeconds(const std::function<void()>& work) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

} // namespace

int main() {
    const Text small = PageLikeText(1 << 20);
    const Text large = PageLikeText(10 << 20);
    struct Operation {
        const char* name;
        std::function<int(const Text&)> run;
    } operations[] = {
        {"FindText", [](const Text& t) { return velkari::FindText(t, "</html>"); }},
        {"ReplaceText",
         [](const Text& t) {
             return velkari::TextLength(velkari::ReplaceText(t, "&nbsp;", " ", false));
         }},
        {"SplitText",
         [](const Text& t) { return velkari::ElementCount(velkari::SplitText(t, "\r\n")); }},
        {"TextBetween",
         [](const Text& t) {
             return velkari::TextLength(velkari::TextBetween(t, "目录 start", "目录 end"));
         }},
    };
    std::printf("%-12s %12s %12s %8s\n", "operation", "1 MB (ms)", "10 MB (ms)", "ratio");
    for (const Operation& op : operations) {
        volatile int sink = 0;
        double t1 = BestSeconds([&] { sink = op.run(small); });
        double t10 = BestSeconds([&] { sink = op.run(large); });
        std::printf("%-12s %12.2f %12.2f %8.2f\n", op.name, t1 * 1e3, t10 * 1e3, t10 / t1);
    }
    return 0;
}
