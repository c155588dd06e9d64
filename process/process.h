// Starting programs, opening documents and web addresses through the shell, pipes to started
// programs, and the timed delay.
#pragma once

#include <cstdint>

// Flags of program_run, combinable.
constexpr int32_t run_wait = 1;      // wait until the started program ends
constexpr int32_t run_hide = 2;      // start it hidden and without a console
constexpr int32_t run_open = 4;      // keep a RunningProgram and return it (needed for pipes)
constexpr int32_t run_read = 8;      // with run_open: a pipe receives its standard output
constexpr int32_t run_write = 16;    // with run_open: a pipe feeds its standard input
constexpr int32_t run_error = 32;    // with run_open: a pipe receives its standard error
constexpr int32_t run_connect = 64;  // its standard input reads the sender's standard output

// A program started with run_open. The handles belong to the caller's process and are not
// inherited by programs started later; a null handle means "none".
struct RunningProgram {
  void* process;       // the process handle, kept open (null when the shell gave none)
  int32_t process_id;  // -1 when the shell started it
  void* input_write;   // the caller's end of the standard-input pipe
  void* output_read;   // the caller's end of the standard-output pipe
  void* error_read;    // the caller's end of the standard-error pipe
};

// Start-up step of the library (run once by the runtime start-up, on the main thread).
void program_init();

// Starts program with parameters in working_directory (null or "" for the current one); null
// strings count as "", and an empty program text fails. When the program cannot be started and none
// of run_read, run_write, run_error and run_connect is given, the shell opens the text instead (a
// document or a web address, with its registered handler). Returns 0 on failure, 1 on success
// without run_open, and the address of the new RunningProgram with run_open (see
// running_program()).
intptr_t program_run(const char* program, const char* parameters = nullptr,
                     const char* working_directory = nullptr, int32_t flags = 0,
                     const RunningProgram* sender = nullptr);

// The record behind a program_run result made with run_open (nullptr for 0).
inline RunningProgram* running_program(intptr_t result) {
  return result == 0 || result == 1 ? nullptr : reinterpret_cast<RunningProgram*>(result);
}

// Closes every handle of a record from program_run and frees it. The program keeps running.
void program_release(RunningProgram* program);

// Replaces *handle by a non-inheritable duplicate with the same access and closes the
// original. Non-zero on success; on failure *handle is left as it was.
int32_t pipe_end_make_private(void** handle);

// Sleeps the calling thread with the system timer resolution raised to 1 ms meanwhile.
// Negative times count as 0.
void delay_ms(int32_t milliseconds);
