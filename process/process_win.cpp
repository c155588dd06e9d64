// Program launching on CreateProcessA with ShellExecuteExA as the fallback for documents and
// web addresses.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <utility>

#include "process/command_line.h"
#include "process/process.h"
#include "runtime/handles_win.h"
#include "runtime/lock.h"
#include "runtime/registry.h"
#include "runtime/system_libraries.h"

namespace {

// Owns one kernel handle; null means none.
using OwnedHandle = win::Handle;

// The library's state, made by program_init.
struct ProcessRecord {
  HANDLE process;
};
ObjectTable* g_program_table = nullptr;  // running programs by number (nothing fills it)
ListHead g_running;                      // every RunningProgram, newest first

Lock& running_lock() {
  static Lock lock;
  return lock;
}

void program_record_release(intptr_t number) {
  auto* record = static_cast<ProcessRecord*>(object_find(g_program_table, number));
  if (record == nullptr) return;
  CloseHandle(record->process);
  object_release(g_program_table, number);
}

// A pipe whose child end is inheritable and whose caller end is private. child_reads: the
// child reads from the pipe (its standard input).
bool make_pipe(bool child_reads, OwnedHandle& child_end, OwnedHandle& caller_end) {
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  OwnedHandle read_end;
  OwnedHandle write_end;
  if (!CreatePipe(read_end.out(), write_end.out(), &inheritable, 0)) return false;
  OwnedHandle& mine = child_reads ? write_end : read_end;
  HANDLE raw = mine.release();
  if (!pipe_end_make_private(&raw)) {
    CloseHandle(raw);
    return false;
  }
  caller_end.reset(raw);
  child_end = std::move(child_reads ? read_end : write_end);
  return true;
}

// The sender's output handed on as an inheritable duplicate: its own end is private and would
// not reach the child.
bool inheritable_copy(HANDLE source, OwnedHandle& copy) {
  const HANDLE self = GetCurrentProcess();
  return DuplicateHandle(self, source, self, copy.out(), 0, TRUE, DUPLICATE_SAME_ACCESS) != 0;
}

intptr_t keep_running_program(HANDLE process, int32_t process_id, HANDLE input_write,
                              HANDLE output_read, HANDLE error_read) {
  void* memory;
  {
    LockGuard guard(running_lock());
    memory = list_push_front(&g_running, sizeof(RunningProgram));
  }
  if (memory == nullptr) return 0;
  auto* program = static_cast<RunningProgram*>(memory);
  *program = RunningProgram{process, process_id, input_write, output_read, error_read};
  return reinterpret_cast<intptr_t>(program);
}

void wait_for(HANDLE process) {
  if (process != nullptr) WaitForSingleObject(process, INFINITE);
}

// Lets the shell open the text with its registered handler.
intptr_t shell_open(const char* program, const char* parameters, std::string directory,
                    int32_t flags, WORD show) {
  if (directory.empty()) directory = process_text::document_folder(program);
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  // No error dialog on failure: the caller decides what the user is told.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.hwnd = nullptr;
  info.lpVerb = nullptr;  // the handler's default action
  info.lpFile = program;
  info.lpParameters = *parameters != '\0' ? parameters : nullptr;
  info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  info.nShow = show;
  // The shell is loaded by the first document opened, not at start.
  using ShellExecuteFn = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);
  static const auto execute =
      reinterpret_cast<ShellExecuteFn>(system_function("shell32.dll", "ShellExecuteExA"));
  if (!execute || !execute(&info)) return 0;

  OwnedHandle process(info.hProcess);
  if (flags & run_wait) wait_for(process.get());
  if (flags & run_open) {
    const intptr_t kept = keep_running_program(process.get(), -1, nullptr, nullptr, nullptr);
    if (kept != 0) process.release();
    return kept;
  }
  return 1;
}

}  // namespace

void program_init() {
  thread_state_register(sizeof(int32_t), nullptr, nullptr);
  if (g_program_table == nullptr) {
    g_program_table = object_table_create(sizeof(ProcessRecord), 4, program_record_release);
  }
  running_lock();
}

intptr_t program_run(const char* program, const char* parameters, const char* working_directory,
                     int32_t flags, const RunningProgram* sender) {
  // Without a program text the shell would open the working folder in a window of its own.
  if (program == nullptr || *program == '\0') return 0;
  if (parameters == nullptr) parameters = "";
  const std::string directory = working_directory != nullptr ? working_directory : "";
  const bool open = (flags & run_open) != 0;
  const WORD show = (flags & run_hide) ? SW_HIDE : SW_SHOWNORMAL;

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = show;
  DWORD creation = NORMAL_PRIORITY_CLASS | ((flags & run_hide) ? DETACHED_PROCESS : 0);
  BOOL inherit = FALSE;

  // The program's ends (closed here once it runs) and the caller's ends (kept in the record).
  OwnedHandle child_input, child_output, child_error;
  OwnedHandle input_write, output_read, error_read;
  bool pipes_ok = true;
  if ((flags & run_connect) && sender != nullptr && sender->output_read != nullptr) {
    pipes_ok = inheritable_copy(sender->output_read, child_input);
  } else if (open && (flags & run_write)) {
    pipes_ok = make_pipe(true, child_input, input_write);
  }
  if (pipes_ok && open && (flags & run_read))
    pipes_ok = make_pipe(false, child_output, output_read);
  if (pipes_ok && open && (flags & run_error)) pipes_ok = make_pipe(false, child_error, error_read);
  // Starting the program without a pipe it was asked for would hand the caller a record that
  // cannot do what was asked.
  if (!pipes_ok) return 0;

  if (child_input || child_output || child_error) {
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdInput = child_input ? child_input.get() : GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = child_output ? child_output.get() : GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = child_error ? child_error.get() : GetStdHandle(STD_ERROR_HANDLE);
    inherit = TRUE;
    creation &= ~static_cast<DWORD>(DETACHED_PROCESS);
  }

  std::string command = process_text::command_line(program, parameters);
  PROCESS_INFORMATION started = {};
  if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, inherit, creation, nullptr,
                     directory.empty() ? nullptr : directory.c_str(), &startup, &started)) {
    child_input.reset();
    child_output.reset();
    child_error.reset();
    CloseHandle(started.hThread);
    OwnedHandle process(started.hProcess);
    if (flags & run_wait) wait_for(process.get());
    if (!open) return 1;
    const intptr_t kept =
        keep_running_program(process.get(), static_cast<int32_t>(started.dwProcessId),
                             input_write.get(), output_read.get(), error_read.get());
    if (kept != 0) {
      process.release();
      input_write.release();
      output_read.release();
      error_read.release();
    }
    return kept;
  }

  input_write.reset();
  output_read.reset();
  error_read.reset();
  child_input.reset();
  child_output.reset();
  child_error.reset();
  if (flags & (run_read | run_write | run_error | run_connect)) return 0;
  return shell_open(program, parameters, directory, flags, show);
}

void program_release(RunningProgram* program) {
  if (program == nullptr) return;
  for (void* handle :
       {program->process, program->input_write, program->output_read, program->error_read}) {
    if (handle != nullptr) CloseHandle(handle);
  }
  LockGuard guard(running_lock());
  list_remove(&g_running, program);
}

int32_t pipe_end_make_private(void** handle) {
  if (handle == nullptr) return 0;
  const HANDLE self = GetCurrentProcess();
  HANDLE copy = nullptr;
  if (!DuplicateHandle(self, *handle, self, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) return 0;
  CloseHandle(*handle);
  *handle = copy;
  return 1;
}

void delay_ms(int32_t milliseconds) {
  // The 1 ms timer resolution for the sleep, from winmm, loaded on the first delay.
  using PeriodFn = UINT(WINAPI*)(UINT);
  static const auto begin =
      reinterpret_cast<PeriodFn>(system_function("winmm.dll", "timeBeginPeriod"));
  static const auto end = reinterpret_cast<PeriodFn>(system_function("winmm.dll", "timeEndPeriod"));
  if (begin) begin(1);
  Sleep(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0);
  if (end) end(1);
}
