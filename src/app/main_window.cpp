#include "app/app.h"

#include <commctrl.h>

#include <climits>

namespace velkari {

namespace {

constexpr wchar_t kWindowClass[] = L"VelkariMainWindow";
constexpr int kWindowWidth = 562;
constexpr int kWindowHeight = 352;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// Control and command ids stay clear of IDOK and IDCANCEL.
enum ControlId : int {
    kLabelId = 101,
    kAddressEditId,
    kFetchButtonId,
    kLessonListId,
};

// The one main window and its controls, set once when the window is created.
struct MainWindowHandles {
    HWND window = nullptr;
    HWND addressEdit = nullptr;
    HWND lessonList = nullptr;
    CourseSettings settings;
} handles;

std::wstring Wide(const Text& text) {
    return ToWide(text, kTextCodePage);
}

// A pop-up menu that lives for one tracking.
class PopupMenu {
  public:
    PopupMenu() : menu_(CreatePopupMenu()) {}
    ~PopupMenu() {
        if (menu_ != nullptr) {
            DestroyMenu(menu_);
        }
    }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    HMENU get() const { return menu_; }

  private:
    HMENU menu_;
};

struct ControlLayout {
    DWORD exStyle;
    const wchar_t* className;
    DWORD style;
    int id, x, y, width, height;
};

HWND CreateControl(HWND parent, const ControlLayout& layout, const Text& text) {
    HWND control = CreateWindowExW(layout.exStyle, layout.className, Wide(text).c_str(),
                                   WS_CHILD | WS_VISIBLE | layout.style, layout.x, layout.y,
                                   layout.width, layout.height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (control != nullptr) {
        SendMessageW(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    }
    return control;
}

bool AddLessonColumn(HWND list) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    std::wstring title = Wide("课程名称");
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = 500;
    column.pszText = title.data();
    return SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)) == 0;
}

bool CreateControls(HWND window) {
    const ControlLayout label{0, L"STATIC", SS_LEFT, kLabelId, 0, 8, 87, 24};
    const ControlLayout edit{WS_EX_CLIENTEDGE,
                             L"EDIT",
                             WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
                             kAddressEditId,
                             110,
                             11,
                             328,
                             23};
    const ControlLayout button{
        0,  L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER, kFetchButtonId, 468, 9,
        73, 38};
    const ControlLayout list{WS_EX_CLIENTEDGE,
                             WC_LISTVIEWW,
                             WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL,
                             kLessonListId,
                             -3,
                             49,
                             558,
                             255};
    const Text address =
        ConcatText({"http://", handles.settings.courseSiteHost, "/course/video-5089"});

    // Creation order is the tab order: edit box, button, list.
    if (CreateControl(window, label, "课程试听地址：") == nullptr) {
        return false;
    }
    handles.addressEdit = CreateControl(window, edit, address);
    HWND fetchButton = CreateControl(window, button, "获取信息");
    handles.lessonList = CreateControl(window, list, Text());
    return handles.addressEdit != nullptr && fetchButton != nullptr &&
           handles.lessonList != nullptr && AddLessonColumn(handles.lessonList);
}

void OnNotify(const NMHDR& header) {
    if (header.hwndFrom == handles.lessonList && header.code == NM_RCLICK) {
        ShowDownloadMenu();
    }
}

void OnCommand(int id, int code) {
    if (id == kFetchButtonId && code == BN_CLICKED) {
        StartFetch(handles.settings);
    } else if (id == kDownloadSelectedId) {
        DownloadSelected();
    } else if (id == kDownloadAllId) {
        DownloadAll();
    }
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY:
        OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool NoModifierDown() {
    return GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0;
}

// The window's keys, whichever control has the focus: Esc closes, Tab moves on, Enter is inert.
bool HandleWindowKey(HWND mainWindow, const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.hwnd != mainWindow && !IsChild(mainWindow, msg.hwnd))) {
        return false;
    }
    switch (msg.wParam) {
    case VK_ESCAPE:
        if (!NoModifierDown()) {
            return false;
        }
        PostMessageW(mainWindow, WM_CLOSE, 0, 0);
        return true;
    case VK_TAB: {
        if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) {
            return false;
        }
        HWND from = msg.hwnd == mainWindow ? nullptr : msg.hwnd;
        HWND next = GetNextDlgTabItem(mainWindow, from, GetKeyState(VK_SHIFT) < 0);
        if (next != nullptr) {
            SetFocus(next);
        }
        return true;
    }
    case VK_RETURN:
        return true;
    default:
        return false;
    }
}

} // namespace

HWND CreateMainWindow(HINSTANCE instance, const CourseSettings& settings) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    if (!RegisterMainWindowClass(instance)) {
        return nullptr;
    }
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
    HWND window =
        CreateWindowExW(WS_EX_APPWINDOW, kWindowClass, Wide("Velkariv1.0").c_str(), kWindowStyle, x,
                        y, kWindowWidth, kWindowHeight, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return nullptr;
    }
    handles.window = window;
    handles.settings = settings;
    if (!CreateControls(window)) {
        DestroyWindow(window);
        handles = MainWindowHandles();
        return nullptr;
    }
    SetFocus(handles.addressEdit);
    return window;
}

void RunMessageLoop(HWND mainWindow) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!HandleWindowKey(mainWindow, msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void ShowDownloadMenu() {
    PopupMenu menu;
    if (menu.get() == nullptr) {
        return;
    }
    AppendMenuW(menu.get(), MF_STRING, kDownloadSelectedId, Wide("单个下载").c_str());
    AppendMenuW(menu.get(), MF_STRING, kDownloadAllId, Wide("全部下载").c_str());
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, cursor.x + 3,
                   cursor.y + 3, 0, handles.window, nullptr);
}

Text AddressText() {
    const int length = GetWindowTextLengthW(handles.addressEdit);
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(handles.addressEdit, wide.data(), length + 1);
    wide.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return FromWide(wide, kTextCodePage);
}

void DeleteAllRows() {
    SendMessageW(handles.lessonList, LVM_DELETEALLITEMS, 0, 0);
}

int InsertRow() {
    wchar_t empty[] = L"";
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = INT_MAX; // past the last row: the control appends
    item.pszText = empty;
    return static_cast<int>(
        SendMessageW(handles.lessonList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void SetItemText(int row, int column, const Text& text) {
    std::wstring wide = Wide(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    SendMessageW(handles.lessonList, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

int SelectedRow() {
    return static_cast<int>(
        SendMessageW(handles.lessonList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

} // namespace velkari
