// The window procedure's input rules and the main loop's ordering.
#include <gtest/gtest.h>

#include "app/application.h"
#include "app/input.h"
#include "app/message_loop.h"
#include "app/paths.h"
#include "app/session.h"
#include "platform/headless/headless_platform.h"
#include "tests/test_support.h"
#include "world/world.h"

namespace mw {
namespace {

class WindowProcTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session.firstMessageSeen = true;  // the capture is tested on its own below
    session.screen = ScreenSize{1920, 1080};
  }
  void move(int x, int y, uint32_t buttons = 0) {
    windowProc(session, platform, WM_MOUSEMOVE, buttons, packPoint(x, y));
  }
  Session session;
  HeadlessPlatform platform{ScreenCapture{}};
};

TEST_F(WindowProcTest, MovesInsideAreStoredAndTakeTheCaptureOnce) {
  move(10, 20);
  EXPECT_EQ(session.mouse.x, 10);
  EXPECT_EQ(session.mouse.y, 20);
  EXPECT_EQ(session.mouse.captured, 1);
  EXPECT_TRUE(platform.mouseCaptured());
  move(1919, 1079);
  EXPECT_EQ(session.mouse.x, 1919);
  EXPECT_EQ(session.mouse.y, 1079);
}

TEST_F(WindowProcTest, EdgeColumnAndRowZeroCountAsOutside) {
  move(300, 400);
  windowProc(session, platform, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  windowProc(session, platform, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, 0);
  move(0, 500);  // no button flag in wParam: released outside
  EXPECT_EQ(session.mouse.x, 300);
  EXPECT_EQ(session.mouse.y, 400);
  EXPECT_EQ(session.mouse.left, 0);
  EXPECT_EQ(session.mouse.right, 0);
  EXPECT_EQ(session.mouse.captured, 0);
  EXPECT_FALSE(platform.mouseCaptured());
  move(500, 0);
  EXPECT_EQ(session.mouse.x, 300);
  move(1920, 10);  // one past the last column
  EXPECT_EQ(session.mouse.x, 300);
}

TEST_F(WindowProcTest, HeldButtonPinsPointerToNearestEdge) {
  move(300, 400);
  windowProc(session, platform, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  move(-20, 5000, MK_LBUTTON);
  EXPECT_EQ(session.mouse.x, 0);
  EXPECT_EQ(session.mouse.y, 1079);
  EXPECT_EQ(session.mouse.left, 1);
  EXPECT_EQ(session.mouse.captured, 1);
  move(4000, -7, MK_RBUTTON);
  EXPECT_EQ(session.mouse.x, 1919);
  EXPECT_EQ(session.mouse.y, 0);
}

TEST_F(WindowProcTest, ButtonsAndKeysDoNotMoveThePointer) {
  move(50, 60);
  windowProc(session, platform, WM_LBUTTONDOWN, MK_LBUTTON, packPoint(700, 800));
  EXPECT_EQ(session.mouse.left, 1);
  windowProc(session, platform, WM_LBUTTONUP, 0, packPoint(700, 800));
  windowProc(session, platform, WM_RBUTTONDOWN, MK_RBUTTON, 0);
  EXPECT_EQ(session.mouse.right, 1);
  windowProc(session, platform, WM_RBUTTONUP, 0, 0);
  EXPECT_EQ(session.mouse.left, 0);
  EXPECT_EQ(session.mouse.right, 0);
  EXPECT_EQ(session.mouse.x, 50);
  EXPECT_EQ(session.mouse.y, 60);

  windowProc(session, platform, WM_KEYDOWN, VK_F11, 0);
  for (int repeat = 0; repeat < 30; ++repeat) windowProc(session, platform, WM_KEYDOWN, VK_F11, 0);
  EXPECT_EQ(session.keys[VK_F11], 1);
  windowProc(session, platform, WM_KEYUP, 0x100 | VK_F11, 0);  // only the low byte names the key
  EXPECT_EQ(session.keys[VK_F11], 0);
}

TEST_F(WindowProcTest, DestroyPostsQuitDeliveredAfterWaitingMessages) {
  platform.post({WM_KEYDOWN, VK_SPACE, 0});
  windowProc(session, platform, WM_DESTROY, 0, 0);
  WindowMessage m;
  ASSERT_TRUE(peekMessage(platform, session.quit, m));
  EXPECT_EQ(m.message, WM_KEYDOWN);
  ASSERT_TRUE(peekMessage(platform, session.quit, m));
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 0u);
  EXPECT_FALSE(peekMessage(platform, session.quit, m));
}

TEST(FirstMessage, RunsTheCaptureOnceWhateverItIs) {
  test::DataDirectory data;
  setDataDirectory(data.path());
  Session session;
  ScreenCapture screen;
  screen.width = 4;
  screen.height = 3;
  screen.pixels.assign(12, 0xFF00FF00u);
  HeadlessPlatform platform(screen);
  windowProc(session, platform, WM_KEYUP, 'A', 0);
  windowProc(session, platform, WM_NCCREATE, 0, 0);
  windowProc(session, platform, WM_MOUSEMOVE, 0, packPoint(1, 1));
  EXPECT_EQ(platform.captures(), 1);
  EXPECT_EQ(session.screen.width, 4);
}

class MainLoopTest : public ::testing::Test {
 protected:
  test::DataDirectory data;
  HeadlessPlatform platform{[] {
    ScreenCapture s;
    s.width = 64;
    s.height = 48;
    s.pixels.assign(64 * 48, 0xFF336699u);
    return s;
  }()};
  Application app{platform, 7u};
  void SetUp() override {
    setDataDirectory(data.path());
    app.start();
  }
  void TearDown() override { app.finish(); }
};

TEST_F(MainLoopTest, StartPhotographsTwiceAndStartsFullScreen) {
  EXPECT_EQ(platform.captures(), 2);
  EXPECT_FALSE(platform.windowed());
  EXPECT_EQ(app.world().desktop.width, 64);
  EXPECT_EQ(app.world().desktop.pixels[0], 0xFF336699u);
}

TEST_F(MainLoopTest, WaitingMessagesAreHandledBeforeTheNextFrame) {
  EXPECT_TRUE(app.runPass());
  EXPECT_EQ(app.world().frameNumber, 1u);
  platform.post({WM_MOUSEMOVE, 0, packPoint(5, 6)});
  platform.post({WM_KEYDOWN, 'A', 0});
  EXPECT_TRUE(app.runPass());
  EXPECT_TRUE(app.runPass());
  EXPECT_EQ(app.world().frameNumber, 1u);  // both messages first
  EXPECT_EQ(app.session().keys['A'], 1);
  EXPECT_TRUE(app.runPass());
  EXPECT_EQ(app.world().frameNumber, 2u);
  EXPECT_EQ(platform.framesPresented(), 2u);
}

TEST_F(MainLoopTest, NoFrameRunsAfterTheQuitMessage) {
  platform.post({WM_KEYDOWN, VK_ESCAPE, 0});
  EXPECT_TRUE(app.runPass());   // the key
  EXPECT_TRUE(app.runPass());   // a frame: Escape posts quit
  EXPECT_EQ(app.world().frameNumber, 1u);
  EXPECT_FALSE(app.runPass());  // the quit message is taken
  EXPECT_TRUE(app.quitTaken());
  EXPECT_EQ(app.world().frameNumber, 1u);
  EXPECT_EQ(app.finish(), 0);
}

}  // namespace
}  // namespace mw
