/* Holds Wine's desktop and helper processes up for the length of a test run. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show)
{
    (void)instance; (void)previous; (void)command_line; (void)show;
    GetDesktopWindow();
    for (;;)
        Sleep(INFINITE);
}
