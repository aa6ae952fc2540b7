#include "shell/question.h"

#include <windows.h>

int askFullscreen()
{
    return MessageBoxA(nullptr, "Fullscreen?", "Fullscreen?", MB_YESNO);
}
