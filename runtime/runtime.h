// runtime.h - the runtime frame inside the library: start-up, main window, worker thread, mailbox.
#ifndef TVX_RUNTIME_H
#define TVX_RUNTIME_H

#include <windows.h>
#include <shellapi.h>   // drag and drop of files

#include <atomic>

#include "torvex.h"

// ----- Process-wide state of start-up and the main window -----------------------------------
extern HINSTANCE InstanceHandle;
extern HWND MainWindow;
extern HWND StatusLine;
extern HMENU MainMenuBar;
extern HANDLE WorkerThreadHandle;
extern DWORD WorkerThreadId;
extern int ScreenBits;
extern double MillisecondsPerTick;
extern wchar_t StartupDirectoryW[2][MAX_PATH];   // the file dialogs' remembered folders
extern char StartupDirectoryA[2][MAX_PATH];
extern char LogDirectory[2 * MAX_PATH];          // ends in a backslash, or "" (the current folder)
extern int FullScreenWidth;
extern int FullScreenHeight;

enum {
    // Posted to the main window: wParam 1 accept dropped files, 0 refuse them. The worker never
    // calls into the main window's thread directly, which would wait on it during Exit.
    kMsgAcceptDrops = WM_APP + 1,
    kMainWindowWidth = 240,
    kMainWindowExtraHeight = 58,   // added to the caption height
    kStatusLineId = 2001,
};

// Runs the whole program on the calling thread (which becomes the main thread): start-up, the
// message loop until the main window is destroyed, and the clean-up. Returns the exit code.
int TVX_RunProgram(HINSTANCE instance);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The popup menu with the items greyed as the current state asks; the caller destroys it.
HMENU BuildMainPopupMenu(void);

// ----- Small shared helpers -----------------------------------------------------------------
int NowMilliseconds(void);
void SetStatusText(const char *text);
void ShowColorDepthStatus(void);   // "%d-bit color" with ScreenBits
void InsertMenuText(HMENU menu, UINT position, UINT state, UINT id, const char *text);
void InsertMenuSeparator(HMENU menu, UINT position);
void InsertSubMenu(HMENU menu, UINT position, HMENU submenu, const char *text);
void RaiseWindow(HWND window);   // to the top of the z-order, from either thread
void AcceptMainWindowDrops(bool accept);   // from either thread, without waiting
void NameThread(HANDLE thread, const wchar_t *name);   // for debuggers and process lists
// Shows a popup menu at the cursor with right-button tracking, owned by owner, then destroys it.
void TrackMenuAtCursor(HMENU menu, HWND owner);
int GetWindowTextAnsi(HWND window, char *buffer, int max);
void SetWindowTextAnsi(HWND window, const char *text);
int AnsiToWide(const char *text, wchar_t *out, int units);   // cut to fit, always terminated
int WideToAnsi(const wchar_t *text, char *out, int bytes);   // cut at a character boundary
// For file names, which must never be cut: false (out "") when text is NULL or does not fit whole.
bool AnsiToWideWhole(const char *text, wchar_t *out, int units);
// The client area of a full-screen window: width and height of the work area above the caption.
void ReadFullScreenSize(int *width, int *height);

// ----- Words of the window tables that one thread writes and the other reads ----------------
// (a slot's in-use flag: the worker makes and frees windows, the main window's prompts and drops
// look for free slots). Atomic access without changing the records' layout.
inline int LoadShared(const int &word) { return __atomic_load_n(&word, __ATOMIC_ACQUIRE); }
inline void StoreShared(int &word, int value) { __atomic_store_n(&word, value, __ATOMIC_RELEASE); }

// ----- The modal rule and the keys every window passes on -------------------------------------
extern std::atomic<int> InputWindow;       // 0, or the text window of the active line input plus 1
extern std::atomic<int> ClickWaitActive;   // 1 while an image operation waits for clicks
// True while a line input or a click wait runs: context menus and command keys are refused.
bool IsModalWaitActive(void);
// Takes the line input for text window index; false when one runs already (none may nest).
bool ClaimLineInput(int index);
// S, C, X and Escape without Ctrl go to the main window (Start, Stop, Exit); true when key was one.
bool ForwardMainKey(WPARAM key);
int IsSystemLeadByte(unsigned char byte);   // of the system code page, for the cutting rules

// ----- Worker thread and shared flags --------------------------------------------------------
extern std::atomic<int> StartRequest;
extern std::atomic<int> AppRunning;
extern std::atomic<int> QuitState;

DWORD WINAPI WorkerThreadMain(void *argument);
void RequestStart(void);
void RequestStop(void);
void RunExitSequence(void);
int PumpMainMessages(void);

// ----- Request mailbox ------------------------------------------------------------------------
// One request at a time from the main thread to the worker. The frame carries a module's request
// code and the module's own record of arguments and result without looking inside; the module
// that registered the code serves it (modules.h).
struct RequestMailboxRecord {
    std::atomic<int> code;   // written last by the sender (release), read by the worker (acquire)
    std::atomic<int> done;   // written by the worker before it clears code
    void *request;           // the sending module's record
};
extern RequestMailboxRecord RequestMailbox;

// Waits for the free slot, hands the request over and waits, pumping the main thread, until the
// worker has served it. False when it was not served: a send inside another send's wait, or
// Exit (after which nothing reads the record).
bool SendRequest(int code, void *request);
void ServeRequest(void);
// While a request is being sent (its wait pumps the main thread), keeps a main-window message
// that would send another and posts it again once the send has ended; false when no send runs
// (or the small queue is full), and the caller handles the message now.
bool DeferWhileSending(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Edge snapping of library windows dragged with Ctrl: the table is rebuilt whenever a library
// window is made, moved, resized or destroyed (leaving is left out of it); every window passes
// its moving rectangle through the snap.
void UpdateSnapRects(HWND leaving = NULL);
void SnapMovingRect(RECT *proposed, HWND window);
// The messages every library window answers alike for snapping (WM_MOVING, WM_MOVE, WM_DESTROY):
// each window procedure hands them here. Returns 0, the messages' answer.
LRESULT SnapWindowMessage(HWND window, UINT message, LPARAM lParam);

#endif
