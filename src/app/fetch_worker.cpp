#include "app/app.h"

#include "http/http.h"

#include <objbase.h>

#include <atomic>
#include <memory>

namespace velkari {

namespace {

std::atomic<bool> filling{false};
std::atomic<int> liveWorkers{0};

struct WorkerStart {
    CourseSettings settings;
};

DWORD WINAPI WorkerMain(void* parameter) {
    {
        const std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
        FetchCourseList(start->settings);
    }
    liveWorkers.fetch_sub(1);
    return 0;
}

// The course page, fetched and decoded, cut down to its catalogue. Each form of the page
// replaces the one before, so that a large page is held in at most two forms at a time.
Text FetchCatalogue(const Text& courseAddress) {
    Text page = FetchPageText(courseAddress);
    page = DecodePercentEscapes(page);
    page = Utf8ToAnsi(page);
    return TextBetween(page, kCatalogueStart, kCatalogueEnd);
}

// Whatever fails on the way leaves an empty text, and the lesson still gets its row and both
// elements, so that row k stays lesson k+1 of both lists.
void AddLesson(const CourseSettings& settings, int number, const Text& matchText) {
    const Text title = LessonTitle(matchText);
    const Text lessonPage = FetchPageText(LessonPageAddress(settings, LessonId(matchText)));
    const Text videoId = VideoId(lessonPage);
    const Text videoAddress =
        ResolveVideoAddress(RedirectAddress(settings, videoId), settings.videoServiceHost);
    AppendElement(VideoAddresses(), videoAddress);
    AppendElement(LessonTitles(), title);
    const int row = InsertRow();
    SetItemText(row, 0, LessonRowText(number, title));
}

// Shown from the worker, which owns no window, so the main window stays usable meanwhile.
void ShowCompletion(int lessonCount) {
    const Text text = ConcatText({"获取完毕", "，共 ", ToText(lessonCount), " 节课。"});
    MessageBoxW(nullptr, ToWide(text, kTextCodePage).c_str(),
                ToWide("信息：", kTextCodePage).c_str(), MB_OK | MB_TASKMODAL);
}

} // namespace

void StartFetch(const CourseSettings& settings) {
    bool idle = false;
    if (!filling.compare_exchange_strong(idle, true)) {
        return;
    }
    liveWorkers.fetch_add(1);
    auto start = std::make_unique<WorkerStart>(WorkerStart{settings});
    HANDLE thread = CreateThread(nullptr, 0, WorkerMain, start.get(), 0, nullptr);
    if (thread == nullptr) {
        liveWorkers.fetch_sub(1);
        filling = false;
        return;
    }
    start.release(); // the worker owns it now
    CloseHandle(thread);
}

void FetchCourseList(const CourseSettings& settings) {
    DeleteAllRows();
    VideoAddresses().RemoveAll();
    LessonTitles().RemoveAll();
    const Text catalogue = FetchCatalogue(AddressText());
    CoInitialize(nullptr);
    RegexObject& regex = CourseRegex();
    regex.Create(kLessonLinkPattern, catalogue, false, true, true);
    const int lessonCount = regex.MatchCount();
    for (int number = 1; number <= lessonCount; ++number) {
        AddLesson(settings, number, regex.MatchText(number));
    }
    filling = false;
    ShowCompletion(lessonCount);
}

bool FetchIsFilling() {
    return filling;
}

int LiveWorkers() {
    return liveWorkers;
}

} // namespace velkari
