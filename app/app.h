// The Pelmora application.
#pragma once

// Runs the whole program: runtime start-up, the application, the end sequence. Does not return.
[[noreturn]] void pelmora_main();
