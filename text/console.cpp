// console.cpp - the one-line command console of text windows ("Cmd>").
#include <cstring>

#include "runtime/runtime.h"
#include "text/text_window.h"

int TVX_Command(void)
{
    TVX_Print("Cmd>");
    char line[256];
    TVX_InputText(line);
    if (strcmp(line, "exit") == 0) {
        PostMessageW(MainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        Sleep(1);
    } else if (strcmp(line, "start") == 0) {
        PostMessageW(MainWindow, WM_KEYDOWN, 'S', 0);
    } else if (strcmp(line, "help") == 0) {
        TVX_Print("Command list:exit help start ver color\n");
    } else if (strcmp(line, "ver") == 0) {
        HWND current = TextWindowHandle(CurrentTextWindow);
        if (current != NULL)
            PostMessageW(current, WM_COMMAND, kCmdTextAbout, 0);
    } else if (strcmp(line, "color") == 0) {
        TVX_Print("Red  :%3d\n", (DrawColor >> 16) & 0xFF);
        TVX_Print("Green:%3d\n", (DrawColor >> 8) & 0xFF);
        TVX_Print("Blue :%3d\n", DrawColor & 0xFF);
        TVX_Print("tvx_tttc=%06x\n", tvx_tttc);
        TVX_Print("tvx_tc=%06x\n", tvx_tc);
    } else {
        TVX_Print("Invalid command\n");
        return 1;
    }
    return 0;
}
