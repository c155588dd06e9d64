#include "app/paths.h"

#include <utility>

std::string client_jar_path(const std::string& game_folder) {
  return game_folder + "bin\\minecraft.jar";
}

std::string backup_folder_path(const std::string& game_folder) {
  return game_folder + "bin\\backup\\";
}

std::string backup_copy_path(const std::string& game_folder) {
  return backup_folder_path(game_folder) + "minecraft.jar";
}

std::string backup_name_path(const std::string& game_folder, const std::string& stamp, int attempt) {
  std::string path = backup_folder_path(game_folder) + stamp;
  if (attempt > 1) path += "_" + std::to_string(attempt);
  return path + ".jar";
}

std::string client_jar_staging_path(const std::string& game_folder) {
  return client_jar_path(game_folder) + ".pelmora-neu";
}

std::string install_source_path(const std::string& current_directory, const std::string& name) {
  return current_directory + "jar\\" + name;
}

bool JarNames::add(std::string name) {
  if (name.empty() || names_.size() >= kCapacity) return false;
  names_.push_back(std::move(name));
  return true;
}

const std::string& JarNames::operator[](size_t index) const {
  static const std::string empty;
  return index < names_.size() ? names_[index] : empty;
}
