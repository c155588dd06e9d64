#include <windows.h>

#include "app/app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { pelmora_main(); }
