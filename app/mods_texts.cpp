// The mods folder's order and the texts of a merge.
#include <algorithm>

#include "app/install.h"
#include "app/mods.h"
#include "app/paths.h"
#include "app/texts.h"

std::vector<std::string> mod_order(const std::vector<std::string>& names) {
  std::vector<std::string> mods;
  for (const std::string& name : names) {
    if (is_mod_name(name)) mods.push_back(name);
  }
  std::sort(mods.begin(), mods.end(), [](const std::string& a, const std::string& b) {
    const std::string fa = lower_ascii(a);
    const std::string fb = lower_ascii(b);
    return fa != fb ? fa < fb : a < b;
  });
  return mods;
}

std::string mods_merged_text(size_t mods, size_t shared) {
  std::string text = mods == 1 ? texts::kOneModMerged : std::to_string(mods) + texts::kModsMerged;
  if (shared == 1) text += texts::kOneSharedFile;
  if (shared > 1) text += "\n\n" + std::to_string(shared) + texts::kSharedFiles;
  return text;
}

std::string merge_failure_text(const JarMerge& merge, const std::vector<std::string>& mods,
                               const std::string& base, bool into_version) {
  std::string text = std::string(texts::kModsNotMerged) + "\n\n";
  switch (merge.outcome) {
    case MergeOutcome::bad_source: {
      const std::string& name =
          merge.source == 0 || merge.source > mods.size() ? base : mods[merge.source - 1];
      // A file that could not be read is not called invalid: the reason names it.
      text += merge.check.verdict == JarVerdict::unreadable
                  ? failure_reason_text(jar_check_outcome(merge.check, name))
                  : name + texts::kNotAValidJar + "\n" + jar_check_reason(merge.check);
      break;
    }
    case MergeOutcome::nothing_left:
      text += texts::kModsNothingLeft;
      break;
    default:
      text += system_reason_sentence(merge.system_error);
      break;
  }
  return text + "\n\n" + (into_version ? texts::kNothingChanged : texts::kClientJarUnchanged);
}
