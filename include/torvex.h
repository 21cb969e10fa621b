// torvex.h - the one header a TORVEX application includes: its three hooks and the library calls.
#ifndef TORVEX_H
#define TORVEX_H

#include <atomic>

// ---------------------------------------------------------------------------------------------
// Application hooks (written by the application, run by the library on its worker thread)
// ---------------------------------------------------------------------------------------------
void TVX_AppInit(void);   // once, when the worker thread starts
void TVX_AppMain(void);   // once per Start; return promptly when StopRequest becomes 1
void TVX_AppExit(void);   // once at the end; on the main thread when the worker was stopped by force

// ---------------------------------------------------------------------------------------------
// Runtime
// ---------------------------------------------------------------------------------------------
// 1 after Stop or Exit: every loop of the application pumps and returns when it sees it.
extern std::atomic<int> StopRequest;

int TVX_PumpMessages(void);   // dispatches every message pending for the calling thread; returns 0

#endif
