// The demo's tool, run under Wine in the demo's prefix:
//   velkari_demo.exe site [minutes]          serves the demo course site, at most that long (60)
//   velkari_demo.exe register <folder>       registers the stand-in download manager there
//   velkari_demo.exe unregister
//   velkari_demo.exe fetch                   presses 获取信息, closes the completion message,
//                                            prints the rows
//   velkari_demo.exe download-all <folder>   chooses 全部下载 and prints the files that arrive
//   velkari_demo.exe close                   presses Esc and waits for the program to end
// Folders may be given as Unix paths; Wine's drive Z: reaches them.
#include "demo/demo_agent.h"
#include "demo/demo_site.h"
#include "demo/driver.h"
#include "support/message_boxes.h"
#include "text/text.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using velkari::demo::MainWindow;
using velkari::demo::WindowsPath;

void PrintUtf8(const std::wstring& line) {
    const velkari::Text text = velkari::FromWide(line + L"\n", 65001);
    std::fwrite(text.CStr(), 1, static_cast<size_t>(text.Length()), stdout);
    std::fflush(stdout);
}

std::wstring NextToThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

int ServeSite(int minutes) {
    const velkari::demo::DemoSite site;
    if (!site.Listening()) {
        std::fputs("the demo course site's ports are taken\n", stderr);
        return 2;
    }
    std::printf("demo course site at %s for at most %d minutes\n", site.CourseAddress().c_str(),
                minutes);
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::minutes(minutes));
    return 0;
}

int Register(const std::string& folder) {
    const std::wstring windowsFolder = WindowsPath(folder);
    CreateDirectoryW(windowsFolder.c_str(), nullptr);
    return velkari::demo::RegisterDemoAgent(NextToThisProgram(L"demo_agent.dll"), windowsFolder)
               ? 0
               : 2;
}

bool FindWindowOrSay(MainWindow* main) {
    if (velkari::demo::FindMainWindow(0, 30s, main)) {
        return true;
    }
    std::fputs("no Velkari window appeared\n", stderr);
    return false;
}

int Fetch() {
    MainWindow main;
    if (!FindWindowOrSay(&main)) {
        return 2;
    }
    const velkari::testing::MessageBoxWatcher boxes(
        velkari::testing::MessageBoxWatcher::Mode::CloseAtOnce, main.processId);
    velkari::demo::PressButton(main);
    if (!boxes.WaitForCount(1, 60s)) {
        std::fputs("no completion message\n", stderr);
        return 2;
    }
    PrintUtf8(boxes.Seen()[0].caption + L" " + boxes.Seen()[0].text);
    for (const std::wstring& row : velkari::demo::ReadRows(main)) {
        PrintUtf8(L"  " + row);
    }
    return 0;
}

// Waits until the folder holds `count` finished files, then prints them with their sizes.
int DownloadAll(const std::string& folder) {
    MainWindow main;
    if (!FindWindowOrSay(&main)) {
        return 2;
    }
    const size_t lessons = velkari::demo::ReadRows(main).size();
    if (!velkari::demo::ChooseFromRowMenu(main, 0, 1)) {
        std::fputs("the download menu did not open\n", stderr);
        return 2;
    }
    const std::wstring pattern = WindowsPath(folder) + L"\\*.mp4";
    std::vector<std::wstring> lines;
    for (auto until = std::chrono::steady_clock::now() + 120s;
         lines.size() < lessons && std::chrono::steady_clock::now() < until;
         std::this_thread::sleep_for(200ms)) {
        lines.clear();
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(pattern.c_str(), &found);
        for (bool more = search != INVALID_HANDLE_VALUE; more;
             more = FindNextFileW(search, &found)) {
            lines.push_back(std::to_wstring(found.nFileSizeLow) + L" bytes  " + found.cFileName);
        }
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
        }
    }
    for (const std::wstring& line : lines) {
        PrintUtf8(L"  " + line);
    }
    return lines.size() == lessons ? 0 : 2;
}

int Close() {
    MainWindow main;
    if (!FindWindowOrSay(&main)) {
        return 2;
    }
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, main.processId);
    velkari::demo::PressKey(main, VK_ESCAPE);
    const bool ended = process != nullptr && WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    if (process != nullptr) {
        CloseHandle(process);
    }
    return ended ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "site") {
        return ServeSite(argc > 2 ? std::atoi(argv[2]) : 60);
    }
    if (command == "register" && argc > 2) {
        return Register(argv[2]);
    }
    if (command == "unregister") {
        velkari::demo::UnregisterDemoAgent();
        return 0;
    }
    if (command == "fetch") {
        return Fetch();
    }
    if (command == "download-all" && argc > 2) {
        return DownloadAll(argv[2]);
    }
    if (command == "close") {
        return Close();
    }
    std::fputs("usage: velkari_demo.exe site [minutes] | register <folder> | unregister | fetch | "
               "download-all <folder> | close\n",
               stderr);
    return 1;
}
