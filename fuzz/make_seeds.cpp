// Makes the fuzz targets' seed corpora: small valid files from the program's own writers and from
// the committed assets, a few bytes to a few KB each, and headers declaring extreme sizes (a PNG
// bomb of 75 KB among them). Usage: mirthwick-fuzz-seeds CORPUS_DIR
#include <spng.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/files.h"
#include "app/snapshot.h"
#include "gfx/png_codec.h"
#include "sim/simulator.h"

namespace fs = std::filesystem;

namespace {

const fs::path ASSETS = fs::path(MIRTHWICK_SOURCE_DIR) / "assets";

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t get32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

void save(const fs::path& folder, const std::string& name, const std::vector<uint8_t>& bytes) {
  fs::create_directories(folder);
  if (!mw::writeFileBytes((folder / name).string(), bytes)) std::fprintf(stderr, "cannot write %s\n", name.c_str());
}

void saveText(const fs::path& folder, const std::string& name, const std::string& text) {
  save(folder, name, std::vector<uint8_t>(text.begin(), text.end()));
}

// The bottom `rows` rows of a bottom-up 24-bit sheet, as a sheet of its own.
std::vector<uint8_t> cropSheet(const std::vector<uint8_t>& sheet, int32_t rows) {
  const uint32_t offset = get32(sheet, 10);
  const uint32_t width = get32(sheet, 18);
  const size_t rowBytes = (width * 3 + 3) / 4 * 4;
  std::vector<uint8_t> out(sheet.begin(), sheet.begin() + offset + rowBytes * rows);
  put32(out, 22, static_cast<uint32_t>(rows));
  put32(out, 34, static_cast<uint32_t>(rowBytes * rows));
  put32(out, 2, static_cast<uint32_t>(out.size()));
  return out;
}

// A sound file cut to `keep` sample bytes, its header saying `length`.
std::vector<uint8_t> cropWav(const std::vector<uint8_t>& wav, uint32_t keep, uint32_t length) {
  std::vector<uint8_t> out(wav.begin(), wav.begin() + 44 + keep);
  put32(out, 40, length);
  put32(out, 4, 36 + length);
  return out;
}

mw::ScreenCapture capture(int32_t w, int32_t h) { return mw::syntheticDesktop(w, h); }

// A 1-bit grey PNG of zeros, w x h: a few bytes per million pixels once compressed.
std::vector<uint8_t> zeroPng(uint32_t w, uint32_t h) {
  spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
  spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, 9);
  spng_ihdr ihdr{};
  ihdr.width = w;
  ihdr.height = h;
  ihdr.bit_depth = 1;
  ihdr.color_type = SPNG_COLOR_TYPE_GRAYSCALE;
  spng_set_ihdr(ctx, &ihdr);
  const std::vector<uint8_t> rows(static_cast<size_t>((w + 7) / 8) * h, 0);
  std::vector<uint8_t> out;
  if (spng_encode_image(ctx, rows.data(), rows.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) == 0) {
    size_t size = 0;
    int error = 0;
    if (void* png = spng_get_png_buffer(ctx, &size, &error)) {
      out.assign(static_cast<uint8_t*>(png), static_cast<uint8_t*>(png) + size);
      std::free(png);
    }
  }
  spng_ctx_free(ctx);
  return out;
}

// A file's first bytes with two 32-bit fields changed: a header declaring what the file does not hold.
std::vector<uint8_t> declaring(std::vector<uint8_t> bytes, size_t at, uint32_t value, size_t at2, uint32_t value2) {
  put32(bytes, at, value);
  put32(bytes, at2, value2);
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: mirthwick-fuzz-seeds CORPUS_DIR\n");
    return 2;
  }
  const fs::path corpus = argv[1];

  // Snapshots as the capture writes them, and the 24-bit sheets the reader also accepts.
  const fs::path snapshots = corpus / "snapshot_reader";
  fs::create_directories(snapshots);
  for (const auto& [w, h] : {std::pair{1, 1}, {3, 2}, {7, 5}, {16, 12}}) {
    mw::writeSnapshotFile((snapshots / ("snapshot-" + std::to_string(w) + "x" + std::to_string(h) + ".bmp")).string(),
                          capture(w, h));
  }

  const std::vector<uint8_t> fixedsys = mw::readFileBytes((ASSETS / "Files/Img/fixedsys16x28.bmp").string());
  const std::vector<uint8_t> consolas = mw::readFileBytes((ASSETS / "Files/Img/Consolas13x24-2.bmp").string());
  const fs::path fonts = corpus / "font_sheet";
  save(fonts, "fixedsys-1row.bmp", cropSheet(fixedsys, 1));
  save(fonts, "fixedsys-2rows.bmp", cropSheet(fixedsys, 2));
  save(fonts, "consolas-1row.bmp", cropSheet(consolas, 1));
  save(fonts, "consolas-3rows.bmp", cropSheet(consolas, 3));
  save(snapshots, "sheet-1row.bmp", cropSheet(consolas, 1));

  const fs::path sounds = corpus / "wav_loader";
  const std::vector<uint8_t> click = mw::readFileBytes((ASSETS / "Files/Sound/click.wav").string());
  save(sounds, "click-400.wav", cropWav(click, 400, 400));
  save(sounds, "click-short.wav", cropWav(click, 64, 4000));
  save(sounds, "click-empty.wav", cropWav(click, 0, 0));
  save(sounds, "click-odd.wav", cropWav(click, 7, 7));

  const fs::path desktops = corpus / "desktop_picture";
  for (const auto& [w, h] : {std::pair{4, 3}, {24, 16}}) {
    const mw::ScreenCapture screen = capture(w, h);
    const std::string size = std::to_string(w) + "x" + std::to_string(h);
    save(desktops, "desktop-" + size + ".png", mw::encodePng(screen.pixels.data(), w, h, true));
    mw::writeSnapshotFile((desktops / ("desktop-" + size + ".bmp")).string(), screen);
  }

  // The smallest committed pictures, and small strips from the PNG writer.
  const fs::path images = corpus / "image_resource";
  for (const char* name : {"101.png", "102.png", "301.png", "201.png", "206.png", "3.png"}) {
    save(images, name, mw::readFileBytes((ASSETS / "images" / name).string()));
  }
  const mw::ScreenCapture strip = capture(200, 40);
  save(images, "strip-200x40.png", mw::encodePng(strip.pixels.data(), 200, 40, false));
  save(desktops, "101.png", mw::readFileBytes((ASSETS / "images/101.png").string()));

  // Extreme declared sizes: pictures of the largest side and past it, a sheet of 2^31 rows, a sound
  // of 4 GB, and PNG bombs of 16384 x 16384 and 32768 x 16384 pixels.
  const std::vector<uint8_t> small = mw::bmpHeader(16, 12);
  std::vector<uint8_t> smallFile = small;
  smallFile.resize(small.size() + 16 * 12 * 4, 0x55);
  save(snapshots, "declares-16384x16384.bmp", declaring(smallFile, 18, 16384, 22, 16384));
  save(snapshots, "declares-65536x-2147483647.bmp", declaring(smallFile, 18, 65536, 22, 0x80000001u));
  save(desktops, "declares-16385x1.bmp", declaring(smallFile, 18, 16385, 22, 1));
  save(fonts, "declares-2147483647-rows.bmp", declaring(cropSheet(fixedsys, 1), 22, 0x7FFFFFFF, 34, 0xFFFFFFF0u));
  save(sounds, "declares-4GB.wav", cropWav(click, 400, 0xFFFFFFFFu));
  for (const auto& [w, h] : {std::pair{16384u, 16384u}, {32768u, 16384u}, {16384u, 1u}}) {
    const std::string name = "zeros-" + std::to_string(w) + "x" + std::to_string(h) + ".png";
    const std::vector<uint8_t> png = zeroPng(w, h);
    save(desktops, name, png);
    save(images, name, png);
  }

  // Scripts using every command and key name, on the fuzz target's small screen.
  const fs::path scripts = corpus / "sim_script";
  saveText(scripts, "every-command.sim",
           "# every command once\n"
           "move 10 20\npress left\nstep\nrelease left\nstep 2\npress right\nstep\nrelease right\nstep\n"
           "keydown enter\nstep\nkeyup enter\nkeydown space\nstep\nkeyup space\nkeydown f11\nstep\nkeyup f11\n"
           "keydown f12\nkeyup f12\nkeydown left\nkeyup right\nkeydown up\nkeyup down\nkeydown 0x41\nkeyup 65\n"
           "click 100 60\nplace green sword 40 30\nplace blue flame 120 30 left\nstep 20\n"
           "dump\ndump out.json\nframe out.png\ndesktop desk.png\nkeydown escape\nstep\n");
  saveText(scripts, "soldiers.sim",
           "place green sword 20 20\nplace green flame 20 60\nplace blue sword 140 20 left\n"
           "place blue flame 140 60 left\nstep 100\ndump\n");
  saveText(scripts, "panel.sim",
           "move 150 10\npress right\nstep\nrelease right\nstep\nclick -150 -200\nclick -300 -60\n"
           "click -400 5\npress right\nstep\nrelease right\nstep 3\nmove -40000 40000\nstep\n");
  saveText(scripts, "bad-line.sim", "step 2\nmove 1\nstep\n");
  saveText(scripts, "long-line.sim", "step\n# " + std::string(70000, 'x') + "\nstep\n");
  saveText(scripts, "numbers.sim", "move 0x10 -0X0f\nstep +3\nmove 007 -0\nkeydown 255\nstep 0\n");
  return 0;
}
