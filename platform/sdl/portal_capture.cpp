// The screenshot portal over sd-bus: subscribe to the request's Response, call Screenshot, wait.
#include "platform/sdl/portal_capture.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <systemd/sd-bus.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "gfx/png_codec.h"

namespace mw {

namespace {

constexpr const char* PORTAL_SERVICE = "org.freedesktop.portal.Desktop";
constexpr const char* PORTAL_OBJECT = "/org/freedesktop/portal/desktop";
constexpr const char* REQUEST_INTERFACE = "org.freedesktop.portal.Request";

struct Answer {
  bool received = false;
  uint32_t response = 2;  // 0 success, 1 cancelled by the user, 2 ended otherwise
  std::string uri;
};

int onResponse(sd_bus_message* message, void* userdata, sd_bus_error*) {
  auto* answer = static_cast<Answer*>(userdata);
  answer->received = true;
  if (sd_bus_message_read(message, "u", &answer->response) < 0) {
    answer->response = 2;
    return 0;
  }
  if (sd_bus_message_enter_container(message, 'a', "{sv}") < 0) return 0;
  while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
    const char* key = nullptr;
    if (sd_bus_message_read(message, "s", &key) < 0) break;
    const char* uri = nullptr;
    if (std::strcmp(key, "uri") == 0 && sd_bus_message_read(message, "v", "s", &uri) >= 0) {
      answer->uri = uri;
    } else {
      sd_bus_message_skip(message, "v");
    }
    sd_bus_message_exit_container(message);
  }
  sd_bus_message_exit_container(message);
  return 0;
}

uint64_t nowUs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<uint64_t>(t.tv_sec) * 1'000'000 + static_cast<uint64_t>(t.tv_nsec) / 1000;
}

// The request object the portal will create for this token: the sender's unique name without its
// colon and with dots as underscores.
std::string requestPath(const char* uniqueName, const std::string& token) {
  std::string sender = uniqueName[0] == ':' ? uniqueName + 1 : uniqueName;
  for (char& c : sender) {
    if (c == '.') c = '_';
  }
  return std::string(PORTAL_OBJECT) + "/request/" + sender + "/" + token;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The portal's picture, read whole: a plain file only (a link is not followed, a FIFO or device
// not waited on or read without end) of at most PORTAL_FILE_LIMIT bytes. Empty reason on success.
std::string readPortalFile(const std::string& path, std::vector<uint8_t>& bytes) {
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return errno == ENOENT ? "the screenshot portal's picture is missing"
           : errno == ELOOP ? "the screenshot portal's picture is a link, not a plain file"
                            : "the screenshot portal's picture could not be opened";
  }
  struct stat info {};
  std::string reason;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    reason = "the screenshot portal's picture is not a plain file";
  } else if (info.st_size > PORTAL_FILE_LIMIT) {
    reason = "the screenshot portal's picture is larger than " + std::to_string(PORTAL_FILE_LIMIT >> 20) + " MB";
  } else {
    try {
      bytes.resize(static_cast<size_t>(info.st_size));
    } catch (const std::bad_alloc&) {
      close(fd);
      return "the screenshot portal's picture is too large for the memory left";
    }
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<size_t>(got);
    }
    if (done != bytes.size()) reason = "the screenshot portal's picture could not be read";
  }
  close(fd);
  return reason;
}

// The portal's picture goes once read: its own name only, when that is a plain file or a link
// (never what a link points at, a device or a folder).
void removePortalFile(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) == 0 && (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode))) unlink(path.c_str());
}

struct Bus {
  sd_bus* bus = nullptr;
  sd_bus_slot* slot = nullptr;
  ~Bus() {
    sd_bus_slot_unref(slot);
    sd_bus_flush_close_unref(bus);
  }
};

}  // namespace

void cropMonitor(const Image& picture, DesktopRect layout, DesktopRect monitor, ScreenCapture& out) {
  int x0 = 0, y0 = 0, x1 = picture.width, y1 = picture.height;
  if (layout.width > 0 && layout.height > 0 && monitor.width > 0 && monitor.height > 0) {
    const double sx = static_cast<double>(picture.width) / layout.width;
    const double sy = static_cast<double>(picture.height) / layout.height;
    const auto at = [](double v, int high) { return std::clamp(static_cast<int>(std::lround(v)), 0, high); };
    const int left = at((monitor.x - layout.x) * sx, picture.width);
    const int top = at((monitor.y - layout.y) * sy, picture.height);
    const int right = at((monitor.x + monitor.width - layout.x) * sx, picture.width);
    const int bottom = at((monitor.y + monitor.height - layout.y) * sy, picture.height);
    if (right > left && bottom > top) x0 = left, y0 = top, x1 = right, y1 = bottom;
  }
  out.width = x1 - x0;
  out.height = y1 - y0;
  out.pixels.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
  for (int y = 0; y < out.height; ++y) {
    const uint32_t* row = picture.pixels.data() + static_cast<size_t>(y0 + y) * picture.width + x0;
    uint32_t* target = out.pixels.data() + static_cast<size_t>(y) * out.width;
    for (int x = 0; x < out.width; ++x) target[x] = row[x] | 0xFF000000u;
  }
}

std::string pathOfFileUri(const std::string& uri) {
  const std::string scheme = "file://";
  if (uri.compare(0, scheme.size(), scheme) != 0) return {};
  std::string rest = uri.substr(scheme.size());
  if (rest.compare(0, 9, "localhost") == 0) rest.erase(0, 9);
  if (rest.empty() || rest[0] != '/') return {};
  std::string path;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && hexDigit(rest[i + 1]) >= 0 && hexDigit(rest[i + 2]) >= 0) {
      path += static_cast<char>(hexDigit(rest[i + 1]) * 16 + hexDigit(rest[i + 2]));
      i += 2;
    } else {
      path += rest[i];
    }
  }
  if (path.find('\0') != std::string::npos) return {};
  return path;
}

int portalTimeoutMs() {
  const char* text = std::getenv("MIRTHWICK_PORTAL_TIMEOUT");
  if (text == nullptr || text[0] == '\0') return PORTAL_TIMEOUT_MS;
  char* end = nullptr;
  const long seconds = std::strtol(text, &end, 10);
  if (*end != '\0' || seconds < 1 || seconds > 600) return PORTAL_TIMEOUT_MS;
  return static_cast<int>(seconds) * 1000;
}

PortalCapture capturePortalScreenshot(int timeoutMs, Image& picture, std::string& reason) {
  Bus connection;
  if (sd_bus_open_user(&connection.bus) < 0) {
    reason = "no session bus to reach the screenshot portal";
    return PortalCapture::NoPortal;
  }
  const char* unique = nullptr;
  if (sd_bus_get_unique_name(connection.bus, &unique) < 0) {
    reason = "the session bus did not answer";
    return PortalCapture::NoPortal;
  }
  static unsigned serial = 0;
  const std::string token = "mirthwick" + std::to_string(getpid()) + "_" + std::to_string(++serial);
  std::string path = requestPath(unique, token);

  // Subscribed before the call, so an answer that comes at once is not missed.
  Answer answer;
  if (sd_bus_match_signal(connection.bus, &connection.slot, nullptr, path.c_str(), REQUEST_INTERFACE, "Response",
                          onResponse, &answer) < 0) {
    reason = "the session bus refused a subscription";
    return PortalCapture::Failed;
  }
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  const int called = sd_bus_call_method(connection.bus, PORTAL_SERVICE, PORTAL_OBJECT,
                                        "org.freedesktop.portal.Screenshot", "Screenshot", &error, &reply, "sa{sv}", "",
                                        2, "handle_token", "s", token.c_str(), "interactive", "b", 0);
  if (called < 0) {
    const bool absent = sd_bus_error_has_name(&error, SD_BUS_ERROR_SERVICE_UNKNOWN) ||
                        sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_METHOD) ||
                        sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_INTERFACE) ||
                        sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_OBJECT) ||
                        sd_bus_error_has_name(&error, SD_BUS_ERROR_NAME_HAS_NO_OWNER);
    const bool late = sd_bus_error_has_name(&error, SD_BUS_ERROR_NO_REPLY) ||
                      sd_bus_error_has_name(&error, SD_BUS_ERROR_TIMEOUT);
    const bool denied = sd_bus_error_has_name(&error, SD_BUS_ERROR_ACCESS_DENIED) ||
                        sd_bus_error_has_name(&error, "org.freedesktop.portal.Error.NotAllowed");
    reason = absent ? "no screenshot portal on the session bus"
             : late ? "the screenshot portal did not answer"
             : denied ? "the screenshot portal refused permission"
                      : std::string("the screenshot portal failed: ") +
                            (error.message ? error.message : error.name ? error.name : "unknown error");
    sd_bus_error_free(&error);
    return absent ? PortalCapture::NoPortal : late ? PortalCapture::TimedOut : denied ? PortalCapture::Refused
                                                                                    : PortalCapture::Failed;
  }
  // Older portals name the request differently: follow the path they give.
  const char* handle = nullptr;
  if (sd_bus_message_read(reply, "o", &handle) >= 0 && handle != nullptr && path != handle) {
    path = handle;
    connection.slot = sd_bus_slot_unref(connection.slot);
    sd_bus_match_signal(connection.bus, &connection.slot, nullptr, path.c_str(), REQUEST_INTERFACE, "Response",
                        onResponse, &answer);
  }
  sd_bus_message_unref(reply);

  const uint64_t deadline = nowUs() + static_cast<uint64_t>(timeoutMs) * 1000;
  while (!answer.received) {
    const int processed = sd_bus_process(connection.bus, nullptr);
    if (processed < 0) {
      reason = "the session bus connection broke";
      return PortalCapture::Failed;
    }
    if (processed > 0) continue;
    const uint64_t now = nowUs();
    if (now >= deadline) break;
    sd_bus_wait(connection.bus, deadline - now);
  }
  if (!answer.received) {
    // Withdraw the request, so no question stays on the screen.
    sd_bus_call_method(connection.bus, PORTAL_SERVICE, path.c_str(), REQUEST_INTERFACE, "Close", nullptr, nullptr, "");
    reason = "the screenshot portal did not answer within " + std::to_string(timeoutMs / 1000) + " s";
    return PortalCapture::TimedOut;
  }
  if (answer.response != 0) {
    reason = answer.response == 1 ? "the screenshot was cancelled"
                                  : "the screenshot portal refused (permission denied or cancelled)";
    return PortalCapture::Refused;
  }
  const std::string file = pathOfFileUri(answer.uri);
  if (file.empty()) {
    reason = "the screenshot portal gave no file";
    return PortalCapture::Failed;
  }
  std::vector<uint8_t> bytes;
  reason = readPortalFile(file, bytes);
  // The picture is ours alone: it goes at once (GNOME writes it into the user's Pictures).
  removePortalFile(file);
  if (!reason.empty()) return PortalCapture::Failed;
  Image decoded;
  if (bytes.empty() || !decodePng(bytes.data(), bytes.size(), decoded) || decoded.width <= 0 || decoded.height <= 0) {
    reason = "the screenshot portal's picture could not be read";
    return PortalCapture::Failed;
  }
  picture = std::move(decoded);
  return PortalCapture::Picture;
}

}  // namespace mw
