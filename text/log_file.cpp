// log_file.cpp - one log file per text window: start, pause, copy to the clipboard, close at Exit.
#include <cstdio>

#include "runtime/runtime.h"
#include "runtime/clipboard_block.h"
#include "runtime/scoped.h"
#include "text/text_window.h"

std::atomic<int> LogState[kTextWindowSlots];
static struct {
    // Taken around every write, open and close: Exit closes the logs on the main thread while
    // the worker may still be printing.
    std::mutex lock;
    FILE *stream[kTextWindowSlots];
} Logs;

// A folder of up to MAX_PATH characters in the code page (two bytes each at most) and the name.
enum { kLogNameBytes = 2 * MAX_PATH + 16 };

static void LogFileName(char *out, size_t bytes, int index)
{
    snprintf(out, bytes, "%sTORVEX%d.LOG", LogDirectory, index);
}

void WriteLog(int index, const char *text, size_t length)
{
    std::lock_guard<std::mutex> hold(Logs.lock);
    if ((unsigned)index < kTextWindowSlots && LogState[index].load() == 1 && Logs.stream[index])
        fwrite(text, 1, length, Logs.stream[index]);
}

int TVX_StartLog(int index)
{
    if (!IsTextWindowOpen(index))
        return 3;
    {
        std::lock_guard<std::mutex> hold(Logs.lock);
        int state = LogState[index].load();
        if (state == 1)
            return 1;
        if (state == 2) {
            LogState[index].store(1);
            return 0;
        }
        char name[kLogNameBytes];
        LogFileName(name, sizeof name, index);
        Logs.stream[index] = fopen(name, "w");
        if (Logs.stream[index] != NULL) {
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
    std::lock_guard<std::mutex> hold(Logs.lock);
    if (LogState[index].load() == 0)
        return 1;
    LogState[index].store(2);
    return 0;
}

void TVX_CloseLogs(void)
{
    std::lock_guard<std::mutex> hold(Logs.lock);
    for (int i = 0; i < kTextWindowSlots; i++) {
        if (!IsTextWindowOpen(i) || LogState[i].load() == 0)
            continue;
        if (Logs.stream[i] != NULL)
            fclose(Logs.stream[i]);
        Logs.stream[i] = NULL;
        LogState[i].store(0);
    }
}

// The whole file in a new clipboard block, or NULL when there is not the memory for it.
static HGLOBAL ReadWholeFile(FILE *file)
{
    fseek(file, 0, SEEK_END);
    long size = ftell(file);
    rewind(file);
    if (size < 0)
        return NULL;
    return FilledGlobalBlock((size_t)size + 1, [&](void *bytes) {
        size_t got = fread(bytes, 1, (size_t)size, file);
        ((char *)bytes)[got] = '\0';
    });
}

// The log is read under the log lock, the clipboard is opened only to hand the text over, and
// the message boxes come after both are let go: Exit closes the logs while a box may be up, and
// other programs wait for an open clipboard. What the clipboard held stays until the new text is
// in hand.
int TVX_CopyLog(int index)
{
    if (!IsTextWindowOpen(index))
        return 4;
    HGLOBAL block = NULL;
    bool found = false;
    {
        std::lock_guard<std::mutex> hold(Logs.lock);
        int state = LogState[index].load();
        if (state != 0 && Logs.stream[index] != NULL) {
            fclose(Logs.stream[index]);   // so that the file holds everything written
            Logs.stream[index] = NULL;
        }
        char name[kLogNameBytes];
        LogFileName(name, sizeof name, index);
        FILE *file = fopen(name, "rb");
        if (file != NULL) {
            found = true;
            block = ReadWholeFile(file);
            fclose(file);
        }
        if (state != 0 && LogState[index].load() != 0)
            Logs.stream[index] = fopen(name, "a");
    }
    if (!found) {
        TVX_Pause("Can't open LOG file!");
        return 2;
    }
    if (block == NULL) {
        TVX_Pause("No enough memory (copy log)");
        return 3;
    }
    switch (PutClipboardBlock(CF_TEXT, block)) {
    case kClipboardPut: return 0;
    case kClipboardBusy: return 1;
    default: return 3;
    }
}
