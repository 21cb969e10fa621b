// log_file.cpp - one log file per text window: start, pause, copy to the clipboard, close at Exit.
#include <cstdio>

#include "runtime.h"
#include "text_window.h"

std::atomic<int> LogState[kTextWindowSlots];
static FILE *LogStream[kTextWindowSlots];
// Taken around every write, open and close: Exit closes the logs on the main thread while the
// worker may still be printing.
static std::mutex LogLock;

static void LogFileName(char *out, size_t bytes, int index)
{
    snprintf(out, bytes, "%sTORVEX%d.LOG", LogDirectory, index);
}

void WriteLog(int index, const char *text, size_t length)
{
    std::lock_guard<std::mutex> hold(LogLock);
    if ((unsigned)index < kTextWindowSlots && LogState[index].load() == 1 && LogStream[index])
        fwrite(text, 1, length, LogStream[index]);
}

int TVX_StartLog(int index)
{
    if (!IsTextWindowOpen(index))
        return 3;
    {
        std::lock_guard<std::mutex> hold(LogLock);
        int state = LogState[index].load();
        if (state == 1)
            return 1;
        if (state == 2) {
            LogState[index].store(1);
            return 0;
        }
        char name[520];
        LogFileName(name, sizeof name, index);
        LogStream[index] = fopen(name, "w");
        if (LogStream[index] != NULL) {
            LogState[index].store(1);
            return 0;
        }
    }
    MessageBoxW(NULL, L"Can't create file for LOG!", L"Error", MB_OK);
    return 2;
}

int TVX_StopLog(int index)
{
    if (!IsTextWindowOpen(index))
        return 2;
    std::lock_guard<std::mutex> hold(LogLock);
    if (LogState[index].load() == 0)
        return 1;
    LogState[index].store(2);
    return 0;
}

void TVX_CloseLogs(void)
{
    std::lock_guard<std::mutex> hold(LogLock);
    for (int i = 0; i < kTextWindowSlots; i++) {
        if (!IsTextWindowOpen(i) || LogState[i].load() == 0)
            continue;
        if (LogStream[i] != NULL)
            fclose(LogStream[i]);
        LogStream[i] = NULL;
        LogState[i].store(0);
    }
}

// Reads the whole file into a clipboard block; the clipboard is open. Returns the result code.
static int PutFileOnClipboard(FILE *file)
{
    EmptyClipboard();
    fseek(file, 0, SEEK_END);
    long size = ftell(file);
    rewind(file);
    HGLOBAL block = size >= 0 ? GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, (SIZE_T)size + 1) : NULL;
    char *bytes = block != NULL ? (char *)GlobalLock(block) : NULL;
    if (bytes == NULL) {
        if (block != NULL)
            GlobalFree(block);
        TVX_Pause("No enough memory (copy log)");
        return 3;
    }
    size_t got = fread(bytes, 1, (size_t)size, file);
    bytes[got] = '\0';
    GlobalUnlock(block);
    if (SetClipboardData(CF_TEXT, block) == NULL)
        GlobalFree(block);
    return 0;
}

int TVX_CopyLog(int index)
{
    if (!IsTextWindowOpen(index))
        return 4;
    if (!OpenClipboard(NULL))
        return 1;
    std::unique_lock<std::mutex> hold(LogLock);
    int state = LogState[index].load();
    if (state != 0 && LogStream[index] != NULL) {
        fclose(LogStream[index]);   // so that the file holds everything written
        LogStream[index] = NULL;
    }
    char name[256];
    LogFileName(name, sizeof name, index);
    int result;
    FILE *file = fopen(name, "rb");
    if (file == NULL) {
        hold.unlock();
        TVX_Pause("Can't open LOG file!");
        hold.lock();
        result = 2;
    } else {
        result = PutFileOnClipboard(file);
        fclose(file);
    }
    CloseClipboard();
    if (state != 0 && LogState[index].load() != 0)
        LogStream[index] = fopen(name, "a");
    return result;
}
