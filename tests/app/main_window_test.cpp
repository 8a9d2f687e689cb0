#include "app/app.h"
#include "app/window_helpers.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace velkari {
namespace {

using namespace std::chrono_literals;
using testing::RowText;
using testing::WaitFor;
using testing::WindowText;

const CourseSettings kSettings{"127.0.0.1", "127.0.0.1", "0123456789ABCDEF"};

std::wstring ClassOf(HWND window) {
    wchar_t buffer[128] = {};
    GetClassNameW(window, buffer, 128);
    return buffer;
}

RECT RectInParent(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::vector<HWND> DirectChildren(HWND window) {
    std::vector<HWND> children;
    for (HWND c = GetWindow(window, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        children.push_back(c);
    }
    return children;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// The main window, shown and served by a thread of its own as the program's main thread would;
// the test thread plays the part of a worker and of the user.
class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::promise<HWND> created;
        auto createdFuture = created.get_future();
        loop_ = std::thread([this, &created] {
            InitGlobals();
            HWND window = CreateMainWindow(GetModuleHandleW(nullptr), kSettings);
            if (window != nullptr) {
                ShowWindow(window, SW_SHOW);
                UpdateWindow(window);
            }
            created.set_value(window);
            if (window != nullptr) {
                RunMessageLoop(window);
            }
            ReleaseGlobals();
            loopEnded_.set_value();
        });
        window_ = createdFuture.get();
        ASSERT_NE(nullptr, window_);
        children_ = DirectChildren(window_);
        ASSERT_EQ(4u, children_.size());
        label_ = children_[0];
        edit_ = children_[1];
        button_ = children_[2];
        list_ = children_[3];
    }

    void TearDown() override {
        if (IsWindow(window_)) {
            PostMessageW(window_, WM_CLOSE, 0, 0);
        }
        loop_.join();
    }

    bool LoopEnds() { return loopEnded_.get_future().wait_for(5s) == std::future_status::ready; }

    void PressKey(HWND target, WPARAM key) { PostMessageW(target, WM_KEYDOWN, key, 0); }

    std::thread loop_;
    std::promise<void> loopEnded_;
    HWND window_ = nullptr;
    std::vector<HWND> children_;
    HWND label_ = nullptr, edit_ = nullptr, button_ = nullptr, list_ = nullptr;
};

TEST_F(MainWindowTest, WindowFrameSizeAndPlace) {
    EXPECT_EQ(L"Velkariv1.0", WindowText(window_));
    RECT r;
    GetWindowRect(window_, &r);
    EXPECT_EQ(562, r.right - r.left);
    EXPECT_EQ(352, r.bottom - r.top);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 562) / 2, r.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 352) / 2, r.top);

    const LONG style = GetWindowLongW(window_, GWL_STYLE);
    const LONG frame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
    EXPECT_EQ(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, style & frame);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(nullptr, GetParent(window_));
    EXPECT_EQ(nullptr, GetMenu(window_));
}

TEST_F(MainWindowTest, ControlsAsLaidOut) {
    struct Expected {
        HWND* control;
        const wchar_t* className;
        RECT rect; // left, top, right, bottom in the window's client area
        const wchar_t* text;
        bool tabStop;
        bool sunken;
    } expected[] = {
        {&label_, L"Static", {0, 8, 87, 32}, L"课程试听地址：", false, false},
        {&edit_, L"Edit", {110, 11, 438, 34}, L"http://127.0.0.1/course/video-5089", true, true},
        {&button_, L"Button", {468, 9, 541, 47}, L"获取信息", true, false},
        {&list_, L"SysListView32", {-3, 49, 555, 304}, L"", true, true},
    };
    HGDIOBJ guiFont = GetStockObject(DEFAULT_GUI_FONT);
    for (const Expected& e : expected) {
        HWND c = *e.control;
        SCOPED_TRACE(::testing::Message()
                     << std::string(e.className, e.className + wcslen(e.className)));
        EXPECT_EQ(0, _wcsicmp(e.className, ClassOf(c).c_str()));
        RECT r = RectInParent(c);
        EXPECT_EQ(e.rect.left, r.left);
        EXPECT_EQ(e.rect.top, r.top);
        EXPECT_EQ(e.rect.right, r.right);
        EXPECT_EQ(e.rect.bottom, r.bottom);
        EXPECT_EQ(e.text, WindowText(c));
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        EXPECT_EQ(e.tabStop, (style & WS_TABSTOP) != 0);
        EXPECT_TRUE(style & WS_VISIBLE);
        EXPECT_TRUE(IsWindowEnabled(c));
        EXPECT_EQ(e.sunken, (GetWindowLongW(c, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0);
        EXPECT_FALSE(style & WS_BORDER);
        EXPECT_EQ(guiFont, reinterpret_cast<HGDIOBJ>(SendMessageW(c, WM_GETFONT, 0, 0)));
    }
    const LONG editStyle = GetWindowLongW(edit_, GWL_STYLE);
    EXPECT_TRUE(editStyle & ES_AUTOHSCROLL);
    EXPECT_FALSE(editStyle & (ES_MULTILINE | ES_PASSWORD | ES_UPPERCASE | ES_LOWERCASE |
                              ES_READONLY | ES_NOHIDESEL | ES_NUMBER));
    const LONG buttonStyle = GetWindowLongW(button_, GWL_STYLE);
    EXPECT_EQ(BS_PUSHBUTTON, buttonStyle & BS_TYPEMASK);
    EXPECT_EQ(BS_CENTER | BS_VCENTER, buttonStyle & (BS_CENTER | BS_VCENTER));
}

TEST_F(MainWindowTest, LessonListIsAOneColumnReport) {
    const LONG style = GetWindowLongW(list_, GWL_STYLE);
    EXPECT_EQ(LVS_REPORT, style & LVS_TYPEMASK);
    EXPECT_TRUE(style & LVS_SINGLESEL);
    EXPECT_FALSE(style & (LVS_SHOWSELALWAYS | LVS_EDITLABELS | LVS_NOSORTHEADER |
                          LVS_NOCOLUMNHEADER | LVS_SORTASCENDING | LVS_SORTDESCENDING));
    const LRESULT ex = SendMessageW(list_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_EQ(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
              ex & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES |
                    LVS_EX_TRACKSELECT | LVS_EX_ONECLICKACTIVATE | LVS_EX_TWOCLICKACTIVATE));

    HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    ASSERT_NE(nullptr, header);
    EXPECT_TRUE(IsWindowVisible(header));
    EXPECT_EQ(1, SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    wchar_t title[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.pszText = title;
    column.cchTextMax = 64;
    ASSERT_TRUE(SendMessageW(list_, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(std::wstring(L"课程名称"), title);
    EXPECT_EQ(500, column.cx);
    EXPECT_EQ(LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK);
    EXPECT_EQ(0, SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    // The control's defaults are the system's window colours: black text on white.
    const auto text = static_cast<COLORREF>(SendMessageW(list_, LVM_GETTEXTCOLOR, 0, 0));
    EXPECT_EQ(RGB(0, 0, 0), text == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : text);
    EXPECT_EQ(RGB(255, 255, 255), static_cast<COLORREF>(SendMessageW(list_, LVM_GETBKCOLOR, 0, 0)));
}

TEST_F(MainWindowTest, TabMovesFocusOverEditButtonAndList) {
    ASSERT_TRUE(WaitFor([&] { return FocusOf(window_) == edit_; }));
    for (HWND next : {button_, list_, edit_}) {
        PressKey(FocusOf(window_), VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return FocusOf(window_) == next; }));
    }
}

TEST_F(MainWindowTest, EnterPressesNothing) {
    // Watch the window's commands from outside, as a spy on its window procedure would.
    static std::atomic<int> clicks;
    static WNDPROC original;
    clicks = 0;
    original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window_, GWLP_WNDPROC));
    SetWindowLongPtrW(window_, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) {
                          if (m == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
                              ++clicks; // and kept from starting a fetch
                              return LRESULT{0};
                          }
                          return CallWindowProcW(original, w, m, wp, lp);
                      }));
    PressKey(edit_, VK_RETURN);
    PressKey(FocusOf(window_), VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return FocusOf(window_) == button_; }));
    PressKey(button_, VK_RETURN);
    PressKey(button_, VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return FocusOf(window_) == list_; }));
    EXPECT_EQ(0, clicks.load());
    EXPECT_TRUE(IsWindow(window_));
    SendMessageW(button_, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return clicks.load() == 1; })) << "the spy sees a real click";
}

class EscapeTest : public MainWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(EscapeTest, EscapeClosesTheWindowFromEveryControl) {
    HWND order[] = {edit_, button_, list_};
    const int tabs = GetParam();
    ASSERT_TRUE(WaitFor([&] { return FocusOf(window_) == edit_; }));
    for (int i = 0; i < tabs; ++i) {
        PressKey(FocusOf(window_), VK_TAB);
        ASSERT_TRUE(WaitFor([&] { return FocusOf(window_) == order[i + 1]; }));
    }
    PressKey(order[tabs], VK_ESCAPE);
    EXPECT_TRUE(LoopEnds());
    EXPECT_FALSE(IsWindow(window_));
}

INSTANTIATE_TEST_SUITE_P(FocusedControl, EscapeTest, ::testing::Values(0, 1, 2));

TEST_F(MainWindowTest, RightClickOpensTheDownloadMenuAtTheCursor) {
    RECT listRect;
    GetWindowRect(list_, &listRect);
    struct Spot {
        const char* where;
        int rows;
        int y; // offset from the list's top
    } spots[] = {{"empty list", 0, 120}, {"on a row", 3, 30}, {"below the rows", 3, 200}};
    for (const Spot& spot : spots) {
        SCOPED_TRACE(spot.where);
        DeleteAllRows();
        for (int i = 0; i < spot.rows; ++i) {
            SetItemText(InsertRow(), 0, "第 1 节课  样例");
        }
        SetForegroundWindow(window_);
        const POINT at{listRect.left + 60, listRect.top + spot.y};
        SetCursorPos(at.x, at.y);
        INPUT clicks[2] = {};
        clicks[0].type = clicks[1].type = INPUT_MOUSE;
        clicks[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
        clicks[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
        SendInput(2, clicks, sizeof(INPUT));

        HWND menu = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            menu = FindWindowW(L"#32768", nullptr);
            return menu != nullptr && IsWindowVisible(menu);
        }));
        RECT menuRect;
        GetWindowRect(menu, &menuRect);
        EXPECT_EQ(at.x + 3, menuRect.left);
        EXPECT_EQ(at.y + 3, menuRect.top);
        HMENU items = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
        ASSERT_EQ(2, GetMenuItemCount(items));
        wchar_t text[32];
        GetMenuStringW(items, 0, text, 32, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(L"单个下载"), text);
        GetMenuStringW(items, 1, text, 32, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(L"全部下载"), text);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(0u, GetMenuState(items, i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));
        }
        if (spot.rows > 0 && spot.y < 60) {
            EXPECT_EQ(0, SelectedRow()) << "the row under the cursor is selected";
        }
        INPUT escape[2] = {};
        escape[0].type = escape[1].type = INPUT_KEYBOARD;
        escape[0].ki.wVk = escape[1].ki.wVk = VK_ESCAPE;
        escape[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, escape, sizeof(INPUT));
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(menu) || !IsWindowVisible(menu); }));
        EXPECT_TRUE(IsWindow(window_)) << "Esc closes only the menu";
    }
}

TEST_F(MainWindowTest, ControlOperationsFromAnotherThread) {
    EXPECT_EQ(Text("http://127.0.0.1/course/video-5089"), AddressText());
    SetWindowTextW(edit_, L"http://例子.cn/课程?a=1");
    EXPECT_EQ(Text("http://例子.cn/课程?a=1"), AddressText());
    SetWindowTextW(edit_, L"");
    EXPECT_EQ(0, TextLength(AddressText()));

    EXPECT_EQ(-1, SelectedRow());
    EXPECT_EQ(0, InsertRow());
    EXPECT_EQ(1, InsertRow());
    EXPECT_EQ(L"", RowText(list_, 1));
    SetItemText(0, 0, "第 1 节课  入门");
    SetItemText(1, 0, Text());
    EXPECT_EQ(L"第 1 节课  入门", RowText(list_, 0));
    EXPECT_EQ(L"", RowText(list_, 1));

    LVITEMW select{};
    select.stateMask = LVIS_SELECTED;
    select.state = LVIS_SELECTED;
    SendMessageW(list_, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));
    EXPECT_EQ(1, SelectedRow());

    DeleteAllRows();
    EXPECT_EQ(0, SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(-1, SelectedRow());
    EXPECT_EQ(0, InsertRow()) << "rows start again at 0";
}

TEST_F(MainWindowTest, HeaderClickKeepsTheRowOrder) {
    for (const char* row : {"第 1 节课  乙", "第 2 节课  甲"}) {
        SetItemText(InsertRow(), 0, row);
    }
    HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
    RECT item;
    SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(header, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(L"第 1 节课  乙", RowText(list_, 0));
    EXPECT_EQ(L"第 2 节课  甲", RowText(list_, 1));
}

TEST(Globals, StartUpLeavesBothListsAndTheCourseRegexEmpty) {
    InitGlobals();
    EXPECT_EQ(0, ElementCount(VideoAddresses()));
    EXPECT_EQ(0, ElementCount(LessonTitles()));
    EXPECT_EQ(0, CourseRegex().MatchCount());
    EXPECT_EQ(Text(), CourseRegex().GetPattern());
    ReleaseGlobals();
}

TEST(CodePage, WindowsCodePageIsWhatTheRunAskedFor) {
    // The suite runs once under code page 936 and once under a Western one; the window's texts
    // above must read back the same either way.
    const char* expected = std::getenv("VELKARI_EXPECTED_ACP");
    ASSERT_NE(nullptr, expected);
    EXPECT_EQ(static_cast<UINT>(std::atoi(expected)), GetACP());
}

} // namespace
} // namespace velkari
