// Times the decoding of a course page (percent escapes, then UTF-8 to code page 936) over 1 MB
// and 10 MB pages and prints the ratio of the two times: a linear pass shows about 10.
#include "scraper/scraper.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

velkari::Text Utf8Page(size_t size) {
    const std::string line =
        "<li><a href=\"/course/video-1234\">&nbsp;&nbsp;&nbsp;"
        "\xE7\xAC\xAC%E4%B8%80\xE8\x8A\x82 %E5%85%A5%E9%97%A8+lesson</a></li>\r\n";
    std::string page;
    while (page.size() + line.size() < size) {
        page += line;
    }
    return velkari::Text(page);
}

double BestSeconds(const velkari::Text& page) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        auto start = std::chrono::steady_clock::now();
        volatile int length = velkari::TextLength(velkari::PercentDecode(page, true));
        (void)length;
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

} // namespace

int main() {
    const double t1 = BestSeconds(Utf8Page(1 << 20));
    const double t10 = BestSeconds(Utf8Page(10 << 20));
    std::printf("PercentDecode with conversion: 1 MB %.2f ms, 10 MB %.2f ms, ratio %.2f\n",
                t1 * 1e3, t10 * 1e3, t10 / t1);
    return 0;
}
