#include "app/app.h"

#include "com/com.h"

namespace velkari {

namespace {

constexpr DWORD kPauseAfterLessonMs = 800;

// Element `number` of both lists, when both have it.
bool HasLesson(int number) {
    return number >= 1 && number <= ElementCount(VideoAddresses()) &&
           number <= ElementCount(LessonTitles());
}

void SendLesson(int number) {
    SendToThunder(VideoAddresses().Element(number), LessonFileName(LessonTitles().Element(number)));
}

} // namespace

void DownloadSelected() {
    const int number = SelectedRow() + 1;
    if (FetchIsFilling() || !HasLesson(number)) {
        return;
    }
    SendLesson(number);
}

// The count is read once; the download manager gets one lesson every 800 ms.
void DownloadAll() {
    if (FetchIsFilling()) {
        return;
    }
    const int count = ElementCount(VideoAddresses());
    for (int number = 1; number <= count; ++number) {
        if (!HasLesson(number)) {
            return;
        }
        SendLesson(number);
        Sleep(kPauseAfterLessonMs);
    }
}

void SendToThunder(const Text& address, const Text& fileName) {
    ComObject agent;
    CreateObject(agent, "ThunderAgent.Agent");
    if (IsEmpty(agent)) {
        MessageBoxW(nullptr, ToWide("您还没有安装迅雷！", kTextCodePage).c_str(),
                    ToWide("提示", kTextCodePage).c_str(),
                    MB_ICONINFORMATION | MB_OK | MB_TASKMODAL);
        return;
    }
    CallMethod(agent, "AddTask", {address, fileName});
    VariantNumber(CallMethod(agent, "CommitTasks"));
    Clear(agent);
}

} // namespace velkari
