// F12's saved pictures.
#include "app/saved_picture.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <vector>

#include "app/files.h"
#include "gfx/png_codec.h"

namespace mw {

namespace {

// Names tried at one time before giving up: " (2)" to " (99)".
constexpr int MAX_ATTEMPTS = 99;

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool isFolder(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(filePath(path), error);
}

}  // namespace

std::string savedPictureName(const std::tm& local, int attempt) {
  char name[96];
  std::snprintf(name, sizeof name, "Mirthwick %04d-%02d-%02d %02d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  std::string result = name;
  if (attempt > 1) result += " (" + std::to_string(attempt) + ")";
  return result + ".png";
}

std::string picturesDirFromUserDirs(std::string_view text, const std::string& home) {
  constexpr std::string_view KEY = "XDG_PICTURES_DIR=";
  std::string found;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
    if (line.substr(0, KEY.size()) != KEY) continue;
    line.remove_prefix(KEY.size());
    if (line.size() < 2 || line.front() != '"' || line.back() != '"') continue;
    line = line.substr(1, line.size() - 2);
    std::string value;
    bool good = true;
    for (size_t i = 0; i < line.size(); ++i) {
      char c = line[i];
      if (c == '\\') {
        if (i + 1 >= line.size()) {
          good = false;
          break;
        }
        c = line[++i];
      } else if (c == '"' || c == '\0') {
        good = false;
        break;
      }
      value += c;
    }
    if (!good) continue;
    // "$HOME" stands for the home folder only at the start and only when it is written plainly.
    if (line.substr(0, 5) == "$HOME" && (line.size() == 5 || line[5] == '/')) {
      if (home.empty()) continue;
      value = home + value.substr(5);
    } else if (value.empty() || value.front() != '/') {
      continue;  // neither $HOME-relative nor absolute
    }
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    found = value;
  }
  return found;
}

std::string freedesktopPicturesFolder() {
  const std::string home = environment("HOME");
  std::string config = environment("XDG_CONFIG_HOME");
  if (config.empty() || config.front() != '/') config = home.empty() ? "" : home + "/.config";
  if (!config.empty()) {
    // A plain file within the limit, else nothing: a FIFO there never blocks the program.
    const std::vector<uint8_t> dirs = readFileBytes(config + "/user-dirs.dirs", USER_DIRS_FILE_LIMIT);
    const std::string named = picturesDirFromUserDirs(std::string(dirs.begin(), dirs.end()), home);
    if (!named.empty()) return named;
  }
  if (home.empty()) return {};
  if (isFolder(home + "/Pictures")) return home + "/Pictures";
  return home;
}

SavedPicture savePicture(const std::string& folder, const uint32_t* pixels, int32_t width, int32_t height,
                         std::time_t when) {
  SavedPicture result;
  if (folder.empty()) {
    result.error = "there is no pictures folder";
    return result;
  }
  if (!isFolder(folder)) {
    result.error = folder + " is not a folder";
    return result;
  }
  std::vector<uint8_t> png;
  try {
    png = encodePng(pixels, width, height, true);
  } catch (const std::bad_alloc&) {
    png.clear();
  }
  if (png.empty()) {
    result.error = "the picture could not be encoded";
    return result;
  }
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &when);
#else
  localtime_r(&when, &local);
#endif
  const std::string base = folder.back() == '/' || folder.back() == '\\' ? folder : folder + "/";
  for (int attempt = 1; attempt <= MAX_ATTEMPTS; ++attempt) {
    const std::string path = base + savedPictureName(local, attempt);
    if (writeNewFile(path, png)) {
      result.saved = true;
      result.path = path;
      return result;
    }
    if (errno != EEXIST) {
      result.error = std::strerror(errno);
      return result;
    }
  }
  result.error = "too many pictures of this second";
  return result;
}

}  // namespace mw
