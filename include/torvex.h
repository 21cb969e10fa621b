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

// ---------------------------------------------------------------------------------------------
// Text windows (slots 0 to 255; printing and input go to the current one)
// ---------------------------------------------------------------------------------------------
int TVX_OpenTextWindow(int index, int x, int y, int width, int height);
                                         // 0 made (and current), 1 already open (raised, made
                                         // current) or index >= 256, 4 no window; x, y < 0:
                                         // default place; width, height < 0: 400 x 300
int TVX_CloseTextWindow(int index);      // 0 closed, 1 not open
int TVX_SelectTextWindow(int index);     // 0 made current, 1 not open
void TVX_Print(const char *format, ...); // printf into the current window (and its log), at most
                                         // 4095 bytes; wraps and scrolls
void TVX_PushTextColor(unsigned int text, unsigned int back);   // 0xRRGGBB; 8 deep
void TVX_PopTextColor(void);
void TVX_Pause(const char *message);     // modal box titled "Pause"
void TVX_InputText(char *buffer);        // one typed line, buffer of 256 bytes; "" when cancelled
int TVX_Command(void);                   // the "Cmd>" console: 0 a command, 1 anything else
int TVX_StartLog(int index);             // 0 logging, 1 already, 2 file not made, 3 not open
int TVX_StopLog(int index);              // 0 paused, 1 no log, 2 not open
int TVX_CopyLog(int index);              // the log file onto the clipboard: 0 done, 1 clipboard
                                         // busy, 2 no file, 3 no memory, 4 not open
void TVX_CloseLogs(void);                // closes every open window's log (done at Exit)

#endif
