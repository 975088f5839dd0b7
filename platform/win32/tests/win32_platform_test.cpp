// The Windows layer under Wine: wide paths through the core's file functions, where the snapshot
// goes, RCDATA pictures and the GDI+ codec, window messages for the core, and silence without a
// sound device.
#include <gtest/gtest.h>

#include "app/files.h"
#include "app/paths.h"
#include "app/session.h"
#include "app/snapshot.h"
#include "gfx/png_codec.h"
#include "gfx/resources.h"
#include "platform/win32/dsound_audio.h"
#include "platform/win32/rcdata.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_paths.h"
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <filesystem>
#include <random>

namespace mw {
namespace {

namespace fs = std::filesystem;

// A fresh folder below the temporary folder, removed afterwards.
class TempFolder {
 public:
  explicit TempFolder(const std::wstring& stem) {
    std::random_device entropy;
    path_ = fs::temp_directory_path() / (stem + L"-" + std::to_wstring(entropy()));
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

TEST(Win32Files, NonAsciiFolderNamesWorkThroughTheCoresFileFunctions) {
  // A user name as many have: letters outside any one ANSI code page.
  TempFolder home(L"Zo\u00eb \u0416\u0435\u043d\u044f \u65e5\u672c");
  const std::string folder = narrow(home.path().wstring());
  ScreenCapture capture;
  capture.width = 3;
  capture.height = 2;
  capture.pixels = {0x112233, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF, 0x010203};
  const std::string snapshot = folder + "\\1.bmp";
  ASSERT_TRUE(writeSnapshotFile(snapshot, capture));
  // The file has the wide name, not a mangled narrow one.
  EXPECT_NE(GetFileAttributesW((home.path() / L"1.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
  const std::vector<uint8_t> bytes = readFileBytes(snapshot);
  Image loaded;
  ASSERT_TRUE(decodeBmp(bytes.data(), bytes.size(), loaded));
  ASSERT_EQ(loaded.pixels.size(), 6u);
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(loaded.pixels[i], capture.pixels[i] | 0xFF000000u) << i;

  // And the snapshot path the platform sets is the one capture and reload use.
  setSnapshotPath(snapshot);
  Image desktop;
  CaptureState noPhotoKept;
  loadSnapshot(noPhotoKept, desktop);
  setSnapshotPath("");
  EXPECT_EQ(desktop.width, 3);
  EXPECT_EQ(desktop.pixels, loaded.pixels);

  std::FILE* file = openFile(snapshot, "rb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
}

TEST(Win32Files, SnapshotBesideTheProgramElseInLocalAppData) {
  TempFolder program(L"program");
  TempFolder local(L"local \u00e5");
  fs::create_directories(program.path() / L"Files" / L"Img");
  EXPECT_EQ(chooseSnapshotPath(program.path().wstring(), local.path().wstring()),
            program.path().wstring() + L"\\Files\\Img\\1.bmp");
  // The check leaves nothing behind.
  EXPECT_FALSE(fs::exists(program.path() / L"Files" / L"Img" / L"1.bmp"));

  // No writable Files\Img beside the program (here: none at all; under Program Files: no rights).
  TempFolder installed(L"installed");
  const std::wstring chosen = chooseSnapshotPath(installed.path().wstring(), local.path().wstring());
  EXPECT_EQ(chosen, local.path().wstring() + L"\\Mirthwick\\1.bmp");
  EXPECT_TRUE(fs::is_directory(local.path() / L"Mirthwick"));
}

TEST(Win32Pictures, RcdataResourcesDecodeThroughGdiplus) {
  const EmbeddedResource crack = rcdataResource(100);
  ASSERT_NE(crack.bytes, nullptr);
  EXPECT_EQ(crack.bytes[1], 'P');
  EXPECT_EQ(rcdataResource(9999).bytes, nullptr);
  EXPECT_EQ(rcdataResource(9999).size, 0u);
  const ResourceBytes panel = imageResource(2);
  Image image;
  ASSERT_TRUE(decodePng(panel.bytes, panel.size, image));
  EXPECT_EQ(image.width, 425);
  EXPECT_EQ(image.height, 600);
  EXPECT_EQ(image.key, TRANSPARENT_KEY);

  // GDI+ would decode other formats too; only PNG is taken, and a cut PNG is refused untouched.
  Image untouched;
  untouched.width = 7;
  const std::vector<uint8_t> bmp = bmpHeader(1, 1);
  EXPECT_FALSE(decodePng(bmp.data(), bmp.size(), untouched));
  EXPECT_FALSE(decodePng(panel.bytes, panel.size / 3, untouched));
  EXPECT_EQ(untouched.width, 7);

  // Colours under partial and no alpha are kept exactly: nothing is premultiplied.
  const uint32_t pixels[4] = {0x00FF8040, 0x80123456, 0xFFABCDEF, 0x01030507};
  const std::vector<uint8_t> png = encodePng(pixels, 2, 2, false);
  ASSERT_TRUE(decodePng(png.data(), png.size(), image));
  EXPECT_EQ(std::vector<uint32_t>(pixels, pixels + 4), image.pixels);
}

TEST(Win32Platform, WindowMessagesReachTheCoreAsTheyCame) {
  Win32Platform platform(GetModuleHandleW(nullptr));
  platform.createWindow(320, 200);
  HWND window = FindWindowW(L"Mirthwick", L"Mirthwick");
  if (window == nullptr) GTEST_SKIP() << "no window could be made here (Wine without a graphics driver)";
  WindowMessage message;
  while (platform.peekMessage(message)) {
  }
  PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageW(window, WM_SYSKEYDOWN, VK_F10, 0);  // system keys are not recorded
  PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-20, 5000));
  PostMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(3, 4));
  const WindowMessage expected[] = {{WM_KEYDOWN, VK_RETURN, 0x001C0001},
                                    {WM_MOUSEMOVE, MK_LBUTTON, packPoint(-20, 5000)},
                                    {WM_RBUTTONUP, 0, packPoint(3, 4)}};
  for (const WindowMessage& want : expected) {
    ASSERT_TRUE(platform.peekMessage(message));
    EXPECT_EQ(message.message, want.message);
    EXPECT_EQ(message.wParam, want.wParam);
    EXPECT_EQ(message.lParam, want.lParam);
  }
  EXPECT_FALSE(platform.peekMessage(message));
  DestroyWindow(window);
  ASSERT_TRUE(platform.peekMessage(message));
  EXPECT_EQ(message.message, WM_DESTROY);
}

TEST(Win32Sound, WithoutADeviceEverythingIsSilentAndNothingFails) {
  DirectSoundAudio audio;
  audio.open(nullptr);
  const std::vector<uint8_t> samples(4000, 0x10);
  audio.attach(0, samples.data(), static_cast<uint32_t>(samples.size()));
  audio.attach(99, samples.data(), 8);  // no such slot
  audio.play(0, -350, false);
  audio.play(0, 5000, true);  // out-of-range levels are clamped
  audio.stop(0);
  audio.attach(0, nullptr, 0);
  audio.close();
  SUCCEED() << (audio.ready() ? "a device" : "no device");
}

}  // namespace
}  // namespace mw
