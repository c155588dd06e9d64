// The jar merge on files: sources opened like the jar check opens them, the result written to a
// new staging file through one handle and checked before it is handed on.
#include <windows.h>

#include <memory>

#include "app/jar_merge.h"
#include "runtime/handles_win.h"

namespace {

class FileSink : public JarSink {
 public:
  explicit FileSink(HANDLE file) : file_(file) {}
  bool write(const void* data, size_t length, uint32_t* error) override {
    const char* p = static_cast<const char*>(data);
    while (length > 0) {
      const DWORD want = length > 0x1000000 ? 0x1000000 : static_cast<DWORD>(length);
      DWORD written = 0;
      if (!WriteFile(file_, p, want, &written, nullptr) || written == 0) {
        const DWORD code = GetLastError();
        *error = code != 0 ? code : ERROR_WRITE_FAULT;
        return false;
      }
      p += written;
      length -= written;
    }
    return true;
  }

 private:
  HANDLE file_;
};

JarMerge unreadable_source(size_t index, uint32_t error) {
  JarMerge result;
  result.outcome = MergeOutcome::bad_source;
  result.source = index;
  result.check.verdict = JarVerdict::unreadable;
  result.check.system_error = error;
  return result;
}

// Opens every source; the first that cannot be opened is reported.
bool open_all(const std::string& base, const std::vector<std::string>& mods,
              std::vector<std::unique_ptr<JarSource>>* sources, JarMerge* failure) {
  for (size_t i = 0; i <= mods.size(); ++i) {
    uint32_t error = 0;
    sources->push_back(open_jar_file(i == 0 ? base : mods[i - 1], &error));
    if (!sources->back()) {
      *failure = unreadable_source(i, error);
      return false;
    }
  }
  return true;
}

// Writes the merge into the open staging file and checks what was written.
JarMerge merge_into(HANDLE file, const std::string& staging,
                    std::vector<std::unique_ptr<JarSource>>& sources) {
  std::vector<JarSource*> mods;
  for (size_t i = 1; i < sources.size(); ++i) mods.push_back(sources[i].get());
  FileSink sink(file);
  JarMerge result = merge_jars(*sources[0], mods, sink);
  if (!result.ok()) return result;
  const JarCheck written = check_jar_file(staging);
  if (!written.ok()) {
    result.outcome = MergeOutcome::bad_result;
    result.system_error = written.system_error;
  }
  return result;
}

}  // namespace

JarMerge merge_jar_files(const std::string& base, const std::vector<std::string>& mods,
                         const std::string& staging, uint32_t* cleanup_error) {
  *cleanup_error = 0;
  std::vector<std::unique_ptr<JarSource>> sources;
  JarMerge result;
  if (!open_all(base, mods, &sources, &result)) return result;

  win::Handle file(CreateFileA(staging.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) {
    result.outcome = MergeOutcome::write_failed;
    result.system_error = GetLastError();
    return result;
  }
  result = merge_into(file.get(), staging, sources);
  file.reset();
  // The staged file is this run's own: it goes again when anything failed.
  if (!result.ok() && !DeleteFileA(staging.c_str())) *cleanup_error = GetLastError();
  return result;
}
