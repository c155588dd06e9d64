// Samples another process's kernel handle, GDI and USER object counts and its working set. The
// handle and GDI counts are taken inside the process by a small probe DLL (soak_probe.dll),
// since Wine reports neither to another process.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/handles_win.h"
#include "support/resource_counts_win.h"

namespace soak {

struct ProcessCounts : test_support::ResourceCounts {
  SIZE_T working_set = 0;  // bytes
};

class ProcessSampler {
 public:
  // probe_dll: full path of soak_probe.dll, loaded into the process once.
  ProcessSampler(DWORD process_id, const std::string& probe_dll);
  ~ProcessSampler();
  ProcessSampler(const ProcessSampler&) = delete;
  ProcessSampler& operator=(const ProcessSampler&) = delete;

  bool ok() const { return ok_; }
  const std::string& why() const { return why_; }
  // Waits until the process is idle (waiting for input), then takes the counts; false when a
  // count could not be taken.
  bool sample(ProcessCounts* counts);

 private:
  bool load_probe(const std::string& probe_dll);
  bool run_remote(LPTHREAD_START_ROUTINE start, void* argument, DWORD* result);

  DWORD id_;
  win::Handle process_;
  LPTHREAD_START_ROUTINE count_gdi_ = nullptr;
  LPTHREAD_START_ROUTINE count_handles_ = nullptr;
  bool ok_ = false;
  std::string why_;
};

}  // namespace soak
