// Soak: the real pelmora.exe run again and again in one folder through a full install with
// backup, as a user would drive it. Every run must end cleanly with the chosen jar installed,
// one more time-stamped backup and no intermediate file; the program's resource counts and
// working set, sampled when it is ready and again after the install, must not grow from run
// to run. PELMORA_SOAK_RUNS sets the number of runs (default 20).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/e2e_driver.h"
#include "clicks.h"
#include "process_sampler_win.h"
#include "support/scratch_folder_win.h"
#include "support/zip_writer.h"

namespace {

using soak::ProcessCounts;

constexpr int kActivate = 2, kConfirm = 5, kBackup = 6;
constexpr char kInstalled[] = "minecraft.jar wurde erfolgreich installiert!";
constexpr char kBackupDone[] = "Es wurde erfolgreich ein Backup erstellt!";

// Slack for the run-to-run comparison: a few handles or objects may come and go with timing
// (a message box's cached resources), and the working set moves by some pages.
constexpr DWORD kCountSlack = 4;
constexpr SIZE_T kWorkingSetSlack = 2u << 20;

int soak_runs() {
  const char* text = std::getenv("PELMORA_SOAK_RUNS");
  const int runs = text ? std::atoi(text) : 0;
  return runs > 0 ? runs : 20;
}

std::string jar_content(int index) {
  // Distinct contents of a few KiB, so that a wrong or partial copy shows.
  return test_support::zip_archive(
      {{"soak-" + std::to_string(index),
        std::string(4096 + 997 * index, static_cast<char>('a' + index))}});
}

struct RunSamples {
  ProcessCounts start;
  ProcessCounts end;
};

// The median of one measure over a range of runs.
template <typename Get>
double median(const std::vector<RunSamples>& runs, size_t from, size_t to, Get get) {
  std::vector<double> values;
  for (size_t i = from; i < to; ++i) values.push_back(static_cast<double>(get(runs[i])));
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

template <typename Get>
void expect_no_growth(const char* what, const std::vector<RunSamples>& runs, Get get,
                      double slack) {
  const size_t half = runs.size() / 2;
  const double first = median(runs, 0, half, get);
  const double second = median(runs, half, runs.size(), get);
  double highest = 0;
  for (const RunSamples& r : runs) highest = std::max(highest, static_cast<double>(get(r)));
  std::printf("  %-28s first half %10.0f  second half %10.0f  highest %10.0f\n", what, first,
              second, highest);
  EXPECT_LE(second, first + slack) << what << " grows from run to run";
}

class Soak : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.ok());
    root_ = scratch_.path();
    ASSERT_TRUE(CreateDirectoryA((root_ + "jar").c_str(), nullptr));
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(e2e::write_file(root_ + "jar\\" + name(i), jar_content(i)));
    }
    ASSERT_TRUE(CreateDirectoryA((root_ + "game").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((root_ + "game\\bin").c_str(), nullptr));
    ASSERT_TRUE(e2e::write_file(client(), "the game's own client jar"));
    ASSERT_TRUE(
        e2e::write_file(root_ + "pref.ini",
                        "Version = 1.1\r\n[Minecraft]\r\n.minecraft = " + root_ + "game\\\r\n"));
  }

  static std::string name(int i) { return std::string(1, static_cast<char>('a' + i)) + ".jar"; }
  std::string client() const { return root_ + "game\\bin\\minecraft.jar"; }
  std::string backups() const { return root_ + "game\\bin\\backup\\"; }

  // One run: start, sample, install jar `index` with a backup, sample, close.
  void run_once(int run, int index, RunSamples* sampled) {
    e2e::Pelmora p(root_);
    ASSERT_TRUE(p.started()) << "pelmora.exe did not start, error " << p.start_error();
    ASSERT_TRUE(p.main_window()) << "no main window";
    ASSERT_TRUE(p.wait_list_filled(3)) << "the list was not filled";
    soak::ProcessSampler sampler(p.process_id(), e2e::helper_exe("soak_probe.dll"));
    ASSERT_TRUE(sampler.ok()) << sampler.why();
    ASSERT_TRUE(sampler.sample(&sampled->start)) << "no sample at the start";

    ASSERT_TRUE(
        soak::click_until(p, kBackup, [&] { return p.check_state(kBackup) == BST_CHECKED; }));
    ASSERT_TRUE(soak::select_item(p, index));
    ASSERT_TRUE(soak::click_until(p, kConfirm, [&] { return p.enabled(kActivate); }));
    // The check box must still be ticked when "Aktivieren" is clicked: a backup that does not
    // happen then is the program's fault, not the driver's.
    ASSERT_EQ(p.check_state(kBackup), BST_CHECKED)
        << "the check box lost its tick before Aktivieren";
    e2e::Box box;
    ASSERT_TRUE(soak::click_for_box(p, kActivate, &box)) << "no message box after Aktivieren\n"
                                                         << describe(p);
    for (const char* expected : {kBackupDone, kInstalled}) {
      if (expected == kInstalled) {
        ASSERT_TRUE(p.wait_box(&box)) << "no message box; expected " << expected << "\n"
                                      << describe(p);
      }
      ASSERT_EQ(box.title, "Info");
      ASSERT_EQ(box.text, expected);
      ASSERT_TRUE(p.answer(box));
    }
    ASSERT_TRUE(sampler.sample(&sampled->end)) << "no sample at the end";
    ASSERT_EQ(soak::close_program(p), 0) << "run " << run;
  }

  // What the program and the files look like, for a failure message.
  std::string describe(e2e::Pelmora& p) {
    std::string text = p.running() ? "the program is running" : "the program has ended";
    text += "; Aktivieren " + std::string(p.enabled(kActivate) ? "enabled" : "disabled");
    text += "; backup folder:";
    for (const std::string& name : e2e::list_folder(backups(), "*")) text += " " + name;
    text += "; bin:";
    for (const std::string& name : e2e::list_folder(root_ + "game\\bin\\", "*")) text += " " + name;
    const std::string shot = e2e::save_screenshot(p.main_window(1000), "soak-failure");
    if (!shot.empty()) text += "; screenshot " + shot;
    return text;
  }

  test_support::ScratchFolder scratch_;
  std::string root_;
};

TEST_F(Soak, RepeatedInstallsWithBackupLeaveNoTraceAndNoGrowth) {
  const int total = soak_runs();
  std::vector<RunSamples> runs;
  std::string previous = e2e::read_file(client());
  for (int run = 0; run < total; ++run) {
    const int index = run % 3;
    RunSamples sampled;
    run_once(run, index, &sampled);
    if (HasFatalFailure()) {
      ADD_FAILURE() << "run " << run << " of " << total << " failed; " << soak::repeated_clicks()
                    << " clicks had been repeated";
      return;
    }
    runs.push_back(sampled);

    // On disk: the chosen jar installed, one more backup holding the jar it replaced, nothing
    // else in the game's bin folder and no intermediate copy in the backup folder.
    ASSERT_EQ(e2e::read_file(client()), jar_content(index)) << "run " << run;
    const std::vector<std::string> made = e2e::list_folder(backups(), "*");
    ASSERT_EQ(made.size(), static_cast<size_t>(run + 1)) << "run " << run;
    ASSERT_FALSE(e2e::exists(backups() + "minecraft.jar"))
        << "intermediate copy left after run " << run;
    std::vector<std::string> bin = e2e::list_folder(root_ + "game\\bin\\", "*");
    std::sort(bin.begin(), bin.end());
    ASSERT_EQ(bin, (std::vector<std::string>{"backup", "minecraft.jar"})) << "run " << run;
    std::vector<std::string> top = e2e::list_folder(root_, "*");
    std::sort(top.begin(), top.end());
    ASSERT_EQ(top, (std::vector<std::string>{"game", "jar", "mods", "pref.ini"})) << "run " << run;
    bool backed_up = false;
    for (const std::string& b : made)
      backed_up = backed_up || e2e::read_file(backups() + b) == previous;
    ASSERT_TRUE(backed_up) << "no backup holds the jar replaced in run " << run;
    previous = jar_content(index);
  }

  std::printf("soak: %d runs, each a full install with backup; %d clicks had to be repeated\n",
              total, soak::repeated_clicks());
  std::printf("  first run  start: handles %lu, GDI %lu, USER %lu, working set %.1f MiB\n",
              runs.front().start.handles, runs.front().start.gdi, runs.front().start.user,
              runs.front().start.working_set / 1048576.0);
  std::printf("  first run  end:   handles %lu, GDI %lu, USER %lu, working set %.1f MiB\n",
              runs.front().end.handles, runs.front().end.gdi, runs.front().end.user,
              runs.front().end.working_set / 1048576.0);
  std::printf("  last run   start: handles %lu, GDI %lu, USER %lu, working set %.1f MiB\n",
              runs.back().start.handles, runs.back().start.gdi, runs.back().start.user,
              runs.back().start.working_set / 1048576.0);
  std::printf("  last run   end:   handles %lu, GDI %lu, USER %lu, working set %.1f MiB\n",
              runs.back().end.handles, runs.back().end.gdi, runs.back().end.user,
              runs.back().end.working_set / 1048576.0);
  expect_no_growth(
      "handles at start", runs, [](const RunSamples& r) { return r.start.handles; }, kCountSlack);
  expect_no_growth(
      "handles at end", runs, [](const RunSamples& r) { return r.end.handles; }, kCountSlack);
  expect_no_growth(
      "GDI objects at start", runs, [](const RunSamples& r) { return r.start.gdi; }, kCountSlack);
  expect_no_growth(
      "GDI objects at end", runs, [](const RunSamples& r) { return r.end.gdi; }, kCountSlack);
  expect_no_growth(
      "USER objects at start", runs, [](const RunSamples& r) { return r.start.user; }, kCountSlack);
  expect_no_growth(
      "USER objects at end", runs, [](const RunSamples& r) { return r.end.user; }, kCountSlack);
  expect_no_growth(
      "working set at start (B)", runs, [](const RunSamples& r) { return r.start.working_set; },
      kWorkingSetSlack);
  expect_no_growth(
      "working set at end (B)", runs, [](const RunSamples& r) { return r.end.working_set; },
      kWorkingSetSlack);
}

}  // namespace
