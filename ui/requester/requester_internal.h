// Private to the requester library (and its tests).
#pragma once

#include <windows.h>

#include <cstddef>

constexpr size_t kPathBufferSize = 260;

// Copies at most 259 characters of the initial path (null counts as "") and drops one trailing
// "\" unless the text is 3 characters or shorter ("C:\" stays).
void path_initial_text(const char* initial_path, char (&buffer)[kPathBufferSize]);

// The folder browser's callback: preselects the path text in `data` once the browser is up.
int CALLBACK path_requester_init_callback(HWND window, UINT message, LPARAM parameter, LPARAM data);
