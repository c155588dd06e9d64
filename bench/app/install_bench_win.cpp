// Installing a 64 MiB jar, with and without the backup, and restoring one, against the floors of
// plain CopyFileA calls of the same bytes (plus the 100 ms pause of the backup) and of CopyFileA
// with the copy forced to the disk (FlushFileBuffers), as the install does before the client jar
// is replaced; measured in the same run.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/install.h"
#include "support/zip_writer.h"
#include "bench_support_win.h"
#include "process/process.h"
#include "runtime/runtime.h"

namespace {

constexpr size_t kJarSize = 64u << 20;
constexpr int kRuns = 5;

struct Layout {
  std::string root, game, client, source, pristine, backup_folder;
};

Layout prepare() {
  Layout l;
  l.root = bench::current_folder() + "app-install\\";
  l.game = l.root + "game\\";
  l.client = l.game + "bin\\minecraft.jar";
  l.source = l.root + "new.jar";
  l.pristine = l.root + "old.jar";
  l.backup_folder = l.game + "bin\\backup\\";
  CreateDirectoryA(l.root.c_str(), nullptr);
  CreateDirectoryA(l.game.c_str(), nullptr);
  CreateDirectoryA((l.game + "bin").c_str(), nullptr);
  // Real jars (one stored entry each), since the install checks the archive.
  std::string bytes(kJarSize - 128, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 2654435761u >> 24);
  bench::write_file(l.pristine, test_support::zip_archive({{"old", bytes}}));
  for (char& c : bytes) c = static_cast<char>(c ^ 0x5A);
  bench::write_file(l.source, test_support::zip_archive({{"new", bytes}}));
  return l;
}

// Puts the old client jar back and empties the backup folder (not timed).
void reset(const Layout& l) {
  CopyFileA(l.pristine.c_str(), l.client.c_str(), FALSE);
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA((l.backup_folder + "*.jar").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      DeleteFileA((l.backup_folder + entry.cFileName).c_str());
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
}

// The floor of a copy that replaces the client jar: CopyFileA, then FlushFileBuffers on it.
bool copy_and_flush(const std::string& from, const std::string& to) {
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) return false;
  const HANDLE file = CreateFileA(to.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool flushed = FlushFileBuffers(file) != 0;
  CloseHandle(file);
  return flushed;
}

double timed(const std::function<bool()>& work, bool* ok) {
  const double start = bench::now_ms();
  *ok = work() && *ok;
  return bench::now_ms() - start;
}

}  // namespace

int main() {
  runtime_startup(LibrarySteps{});
  const Layout l = prepare();
  CreateDirectoryA(l.backup_folder.c_str(), nullptr);
  std::vector<double> ours_plain, floor_plain, flush_plain, ours_backup, floor_backup, flush_backup,
      ours_restore, flush_restore;
  // The restore: the client jar is already kept as the older backup, the newer one goes back.
  const std::string kept = l.backup_folder + "01_01_2013_00_00_00.jar";
  const std::string chosen = l.backup_folder + "02_01_2013_00_00_00.jar";
  const auto make_backups = [&] {
    CopyFileA(l.pristine.c_str(), kept.c_str(), FALSE);
    CopyFileA(l.source.c_str(), chosen.c_str(), FALSE);
  };
  bool ok = true;
  for (int i = 0; i < kRuns + 1; ++i) {  // the first round warms the caches and is not counted
    reset(l);
    const double a = timed([&] { return install_client_jar(l.source, l.game).ok(); }, &ok);
    reset(l);
    const double b =
        timed([&] { return CopyFileA(l.source.c_str(), l.client.c_str(), FALSE) != 0; }, &ok);
    reset(l);
    const double b2 = timed([&] { return copy_and_flush(l.source, l.client); }, &ok);
    reset(l);
    const double c = timed(
        [&] {
          return backup_client_jar(l.game, "24_12_2012_18_05_09").ok() &&
                 install_client_jar(l.source, l.game).ok();
        },
        &ok);
    reset(l);
    const double d = timed(
        [&] {
          const bool saved =
              CopyFileA(l.client.c_str(), (l.backup_folder + "floor.jar").c_str(), FALSE) != 0;
          delay_ms(100);
          return saved && CopyFileA(l.source.c_str(), l.client.c_str(), FALSE) != 0;
        },
        &ok);
    reset(l);
    const double d2 = timed(
        [&] {
          const bool saved =
              CopyFileA(l.client.c_str(), (l.backup_folder + "floor.jar").c_str(), FALSE) != 0;
          delay_ms(100);
          return saved && copy_and_flush(l.source, l.client);
        },
        &ok);
    reset(l);
    make_backups();
    const double e = timed(
        [&] {
          const RestoreResult r =
              restore_backup(chosen, l.game, {chosen, kept}, "24_12_2012_18_05_09");
          return r.outcome.ok() && r.new_backup.empty();
        },
        &ok);
    reset(l);
    make_backups();
    const double f = timed([&] { return copy_and_flush(chosen, l.client); }, &ok);
    if (i == 0) continue;
    ours_plain.push_back(a);
    floor_plain.push_back(b);
    flush_plain.push_back(b2);
    ours_backup.push_back(c);
    floor_backup.push_back(d);
    flush_backup.push_back(d2);
    ours_restore.push_back(e);
    flush_restore.push_back(f);
    std::printf(
        "run %d: install %.1f / CopyFileA %.1f / with flush %.1f ms; with backup %.1f / floor "
        "%.1f / with flush %.1f ms; restore %.1f / CopyFileA with flush %.1f ms\n",
        i, a, b, b2, c, d, d2, e, f);
  }
  reset(l);
  std::printf("medians: install %.1f / with flush %.1f ms; with backup %.1f / with flush %.1f ms\n",
              bench::median(ours_plain), bench::median(flush_plain), bench::median(ours_backup),
              bench::median(flush_backup));
  constexpr char kFigurePlain[] = "install 64 MiB jar, no backup (best of 5)";
  constexpr char kFigureBackup[] = "install 64 MiB jar with backup (best of 5)";
  bench::report(kFigurePlain, bench::best(ours_plain), "ms", "CopyFileA", bench::best(floor_plain),
                "-");
  bench::report(kFigurePlain, bench::best(ours_plain), "ms", "CopyFileA + FlushFileBuffers",
                bench::best(flush_plain), "<=1.2");
  bench::report(kFigureBackup, bench::best(ours_backup), "ms", "2x CopyFileA + 100 ms",
                bench::best(floor_backup), "-");
  bench::report(kFigureBackup, bench::best(ours_backup), "ms",
                "2x CopyFileA + FlushFileBuffers + 100 ms", bench::best(flush_backup), "<=1.2");
  bench::report("restore 64 MiB backup, client jar already kept (best of 5)",
                bench::best(ours_restore), "ms", "CopyFileA + FlushFileBuffers",
                bench::best(flush_restore), "<=1.2");
  DeleteFileA(l.source.c_str());
  DeleteFileA(l.pristine.c_str());
  if (!ok) std::fprintf(stderr, "a copy failed\n");
  return ok ? 0 : 1;
}
