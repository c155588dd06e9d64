// Runtime-private entry points shared between the runtime's own files.
#pragma once

void runtime_main_heap_create();
void runtime_main_heap_destroy();
void runtime_globals_reset();

// Subsystem without a library of its own: the image table.
void images_init();
void images_end();
