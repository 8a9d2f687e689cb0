// The application shell: start-up and exit, the main window, the process-wide result lists, the
// operations on the window's controls that other threads may call, the course fetch worker and
// the download hand-off.
#pragma once

#include "app/file_name.h"
#include "regex/regex.h"
#include "scraper/scraper.h"
#include "text/text.h"

#include <windows.h>

namespace velkari {

// The course site and video service compiled into the program.
CourseSettings CompiledSettings();

// Runs the whole program on the calling thread with `settings` and returns after the exit
// clean-up. When a worker is still alive at exit the process ends at once instead, so that
// nothing the worker uses is freed under it.
void AppMain(const CourseSettings& settings);

// The process-wide values, created before the main window and released at exit.
void InitGlobals();
void ReleaseGlobals();
TextArray& VideoAddresses();
TextArray& LessonTitles();
RegexObject& CourseRegex();

// The main window with its controls; nullptr when it cannot be created. It is shown by the
// caller and ends the calling thread's message loop when it is destroyed. Its edit box starts
// with a course page on the course site, and its button fetches with `settings`.
HWND CreateMainWindow(HINSTANCE instance, const CourseSettings& settings);
// Runs the message loop of the calling thread, with the main window's keys, until it ends.
void RunMessageLoop(HWND mainWindow);

// The pop-up menu's commands, sent to the main window as WM_COMMAND.
enum MenuCommand : int { kDownloadSelectedId = 201, kDownloadAllId = 202 };
void ShowDownloadMenu();

// Operations on the main window's controls. Each is a message that the window's thread carries
// out while a caller on another thread waits.
Text AddressText();
void DeleteAllRows();
int InsertRow();
void SetItemText(int row, int column, const Text& text);
int SelectedRow();

// One run at a time: a run that is still filling the list makes StartFetch start nothing and
// the download commands hand nothing over. A run stops filling once its last row is in, before
// its completion message.
void StartFetch(const CourseSettings& settings);
// The worker's whole run, on the calling thread: rows, both lists, then the completion message.
void FetchCourseList(const CourseSettings& settings);
bool FetchIsFilling();
// Workers whose thread has not yet finished, completion message included.
int LiveWorkers();

// The pop-up menu's commands, on the main thread.
void DownloadSelected();
void DownloadAll();
// Hands one lesson to the download manager, or says that it is not installed.
void SendToThunder(const Text& address, const Text& fileName);

} // namespace velkari
