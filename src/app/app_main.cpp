#include "app/app.h"

#include "app/compiled_settings.h"

#include <ole2.h>

#include <cstdlib>
#include <memory>
#include <new>

namespace velkari {

namespace {

std::unique_ptr<TextArray> videoAddresses;
std::unique_ptr<TextArray> lessonTitles;
std::unique_ptr<RegexObject> courseRegex;

std::wstring Wide(const Text& text) {
    return ToWide(text, kTextCodePage);
}

// Running out of memory is the one failure that ends the program; say so before it does.
void ReportOutOfMemory() {
    MessageBoxW(nullptr, Wide("内存不足，程序将退出。").c_str(), Wide("错误").c_str(),
                MB_ICONSTOP | MB_TASKMODAL);
    std::_Exit(EXIT_FAILURE);
}

class OleSession {
  public:
    OleSession() { OleInitialize(nullptr); }
    ~OleSession() { OleUninitialize(); }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
};

// The shared values live exactly as long as this object: ReleaseGlobals runs when it goes.
class GlobalsSession {
  public:
    GlobalsSession() { InitGlobals(); }
    ~GlobalsSession() { ReleaseGlobals(); }
    GlobalsSession(const GlobalsSession&) = delete;
    GlobalsSession& operator=(const GlobalsSession&) = delete;
};

} // namespace

void InitGlobals() {
    videoAddresses = std::make_unique<TextArray>();
    lessonTitles = std::make_unique<TextArray>();
    courseRegex = std::make_unique<RegexObject>();
}

void ReleaseGlobals() {
    videoAddresses.reset();
    lessonTitles.reset();
    courseRegex.reset();
}

TextArray& VideoAddresses() {
    return *videoAddresses;
}
TextArray& LessonTitles() {
    return *lessonTitles;
}
RegexObject& CourseRegex() {
    return *courseRegex;
}

CourseSettings CompiledSettings() {
    return CourseSettings{CourseSiteHost, VideoServiceHost, VideoServiceUserId};
}

void AppMain(const CourseSettings& settings) {
    std::set_new_handler(ReportOutOfMemory);
    const OleSession ole;
    const GlobalsSession globals;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND window = CreateMainWindow(instance, settings);
    if (window == nullptr) {
        MessageBoxW(nullptr, Wide("载入启动窗口失败").c_str(), Wide("错误").c_str(), MB_ICONSTOP);
        return;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    RunMessageLoop(window);
    if (LiveWorkers() > 0) {
        // A worker may be waiting on the network with the lists and the pattern object in use:
        // end here, before anything it uses is released.
        ExitProcess(0);
    }
}

} // namespace velkari
