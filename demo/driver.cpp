#include "demo/driver.h"

#include "text/text.h"

#include <commctrl.h>

#include <thread>

namespace velkari::demo {

namespace {

using namespace std::chrono_literals;

constexpr int kEditId = 102;
constexpr int kButtonId = 103;
constexpr int kListId = 104;

class ProcessHandle {
  public:
    explicit ProcessHandle(DWORD processId)
        : handle_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                              processId)) {}
    ~ProcessHandle() {
        if (handle_ != nullptr) {
            CloseHandle(handle_);
        }
    }
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;
    HANDLE Get() const { return handle_; }

  private:
    HANDLE handle_;
};

// Memory in the other process, for the list view messages that carry pointers.
class RemoteBuffer {
  public:
    RemoteBuffer(HANDLE process, size_t size)
        : process_(process),
          address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
    ~RemoteBuffer() {
        if (address_ != nullptr) {
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    char* Address() const { return static_cast<char*>(address_); }
    bool Write(size_t offset, const void* bytes, size_t size) const {
        return WriteProcessMemory(process_, Address() + offset, bytes, size, nullptr) != 0;
    }
    bool Read(size_t offset, void* bytes, size_t size) const {
        return ReadProcessMemory(process_, Address() + offset, bytes, size, nullptr) != 0;
    }

  private:
    HANDLE process_;
    void* address_;
};

bool WaitUntil(bool (*done)(const MainWindow&), const MainWindow& main,
               std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done(main)) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

bool MenuIsOpen(const MainWindow&) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu);
}

bool MenuIsClosed(const MainWindow& main) {
    return !MenuIsOpen(main);
}

void SendKey(WORD key) {
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

void RightClickAt(POINT at) {
    SetCursorPos(at.x, at.y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

bool RowCentre(const MainWindow& main, int row, POINT* centre) {
    ProcessHandle process(main.processId);
    RemoteBuffer remote(process.Get(), sizeof(RECT));
    RECT rect{LVIR_BOUNDS, 0, 0, 0};
    if (remote.Address() == nullptr || !remote.Write(0, &rect, sizeof rect) ||
        !SendMessageW(main.list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(remote.Address())) ||
        !remote.Read(0, &rect, sizeof rect)) {
        return false;
    }
    *centre = POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    MapWindowPoints(main.list, nullptr, centre, 1);
    return true;
}

struct Found {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK ConsiderWindow(HWND window, LPARAM parameter) {
    auto* found = reinterpret_cast<Found*>(parameter);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (std::wstring(className) == L"VelkariMainWindow" && IsWindowVisible(window) &&
        (found->processId == 0 || process == found->processId)) {
        found->window = window;
        found->processId = process;
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::wstring WindowsPath(const std::string& unixOrWindows) {
    std::wstring path = ToWide(Text(std::string_view(unixOrWindows)), 65001);
    if (!path.empty() && path[0] == L'/') {
        path = L"Z:" + path;
    }
    for (wchar_t& c : path) {
        c = c == L'/' ? L'\\' : c;
    }
    return path;
}

bool FindMainWindow(DWORD processId, std::chrono::milliseconds limit, MainWindow* main) {
    const auto until = std::chrono::steady_clock::now() + limit;
    Found found{processId, nullptr};
    // The window is shown once its controls are all there.
    while (EnumWindows(ConsiderWindow, reinterpret_cast<LPARAM>(&found)), found.window == nullptr) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    *main = MainWindow{found.window, GetDlgItem(found.window, kEditId),
                       GetDlgItem(found.window, kButtonId), GetDlgItem(found.window, kListId),
                       found.processId};
    return main->edit != nullptr && main->button != nullptr && main->list != nullptr;
}

void PressButton(const MainWindow& main) {
    SendMessageW(main.button, BM_CLICK, 0, 0);
}

std::vector<std::wstring> ReadRows(const MainWindow& main) {
    constexpr int kTextUnits = 1024;
    ProcessHandle process(main.processId);
    RemoteBuffer remote(process.Get(), sizeof(LVITEMW) + kTextUnits * sizeof(wchar_t));
    std::vector<std::wstring> rows;
    const int count = static_cast<int>(SendMessageW(main.list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count && remote.Address() != nullptr; ++row) {
        LVITEMW item{};
        item.iSubItem = 0;
        item.cchTextMax = kTextUnits;
        item.pszText = reinterpret_cast<wchar_t*>(remote.Address() + sizeof(LVITEMW));
        wchar_t text[kTextUnits] = {};
        remote.Write(0, &item, sizeof item);
        const LRESULT length = SendMessageW(main.list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                            reinterpret_cast<LPARAM>(remote.Address()));
        remote.Read(sizeof(LVITEMW), text, sizeof text);
        rows.emplace_back(text, static_cast<size_t>(length > 0 ? length : 0));
    }
    return rows;
}

bool ChooseFromRowMenu(const MainWindow& main, int row, int item) {
    POINT centre{};
    if (!RowCentre(main, row, &centre)) {
        return false;
    }
    SetForegroundWindow(main.window);
    RightClickAt(centre);
    if (!WaitUntil(MenuIsOpen, main, 5s)) {
        return false;
    }
    for (int i = 0; i <= item; ++i) {
        SendKey(VK_DOWN);
    }
    SendKey(VK_RETURN);
    return WaitUntil(MenuIsClosed, main, 5s);
}

void PressKey(const MainWindow& main, WORD key) {
    SetForegroundWindow(main.window);
    SendKey(key);
}

} // namespace velkari::demo
