// The runtime frame under Wine: start-up, the main window, runs, the mailbox and Exit, driven by
// posted keys and commands while the real library runs on the test's main thread.
#include <string>

#include <gtest/gtest.h>

#include "boxes/boxes.h"
#include "image/image_module.h"
#include "runtime/runtime.h"
#include "test_app.h"
#include "text/text_window.h"

// A run that pumps and polls StopRequest, as every application loop does.
static void PollingRun()
{
    while (StopRequest.load() == 0) {
        TVX_PumpMessages();
        Sleep(1);
    }
}

// Where the main window comes to rest is measured end to end (e2e/main_window.sh).
TEST(Startup, RegistersTheClassesTheStatusLineAndTheMenuBar)
{
    std::wstring duringAnimation;
    EXPECT_EQ(0, RunWithDriver([&] {
        ASSERT_TRUE(WaitUntil([] { return StatusLine != NULL; }, 10000));
        duringAnimation = TextOf(StatusLine);
        WaitForIdleWorker();

        struct ClassRow {
            const wchar_t *name;
            UINT style;
            HBRUSH background;
        };
        const ClassRow rows[] = {
            {L"tvx_mw", 0x40, (HBRUSH)(COLOR_BTNFACE + 1)},
            {L"tvx_iw", 0x20, (HBRUSH)GetStockObject(BLACK_BRUSH)},
            {L"tvx_twi", 0x20, (HBRUSH)GetStockObject(BLACK_BRUSH)},
            {L"tvx_ib", 0x28, (HBRUSH)(COLOR_BTNFACE + 1)},
            {L"tvx_bb", 0x28, (HBRUSH)(COLOR_BTNFACE + 1)},
        };
        for (const ClassRow &row : rows) {
            WNDCLASSEXW wc = {};
            wc.cbSize = sizeof wc;
            ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(NULL), row.name, &wc));
            EXPECT_EQ(row.style, wc.style);
            EXPECT_EQ(row.background, wc.hbrBackground);
            EXPECT_EQ(LoadCursorW(NULL, (LPCWSTR)IDC_ARROW), wc.hCursor);
            EXPECT_EQ(NULL, wc.hIcon);
            EXPECT_EQ(0, wc.cbClsExtra + wc.cbWndExtra);
        }

        EXPECT_EQ(L"TORVEX", TextOf(MainWindow));
        EXPECT_EQ(std::wstring(12, L' ') + L"32-bit color", TextOf(StatusLine));
        EXPECT_EQ(2001, GetDlgCtrlID(StatusLine));
        RECT s;
        GetWindowRect(StatusLine, &s);
        EXPECT_EQ(234, s.right - s.left);
        EXPECT_EQ(20, s.bottom - s.top);

        HMENU bar = GetMenu(MainWindow);
        ASSERT_EQ(3, GetMenuItemCount(bar));
        const wchar_t *texts[3] = {L"Start(&S)", L"Stop(&C)", L"Exit(&X)"};
        const UINT ids[3] = {1001, 1003, 1002};
        for (int i = 0; i < 3; i++) {
            wchar_t text[64];
            GetMenuStringW(bar, (UINT)i, text, 64, MF_BYPOSITION);
            EXPECT_STREQ(texts[i], text);
            EXPECT_EQ(ids[i], GetMenuItemID(bar, i));
        }
        EXPECT_TRUE(GetWindowLongW(MainWindow, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    }));
    EXPECT_EQ(L"Ready", duringAnimation);
    EXPECT_EQ(1, InitHook.calls.load());
    EXPECT_EQ(0, MainHook.calls.load());
    EXPECT_EQ(1, ExitHook.calls.load());
}

TEST(Runs, StartDuringARunStartsNothingAndStartAfterItStartsTheNext)
{
    OnAppMain = PollingRun;
    DWORD workerId = 0;
    EXPECT_EQ(0, RunWithDriver([&] {
        WaitForIdleWorker();
        workerId = WorkerThreadId;
        PostMainKey('S');
        ASSERT_TRUE(WaitUntil([] { return MainHook.calls.load() == 1; }, 5000));
        EXPECT_EQ(1, AppRunning.load());
        // Drops are refused while the application runs.
        ASSERT_TRUE(WaitUntil([] { return !(GetWindowLongW(MainWindow, GWL_EXSTYLE) &
                                            WS_EX_ACCEPTFILES); }, 2000));
        PostMainKey('S');
        PostMainCommand(1001);
        PostMainKey('S');
        Sleep(200);
        EXPECT_EQ(1, MainHook.calls.load());
        EXPECT_EQ(0, StartRequest.load());
        StopUntilIdle();
        EXPECT_EQ(0, StopRequest.load());
        ASSERT_TRUE(WaitUntil([] { return (GetWindowLongW(MainWindow, GWL_EXSTYLE) &
                                           WS_EX_ACCEPTFILES) != 0; }, 2000));
        PostMainCommand(1001);
        ASSERT_TRUE(WaitUntil([] { return MainHook.calls.load() == 2; }, 5000));
        PostMainCommand(1003);   // Stop from the menu
        ASSERT_TRUE(WaitUntil([] { return AppRunning.load() == 0; }, 5000));
        PostMainCommand(1002);   // Exit from the menu
    }));
    EXPECT_EQ(2, MainHook.calls.load());
    EXPECT_EQ(workerId, MainHook.lastThread.load());
    EXPECT_EQ(1, ExitHook.calls.load());
}

TEST(Runs, StopWhileIdleDoesNotStopTheNextRun)
{
    OnAppMain = PollingRun;
    EXPECT_EQ(0, RunWithDriver([&] {
        WaitForIdleWorker();
        PostMainKey('C');
        ASSERT_TRUE(WaitUntil([] { return StopRequest.load() == 1; }, 2000));
        PostMainKey('S');
        ASSERT_TRUE(WaitUntil([] { return AppRunning.load() == 1; }, 5000));
        Sleep(300);
        EXPECT_EQ(1, AppRunning.load());   // the run did not see the earlier Stop
        EXPECT_EQ(0, StopRequest.load());
        StopUntilIdle();
        PostMainKey(VK_ESCAPE);
    }));
    EXPECT_EQ(1, MainHook.calls.load());
}

// A run that reaches the main window after Exit has begun (a message sent to it) is answered, so
// the worker still ends by itself.
TEST(Exit, AMessageTheRunSendsToTheMainWindowDuringExitIsAnswered)
{
    std::atomic<LRESULT> answered{-1};
    OnAppMain = [&] {
        while (QuitState.load() == 0)
            Sleep(1);   // neither pumps nor polls: Exit is waiting for the worker now
        DWORD_PTR result = 0;
        answered = SendMessageTimeoutW(MainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
        PollingRun();
    };
    DWORD workerId = 0;
    EXPECT_EQ(0, RunStarted([&] {
        workerId = WorkerThreadId;
    }));
    EXPECT_EQ(1, answered.load());
    EXPECT_EQ(workerId, ExitHook.lastThread.load());
}

TEST(Exit, ABlockedWorkerIsTerminatedAfterTwoSecondsAndExitRunsOnTheMainThread)
{
    std::atomic<int> blocked{0};
    OnAppMain = [&] {
        blocked = 1;
        Sleep(8000);   // does not poll StopRequest
    };
    HANDLE worker = NULL;
    int exitAsked = 0;
    DWORD mainThread = GetCurrentThreadId();
    int code = RunWithDriver([&] {
        WaitForIdleWorker();
        worker = OpenThread(THREAD_QUERY_INFORMATION | SYNCHRONIZE, FALSE, WorkerThreadId);
        PostMainKey('S');
        ASSERT_TRUE(WaitUntil([&] { return blocked.load() == 1; }, 5000));
        exitAsked = Now();
        PostMainKey(VK_ESCAPE);
    });
    int ended = Now();
    EXPECT_EQ(0, code);
    EXPECT_EQ(1, ExitHook.calls.load());
    EXPECT_EQ(mainThread, ExitHook.lastThread.load());
    EXPECT_EQ(2, QuitState.load());
    EXPECT_GE(ended - exitAsked, 2000);
    EXPECT_LT(ended - exitAsked, 4000);
    ASSERT_NE((HANDLE)NULL, worker);
    DWORD status = 0;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 1000));
    GetExitCodeThread(worker, &status);
    EXPECT_EQ(1u, status);
    CloseHandle(worker);
}

TEST(Mailbox, ARequestSentDuringARunIsServedWhenTheRunEnds)
{
    OnAppMain = [] {
        int start = NowMilliseconds();
        while (StopRequest.load() == 0 && NowMilliseconds() - start < 600) {
            TVX_PumpMessages();
            Sleep(1);
        }
    };
    std::atomic<int> sent{0}, returned{0}, result{-1}, doneAtReturn{-1}, codeAtReturn{-1};
    EXPECT_EQ(0, RunStarted([&] {
        CallOnMainThread([&] {
            sent = NowMilliseconds();
            result = RequestCreateImage(300, "x", 1, 1, 32);
            returned = NowMilliseconds();
            doneAtReturn = RequestMailbox.done.load();
            codeAtReturn = RequestMailbox.code.load();
        });
    }));
    EXPECT_EQ(4, result.load());   // the worker's answer for a slot beyond the table
    EXPECT_GE(returned.load(), MainHook.lastEnd.load());
    EXPECT_LT(sent.load(), MainHook.lastEnd.load());
    EXPECT_EQ(1, doneAtReturn.load());
    EXPECT_EQ(0, codeAtReturn.load());
}

TEST(Mailbox, IndicesBeyondTheTablesAreRefusedOrIgnored)
{
    std::atomic<int> results[3] = {{-1}, {-1}, {-1}};
    std::atomic<int> textDone{0};
    EXPECT_EQ(0, RunWithDriver([&] {
        WaitForIdleWorker();
        CallOnMainThread([&] {
            results[0] = RequestCreateImage(256, "x", 8, 8, 32);
            results[1] = RequestCreateImage(-1, "x", 8, 8, 32);   // compared unsigned
            results[2] = RequestCreateImage(70000, "x", 8, 8, 8);
            RequestOpenTextWindow(256);
            RequestOpenTextWindow(-5);
            textDone = RequestMailbox.done.load() == 1 && RequestMailbox.code.load() == 0;
        });
    }));
    for (auto &r : results)
        EXPECT_EQ(4, r.load());
    EXPECT_EQ(1, textDone.load());
}

TEST(Exit, DuringAMailboxWaitStillEndsTheMainLoopAndNoWaitBeginsAfterIt)
{
    OnAppMain = PollingRun;
    std::atomic<int> first{-1}, second{-1}, secondTook{-1};
    int code = RunWithDriver([&] {
        StartRun();
        RunOnMainThread([&] {
            first = RequestCreateImage(300, "x", 1, 1, 32);   // waits: the worker is running
            int t = NowMilliseconds();
            second = RequestCreateImage(300, "y", 1, 1, 32);   // after Exit: must not wait
            RequestOpenTextWindow(0);
            RequestOpenButtonBox(2, 2);
            secondTook = NowMilliseconds() - t;
        });
        ASSERT_TRUE(WaitUntil([] { return RequestMailbox.code.load() == 9001; }, 5000));
        Sleep(100);
        PostMainKey('X');   // handled by the sender's nested pump
    });
    EXPECT_EQ(0, code);   // the main loop ended although the nested pump took the quit
    EXPECT_EQ(4, first.load());
    EXPECT_EQ(4, second.load());
    EXPECT_LT(secondTook.load(), 50);
    EXPECT_EQ(1, ExitHook.calls.load());
}

TEST(Exit, ClosingTheMainWindowRunsTheExitSequence)
{
    OnAppMain = PollingRun;
    EXPECT_EQ(0, RunWithDriver([&] {
        StartRun();
        PostMessageW(MainWindow, WM_CLOSE, 0, 0);
    }));
    EXPECT_EQ(1, ExitHook.calls.load());   // without the Exit sequence the hook never ran
    EXPECT_EQ(2, QuitState.load());
}

static UINT StateAt(HMENU menu, int position)
{
    return GetMenuState(menu, (UINT)position, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED);
}

// The main popup as the modules' rows make it; its greying during a run is a rule checked
// natively and seen on the screen end to end.
TEST(Menus, ThePopupHoldsEveryModulesCommandInItsPlace)
{
    EXPECT_EQ(0, RunWithDriver([&] {
        WaitForIdleWorker();
        CallOnMainThread([&] {
            HMENU menu = BuildMainPopupMenu();
            ASSERT_EQ(12, GetMenuItemCount(menu));
            const wchar_t *texts[12] = {L"Paste\tCtrl+V", L"", L"Start", L"Stop", L"E&xit", L"",
                                        L"Image Window", L"Text Window", L"Input Box",
                                        L"Button Box", L"", L"&Window Info.\tCtrl+W"};
            const UINT ids[12] = {1026, 0, 1001, 1003, 1002, 0, 1027, 1028, 1044, 1051, 0, 1045};
            for (int i = 0; i < 12; i++) {
                wchar_t text[64] = L"";
                GetMenuStringW(menu, (UINT)i, text, 64, MF_BYPOSITION);
                EXPECT_STREQ(texts[i], text) << i;
                if (ids[i] == 0) {
                    EXPECT_TRUE(GetMenuState(menu, (UINT)i, MF_BYPOSITION) & MF_SEPARATOR);
                    continue;
                }
                EXPECT_EQ(ids[i], GetMenuItemID(menu, i));
                EXPECT_EQ(0u, StateAt(menu, i)) << i;
            }
            DestroyMenu(menu);
        });
    }));
}
