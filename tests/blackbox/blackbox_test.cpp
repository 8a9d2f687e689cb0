// Drives the built velkari.exe from outside, as a person would, against the demo course site
// and the demo's stand-in download manager, and checks every file that arrives.
//   blackbox_tests <velkari.exe> <demo_agent.dll>
#include "demo/demo_agent.h"
#include "demo/demo_site.h"
#include "demo/driver.h"
#include "support/message_boxes.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace velkari {
namespace {

using namespace std::chrono_literals;
using demo::DemoLessons;
using demo::MainWindow;
using testing::MessageBoxWatcher;

std::wstring velkariPath;
std::wstring agentPath;

std::wstring Wide(const std::string& cp936) {
    return ToWide(Text(std::string_view(cp936)), kTextCodePage);
}

// The names the files must arrive under: the titles with ".mp4", "/" made full-width.
const std::vector<std::wstring> kFileNames = {
    L"第一课：课程介绍.mp4", L"环境搭建与安装.mp4", L"TCP／IP 基础.mp4", L"变量 &amp; 数据类型.mp4",
    L"条件判断.mp4",         L"循环语句.mp4",       L"函数入门.mp4",     L"列表与字典.mp4",
    L"文件读写.mp4",         L"异常处理.mp4",       L"模块与包.mp4",     L"综合练习：小项目.mp4",
};

bool ReadWholeFile(const std::wstring& path, std::string* bytes) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        return false;
    }
    char buffer[65536];
    bytes->clear();
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        bytes->append(buffer, n);
    }
    std::fclose(file);
    return true;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(found.cFileName);
        }
    }
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
    return names;
}

bool WaitForFiles(const std::wstring& folder, size_t count, std::chrono::seconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (FilesIn(folder).size() < count) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

class Program {
  public:
    explicit Program(const std::wstring& exe) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + exe + L"\"";
        started_ = CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &info_) != 0;
    }
    ~Program() {
        if (started_) {
            if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(info_.hProcess, 99);
            }
            CloseHandle(info_.hThread);
            CloseHandle(info_.hProcess);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return started_; }
    DWORD Id() const { return info_.dwProcessId; }
    bool EndsWithin(DWORD milliseconds, DWORD* exitCode) const {
        if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) {
            return false;
        }
        GetExitCodeProcess(info_.hProcess, exitCode);
        return true;
    }

  private:
    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

class DownloadFolder {
  public:
    DownloadFolder() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"velkari-blackbox-" + std::to_wstring(GetCurrentProcessId());
        Empty();
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~DownloadFolder() {
        Empty();
        RemoveDirectoryW(path_.c_str());
    }
    DownloadFolder(const DownloadFolder&) = delete;
    DownloadFolder& operator=(const DownloadFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    void Empty() const {
        for (const std::wstring& name : FilesIn(path_)) {
            DeleteFileW((path_ + L"\\" + name).c_str());
        }
    }

  private:
    std::wstring path_;
};

class AgentRegistration {
  public:
    AgentRegistration(const std::wstring& dll, const std::wstring& folder)
        : registered_(demo::RegisterDemoAgent(dll, folder)) {}
    ~AgentRegistration() { demo::UnregisterDemoAgent(); }
    AgentRegistration(const AgentRegistration&) = delete;
    AgentRegistration& operator=(const AgentRegistration&) = delete;
    bool Registered() const { return registered_; }

  private:
    bool registered_;
};

void ExpectFileAsServed(const std::wstring& folder, size_t lesson) {
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(folder + L"\\" + kFileNames[lesson], &bytes))
        << "lesson " << lesson + 1;
    const std::string served = demo::DemoVideo(DemoLessons()[lesson]);
    EXPECT_EQ(bytes.size(), served.size()) << "lesson " << lesson + 1;
    EXPECT_TRUE(bytes == served) << "lesson " << lesson + 1;
}

TEST(BlackBox, TheWholeJobAsAPersonDoesIt) {
    const demo::DemoSite site;
    ASSERT_TRUE(site.Listening()) << "the demo course site's ports are taken";
    const DownloadFolder downloads;
    const AgentRegistration agent(agentPath, downloads.Path());
    ASSERT_TRUE(agent.Registered());
    const Program velkari(velkariPath);
    ASSERT_TRUE(velkari.Started());

    MainWindow main;
    ASSERT_TRUE(demo::FindMainWindow(velkari.Id(), 30s, &main));
    wchar_t title[64] = {};
    GetWindowTextW(main.window, title, 64);
    EXPECT_STREQ(title, L"Velkariv1.0");
    RECT frame;
    GetWindowRect(main.window, &frame);
    EXPECT_EQ(frame.right - frame.left, 562);
    EXPECT_EQ(frame.bottom - frame.top, 352);
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - 562) / 2);
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - 352) / 2);

    {
        const MessageBoxWatcher boxes(MessageBoxWatcher::Mode::CloseAtOnce, velkari.Id());
        demo::PressButton(main);
        ASSERT_TRUE(boxes.WaitForCount(1, 60s)) << "no completion message";
        EXPECT_EQ(boxes.Seen()[0].caption, L"信息：");
        EXPECT_EQ(boxes.Seen()[0].text.rfind(L"获取完毕", 0), 0u);
    }
    std::vector<std::wstring> expectedRows;
    for (size_t i = 0; i < DemoLessons().size(); ++i) {
        expectedRows.push_back(L"第 " + std::to_wstring(i + 1) + L" 节课  " +
                               Wide(DemoLessons()[i].title));
    }
    ASSERT_EQ(demo::ReadRows(main), expectedRows);

    ASSERT_TRUE(demo::ChooseFromRowMenu(main, 2, 0)) << "单个下载 on the third row";
    ASSERT_TRUE(WaitForFiles(downloads.Path(), 1, 30s));
    EXPECT_EQ(FilesIn(downloads.Path()), std::vector<std::wstring>{kFileNames[2]});
    ExpectFileAsServed(downloads.Path(), 2);

    downloads.Empty();
    ASSERT_TRUE(demo::ChooseFromRowMenu(main, 0, 1)) << "全部下载";
    ASSERT_TRUE(WaitForFiles(downloads.Path(), DemoLessons().size(), 60s));
    // Every lesson is handed over after the one before it, so the last file ends the run.
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(FilesIn(downloads.Path()).size(), DemoLessons().size());
    for (size_t lesson = 0; lesson < DemoLessons().size(); ++lesson) {
        ExpectFileAsServed(downloads.Path(), lesson);
    }

    demo::PressKey(main, VK_ESCAPE);
    DWORD exitCode = 1;
    EXPECT_TRUE(velkari.EndsWithin(10000, &exitCode)) << "Esc ends the program";
    EXPECT_EQ(exitCode, 0u);
}

} // namespace
} // namespace velkari

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 3) {
        std::fputs("usage: blackbox_tests <velkari.exe> <demo_agent.dll>\n", stderr);
        return 2;
    }
    velkari::velkariPath = velkari::demo::WindowsPath(argv[1]);
    velkari::agentPath = velkari::demo::WindowsPath(argv[2]);
    return RUN_ALL_TESTS();
}
