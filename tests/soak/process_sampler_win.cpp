#include "process_sampler_win.h"

#include <psapi.h>

namespace soak {
namespace {

constexpr DWORD kRemoteTimeoutMs = 15000;

// The load address of the module with that file name in another process, 0 when absent.
uintptr_t remote_module_base(HANDLE process, const char* name) {
  HMODULE modules[512];
  DWORD bytes = 0;
  if (!EnumProcessModules(process, modules, sizeof modules, &bytes)) return 0;
  for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
    char base_name[MAX_PATH] = {};
    if (GetModuleBaseNameA(process, modules[i], base_name, MAX_PATH) &&
        lstrcmpiA(base_name, name) == 0) {
      return reinterpret_cast<uintptr_t>(modules[i]);
    }
  }
  return 0;
}
constexpr DWORD kSettleMs = 300;

struct WindowCount {
  DWORD process;
  DWORD count;
};

BOOL CALLBACK count_child(HWND, LPARAM data) {
  ++reinterpret_cast<WindowCount*>(data)->count;
  return TRUE;
}

BOOL CALLBACK count_top_level(HWND window, LPARAM data) {
  auto* counter = reinterpret_cast<WindowCount*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == counter->process) {
    ++counter->count;
    EnumChildWindows(window, count_child, data);  // every descendant, once
  }
  return TRUE;
}

}  // namespace

ProcessSampler::ProcessSampler(DWORD process_id, const std::string& probe_dll) : id_(process_id) {
  process_.reset(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                 PROCESS_VM_OPERATION | PROCESS_CREATE_THREAD | SYNCHRONIZE,
                             FALSE, process_id));
  if (!process_) {
    why_ = "OpenProcess failed with " + std::to_string(GetLastError());
    return;
  }
  ok_ = load_probe(probe_dll);
}

ProcessSampler::~ProcessSampler() = default;

bool ProcessSampler::run_remote(LPTHREAD_START_ROUTINE start, void* argument, DWORD* result) {
  const win::Handle thread(
      CreateRemoteThread(process_.get(), nullptr, 0, start, argument, 0, nullptr));
  return thread && WaitForSingleObject(thread.get(), kRemoteTimeoutMs) == WAIT_OBJECT_0 &&
         GetExitCodeThread(thread.get(), result) != FALSE;
}

// LoadLibraryA lies at the same address in every process of a session; the probe's entry points
// lie at the same offsets from the DLL's base, wherever the DLL is loaded.
bool ProcessSampler::load_probe(const std::string& probe_dll) {
  const HMODULE local = LoadLibraryA(probe_dll.c_str());
  if (!local) {
    why_ = "cannot load " + probe_dll;
    return false;
  }
  const auto local_entry =
      reinterpret_cast<uintptr_t>(GetProcAddress(local, "soak_count_gdi_objects"));
  const auto local_handles =
      reinterpret_cast<uintptr_t>(GetProcAddress(local, "soak_count_handles"));
  const uintptr_t offset = local_entry - reinterpret_cast<uintptr_t>(local);
  const uintptr_t handles_offset = local_handles - reinterpret_cast<uintptr_t>(local);
  const auto load_library = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
  void* remote_path = VirtualAllocEx(process_.get(), nullptr, probe_dll.size() + 1,
                                     MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  DWORD remote_base = 0;
  const char* failed = nullptr;
  if (local_entry == 0 || local_handles == 0) {
    failed = "the probe has no entry point";
  } else if (remote_path == nullptr) {
    failed = "VirtualAllocEx failed";
  } else if (!WriteProcessMemory(process_.get(), remote_path, probe_dll.c_str(),
                                 probe_dll.size() + 1, nullptr)) {
    failed = "WriteProcessMemory failed";
  } else if (!run_remote(load_library, remote_path, &remote_base)) {
    failed = "the remote thread failed";
  } else if (remote_base == 0) {
    failed = "LoadLibraryA failed in the process";
  }
  const DWORD error = GetLastError();
  if (remote_path) VirtualFreeEx(process_.get(), remote_path, 0, MEM_RELEASE);
  FreeLibrary(local);
  if (failed) {
    why_ = std::string("the probe could not be loaded into process ") + std::to_string(id_) + ": " +
           failed + " (error " + std::to_string(error) + ")";
    return false;
  }
  // A thread's exit code holds only 32 bits of the module's address: in a 64-bit process the
  // probe is looked up among the process's modules instead.
  uintptr_t base = remote_base;
  if (sizeof(void*) > sizeof(DWORD)) {
    base = remote_module_base(process_.get(), "soak_probe.dll");
    if (!base) {
      why_ = "the probe was loaded but is not among the modules of process " + std::to_string(id_);
      return false;
    }
  }
  count_gdi_ = reinterpret_cast<LPTHREAD_START_ROUTINE>(base + offset);
  count_handles_ = reinterpret_cast<LPTHREAD_START_ROUTINE>(base + handles_offset);
  return true;
}

bool ProcessSampler::sample(ProcessCounts* counts) {
  if (!ok_) return false;
  // Painting that is still under way holds brushes and fonts for a moment.
  WaitForInputIdle(process_.get(), kRemoteTimeoutMs);
  Sleep(kSettleMs);
  *counts = ProcessCounts{};
  counts->user = GetGuiResources(process_.get(), GR_USEROBJECTS);
  if (counts->user == 0) {
    WindowCount windows{id_, 0};
    EnumWindows(count_top_level, reinterpret_cast<LPARAM>(&windows));
    counts->user = windows.count;
  }
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process_.get(), &memory, sizeof memory))
    counts->working_set = memory.WorkingSetSize;
  return run_remote(count_gdi_, nullptr, &counts->gdi) &&
         run_remote(count_handles_, nullptr, &counts->handles) && counts->handles != 0 &&
         counts->working_set != 0;
}

}  // namespace soak
