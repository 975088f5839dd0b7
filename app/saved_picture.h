// F12's saved pictures: where they go, what they are called, and how they are written.
#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace mw {

// The largest user-dirs.dirs that is read; a larger file is ignored.
inline constexpr size_t USER_DIRS_FILE_LIMIT = 64 * 1024;

// The picture's name for a local time: "Mirthwick YYYY-MM-DD HH-MM-SS.png", and for the second
// and later tries at one name "Mirthwick YYYY-MM-DD HH-MM-SS (2).png" and so on.
std::string savedPictureName(const std::tm& local, int attempt);

// The folder XDG_PICTURES_DIR names in the text of a user-dirs.dirs file: a double-quoted
// "$HOME/..." (home put in) or an absolute path, with \" \\ \$ escapes; the last such line counts.
// Empty when the file names none, or names it in any other form.
std::string picturesDirFromUserDirs(std::string_view text, const std::string& home);

// The pictures folder of a freedesktop system: XDG_PICTURES_DIR from user-dirs.dirs in
// $XDG_CONFIG_HOME (default ~/.config), else ~/Pictures when it is a folder, else the home folder;
// empty when there is no home.
std::string freedesktopPicturesFolder();

// The result of saving a picture.
struct SavedPicture {
  bool saved = false;
  std::string path;   // the file written
  std::string error;  // why nothing was written
};

// Writes width x height frame pixels (0xXXRRGGBB) as an opaque PNG into folder under the name of
// the local time `when`, never replacing a file that is there: a taken name gets " (2)", " (3)" ...
// The file is written whole under a temporary name and renamed; on failure nothing is left.
SavedPicture savePicture(const std::string& folder, const uint32_t* pixels, int32_t width, int32_t height,
                         std::time_t when);

}  // namespace mw
