// The application shell: start-up and exit, the main window, the process-wide result lists and
// the operations on the window's controls that other threads may call.
#pragma once

#include "regex/regex.h"
#include "text/text.h"

#include <windows.h>

namespace velkari {

// Host of the course site, with an optional port; the edit box starts with a page on it.
extern const char* const CourseSiteHost;

// Runs the whole program on the calling thread and returns after the exit clean-up.
void AppMain();

// The process-wide values, created before the main window and released at exit.
void InitGlobals();
void ReleaseGlobals();
TextArray& VideoAddresses();
TextArray& LessonTitles();
RegexObject& CourseRegex();

// The main window with its controls; nullptr when it cannot be created. It is shown by the
// caller and ends the calling thread's message loop when it is destroyed.
HWND CreateMainWindow(HINSTANCE instance);
// Runs the message loop of the calling thread, with the main window's keys, until it ends.
void RunMessageLoop(HWND mainWindow);

void ShowDownloadMenu();

// Operations on the main window's controls. Each is a message that the window's thread carries
// out while a caller on another thread waits.
Text AddressText();
void DeleteAllRows();
int InsertRow();
void SetItemText(int row, int column, const Text& text);
int SelectedRow();

} // namespace velkari
