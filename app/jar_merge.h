// Building a client jar from a base jar and jar mods, in the player's order.
//
// The result holds every entry of the base except those under "META-INF/", then every entry of
// each mod except its signature files (META-INF/*.SF, *.DSA, *.RSA, *.EC); an entry replaces an
// earlier one of exactly the same name. A mod whose entries all lie under one top folder named
// like a client jar ("minecraft" and "jar" in it, any case) loses that folder. Entries are copied
// as stored: local header, extra fields, compressed data and data descriptor, nothing is
// decompressed. The sources are read through JarSource at explicit offsets in pieces, the result
// goes out through JarSink in order, so neither is ever held whole in memory. merge_jars is
// platform-free; merge_jar_files merges files on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/jar_check.h"

class JarSink {
 public:
  virtual ~JarSink() = default;
  // Appends `length` bytes; false (and *error set) when that fails.
  virtual bool write(const void* data, size_t length, uint32_t* error) = 0;
};

enum class MergeOutcome {
  ok,
  bad_source,    // a source fails the jar check or cannot be read (source, check tell which, why)
  nothing_left,  // no entry is left to write (nothing was written)
  write_failed,  // the sink failed (system_error); what was written is to be thrown away
  bad_result,    // the written file fails the jar check (merge_jar_files only)
};

struct JarMerge {
  MergeOutcome outcome = MergeOutcome::ok;
  size_t source = 0;          // with bad_source: 0 the base, i the i-th mod (from 1)
  JarCheck check;             // with bad_source: that source's verdict
  uint32_t system_error = 0;  // with write_failed (and from merge_jar_files, bad_result)
  size_t entries = 0;         // entries written
  uint64_t size = 0;          // bytes written
  size_t shared_names = 0;    // names of files that more than one mod holds
  bool ok() const { return outcome == MergeOutcome::ok; }
};

// Writes the merge of base and mods (in this order) to sink. On any outcome but ok the bytes the
// sink received are no archive and must be discarded; a source is only refused before anything
// is written when the jar check finds its fault, a local header it does not read may be found
// broken while copying.
JarMerge merge_jars(JarSource& base, const std::vector<JarSource*>& mods, JarSink& sink);

#ifdef _WIN32
// Merges the files into a new file `staging` (it must not exist: it is created, never
// overwritten) and checks the result with the jar check. On any failure the staged file is
// deleted again; *cleanup_error is the system's error when that fails (0 otherwise). The file
// is not flushed: whoever moves it over a file that matters flushes it first.
JarMerge merge_jar_files(const std::string& base, const std::vector<std::string>& mods,
                         const std::string& staging, uint32_t* cleanup_error);
#endif
