// Drives a running velkari.exe from outside, as a person would: finds its window, presses its
// button, reads its rows, right-clicks a row and picks from the menu with the keyboard, and
// presses keys.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace velkari::demo {

// A path as Wine's Windows side reaches it: a Unix path through drive Z:, any other unchanged
// but for its slashes.
std::wstring WindowsPath(const std::string& unixOrWindows);

struct MainWindow {
    HWND window = nullptr;
    HWND edit = nullptr;
    HWND button = nullptr;
    HWND list = nullptr;
    DWORD processId = 0;
};

// Waits for the shown main window of process `processId`, or of any process when it is 0.
bool FindMainWindow(DWORD processId, std::chrono::milliseconds limit, MainWindow* found);
void PressButton(const MainWindow& main);
std::vector<std::wstring> ReadRows(const MainWindow& main);
// Right-clicks row `row` and chooses item `item` (0-based) of the menu that opens.
bool ChooseFromRowMenu(const MainWindow& main, int row, int item);
// Brings the window to the front and types `key` there.
void PressKey(const MainWindow& main, WORD key);

} // namespace velkari::demo
