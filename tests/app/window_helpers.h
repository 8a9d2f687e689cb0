// Small helpers for tests that drive the main window from another thread.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace velkari::testing {

// Polls `done` until it holds or `limit` has passed.
inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    for (auto until = std::chrono::steady_clock::now() + limit;
         std::chrono::steady_clock::now() < until;
         std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
        if (done()) {
            return true;
        }
    }
    return done();
}

inline std::wstring WindowText(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return buffer;
}

inline std::wstring RowText(HWND list, int row) {
    wchar_t buffer[512] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = buffer;
    item.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

inline std::vector<std::wstring> RowTexts(HWND list) {
    std::vector<std::wstring> rows;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        rows.push_back(RowText(list, row));
    }
    return rows;
}

} // namespace velkari::testing
