// Live window sizing with real mouse drags and keys: size events during the drag, the keyboard
// Size command with the arrow-key table, the tracking limits, and the end of an operation.
#include <algorithm>
#include <array>
#include <vector>

#include "runtime/registry.h"
#include "support/gui_driver.h"
#include "support/mouse_input_win.h"
#include "support/retry.h"
#include "ui/window/window.h"
#include "ui/window/window_internal.h"
#include "window_fixture.h"

namespace {

constexpr uint32_t kSizable = 0xCC0000;  // caption, system menu, sizing border
constexpr int32_t kEnterSizeMove = WM_ENTERSIZEMOVE;
constexpr int32_t kExitSizeMove = WM_EXITSIZEMOVE;

RECT rect_of(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r;
}

// How far each edge of the window is from where it was: left, top, right, bottom.
using Edges = std::array<LONG, 4>;
Edges moved_from(HWND w, const RECT& r0) {
  const RECT r = rect_of(w);
  return {r.left - r0.left, r.top - r0.top, r.right - r0.right, r.bottom - r0.bottom};
}

POINT cursor() { return mouse::position(); }

// Places the cursor and waits, running the event loop, until the position has held; Wine may
// follow a placement with moves that carry an earlier position.
void place_cursor(POINT p) {
  EXPECT_TRUE(mouse::place(p, mouse::Wait{[](DWORD ms) { collect_events(ms, ms); }}))
      << "the cursor did not stay at " << p.x << "," << p.y;
  collect_events(100);
}

bool same_rect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A screen point on the window's sizing border where WM_NCHITTEST answers `hit`, searched from
// the outer edge inwards across the middle of that side.
bool find_border(HWND w, LRESULT hit, POINT* at) {
  RECT r = rect_of(w);
  const int mid_x = (r.left + r.right) / 2;
  const int mid_y = (r.top + r.bottom) / 2;
  for (int i = 0; i < 12; ++i) {
    POINT p{};
    switch (hit) {
      case HTLEFT:
        p = {r.left + i, mid_y};
        break;
      case HTRIGHT:
        p = {r.right - 1 - i, mid_y};
        break;
      case HTTOP:
        p = {mid_x, r.top + i};
        break;
      default:
        p = {mid_x, r.bottom - 1 - i};
        break;
    }
    if (SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)) == hit) {
      *at = p;
      return true;
    }
  }
  return false;
}

bool contains(const std::vector<WaitedEvent>& events, int32_t event) {
  return std::any_of(events.begin(), events.end(),
                     [&](const WaitedEvent& e) { return e.event == event; });
}

// A keyboard sizing with nobody at the mouse. Under load Wine can deliver, after a key has set
// the cursor, a move with an earlier position, which the sizing would apply like the user's.
// While it lives, this drops every mouse move to another point than the one awaited.
class MoveWatch {
 public:
  MoveWatch() : hook_(SetWindowsHookExA(WH_GETMESSAGE, filter, nullptr, GetCurrentThreadId())) {}
  ~MoveWatch() { UnhookWindowsHookEx(hook_); }
  // Presses `key` and runs the event loop until the move to `target` has been taken.
  bool press_then_await_move(WORD key, POINT target, std::vector<WaitedEvent>* seen = nullptr) {
    target_ = target;
    arrived_ = false;
    gui::press_keys({key});
    return wait_until([] { return arrived_; }, 5000, seen);
  }

 private:
  static LRESULT CALLBACK filter(int code, WPARAM removed, LPARAM message) {
    auto* m = reinterpret_cast<MSG*>(message);
    if (code == HC_ACTION && m->message == WM_MOUSEMOVE) {
      if (m->pt.x != target_.x || m->pt.y != target_.y) m->message = WM_NULL;
      arrived_ = arrived_ || (m->message && removed == PM_REMOVE);
    }
    return CallNextHookEx(nullptr, code, removed, message);
  }
  static inline POINT target_{};
  static inline bool arrived_ = false;
  HHOOK hook_;
};

class SizingTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &saved_full_drag_, 0);
    // Only this process sees the change: the setting is not written back.
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
  }
  void TearDown() override {
    if (GetKeyState(VK_LBUTTON) < 0) mouse::release();
    ReleaseCapture();
    collect_events(100, 1000);
    SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, saved_full_drag_, nullptr, 0);
    WindowTest::TearDown();
  }

  // Window 1, sizable, in front, with the events of its opening drained.
  HWND open_sizable() {
    HWND w = gui::as_handle(window_open(1, 200, 150, 300, 200, "Sizable", kSizable));
    if (!w) return nullptr;
    SetForegroundWindow(w);
    if (!wait_until([&] { return GetForegroundWindow() == w; }, 2000)) return nullptr;
    collect_events(300);
    return w;
  }

  // Drags the border `hit` of `w` with the real mouse to the screen point `to`; the events seen
  // from the press to the release (inclusive of what the release produces).
  std::vector<WaitedEvent> drag_border(HWND w, LRESULT hit, POINT to) {
    std::vector<WaitedEvent> seen;
    POINT from{};
    EXPECT_TRUE(find_border(w, hit, &from)) << "no border " << hit;
    mouse::send(0, from);
    collect_events(100);
    mouse::send(MOUSEEVENTF_LEFTDOWN, from);
    EXPECT_TRUE(wait_until([&] { return GetCapture() == w; }, 2000, &seen)) << "no sizing";
    mouse::send(0, {(from.x + to.x) / 2, (from.y + to.y) / 2});
    collect_events(100);
    // The target may lie beyond the screen's edge, where the pointer stops.
    mouse::send(0, to);
    wait_until([&] { return cursor().x == to.x && cursor().y == to.y; }, 2000, &seen);
    mouse::send(MOUSEEVENTF_LEFTUP, to);
    EXPECT_TRUE(wait_until([&] { return contains(seen, kExitSizeMove); }, 2000, &seen));
    return seen;
  }

  // Starts the Size command as the system menu does and waits until the sizing runs.
  bool start_keyboard_size(HWND w) {
    PostMessageA(w, WM_SYSCOMMAND, SC_SIZE, 0);
    return wait_until([&] { return GetCapture() == w; }, 2000);
  }

  BOOL saved_full_drag_ = FALSE;
};

TEST_F(SizingTest, DraggingTheRightBorderGivesSizeEventsDuringTheDrag) {
  HWND w = open_sizable();
  ASSERT_NE(w, nullptr);
  const RECT r0 = rect_of(w);
  POINT from{};
  ASSERT_TRUE(find_border(w, HTRIGHT, &from));
  std::vector<WPARAM> sizing_edges;
  gui::SentMessageRecorder recorder([&](const CWPSTRUCT& m) {
    if (m.hwnd == w && m.message == WM_SIZING) sizing_edges.push_back(m.wParam);
  });

  std::vector<WaitedEvent> seen;
  mouse::send(0, from);
  collect_events(100);
  mouse::send(MOUSEEVENTF_LEFTDOWN, from);
  ASSERT_TRUE(wait_until([&] { return GetCapture() == w; }, 2000, &seen));
  for (int dx : {20, 40, 60}) {
    const LONG x = from.x + dx;
    // Wine may follow an injected move with one that carries an earlier position; the move is
    // sent again until the cursor and the border stay at the target.
    auto there = [&] { return cursor().x == x && rect_of(w).right == x + 2; };
    const bool stayed = test_support::click_until(
        [&] {
          mouse::send(0, {x, from.y});
        },
        [&] { return wait_until(there, 700, &seen) && there(); }, 4);
    EXPECT_TRUE(stayed) << "step " << dx << ": right " << rect_of(w).right;
  }
  // Size events while the button is still down; Windows' own sizing loop never ran.
  EXPECT_GE(only(seen, {event_window_sized}).size(), 3u) << ::testing::PrintToString(seen);
  EXPECT_TRUE(contains(seen, kEnterSizeMove));
  EXPECT_FALSE(contains(seen, kExitSizeMove));

  mouse::send(MOUSEEVENTF_LEFTUP, {from.x + 60, from.y});
  EXPECT_TRUE(wait_until([&] { return contains(seen, kExitSizeMove); }, 2000, &seen));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(moved_from(w, r0), (Edges{0, 0, from.x + 62 - r0.right, 0}));
  ASSERT_FALSE(sizing_edges.empty());
  EXPECT_TRUE(std::all_of(sizing_edges.begin(), sizing_edges.end(),
                          [](WPARAM e) { return e == WMSZ_RIGHT; }));

  // The next mouse move belongs to nobody's sizing.
  mouse::send(0, {from.x + 100, from.y + 20});
  collect_events();
  EXPECT_EQ(rect_of(w).right, from.x + 62);
}

TEST_F(SizingTest, SizeCommandThenRightRightWidensByTenAndEscapeKeepsIt) {
  HWND w = open_sizable();
  ASSERT_NE(w, nullptr);
  const RECT r0 = rect_of(w);
  const POINT start{r0.left + 60, r0.top + 70};
  place_cursor(start);
  ASSERT_TRUE(start_keyboard_size(w));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZEALL));

  MoveWatch moves;
  EXPECT_TRUE(moves.press_then_await_move(VK_RIGHT, {r0.right - 2, start.y}));
  EXPECT_TRUE(same_rect(rect_of(w), r0)) << "choosing the edge keeps the size";
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZEWE));

  std::vector<WaitedEvent> seen;
  EXPECT_TRUE(moves.press_then_await_move(VK_RIGHT, {r0.right + 8, start.y}, &seen));
  EXPECT_EQ(rect_of(w).right, r0.right + 10);
  EXPECT_FALSE(only(seen, {event_window_sized}).empty());

  gui::press_keys({VK_ESCAPE});
  EXPECT_TRUE(wait_until([&] { return contains(seen, kExitSizeMove); }, 2000, &seen));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(moved_from(w, r0), (Edges{0, 0, 10, 0})) << "Escape keeps the size reached";
}

// Under Wine every SetCursorPos is followed by mouse moves that may carry an earlier cursor
// position, which a live sizing applies like any move, and GetCursorPos may answer with such a
// position for about 100 ms. The arrow-key table is therefore driven here with key messages
// sent straight to the window procedure, each followed by a pause without dispatching, so that
// no mouse move comes between them and the cursor position has settled; the real keys are used
// above and below.
void send_key(HWND w, WPARAM vk) {
  SendMessageA(w, WM_KEYDOWN, vk, 0);
  Sleep(200);
}

TEST_F(SizingTest, UpThenLeftChoosesTheTopLeftCorner) {
  HWND w = open_sizable();
  ASSERT_NE(w, nullptr);
  const RECT r0 = rect_of(w);
  const POINT start{r0.left + 80, r0.top + 90};
  place_cursor(start);
  SendMessageA(w, WM_SYSCOMMAND, SC_SIZE, 0);
  ASSERT_EQ(GetCapture(), w);

  send_key(w, VK_UP);
  EXPECT_EQ(cursor().x, start.x);
  EXPECT_EQ(cursor().y, r0.top);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZENS));
  send_key(w, VK_LEFT);
  EXPECT_EQ(cursor().x, r0.left + 2);
  EXPECT_EQ(cursor().y, r0.top + 2);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZENWSE));
  EXPECT_TRUE(same_rect(rect_of(w), r0));

  // Further arrows step the corner by 10 pixels: the left edge and the top move out.
  send_key(w, VK_LEFT);
  send_key(w, VK_UP);
  send_key(w, VK_RETURN);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(moved_from(w, r0), (Edges{-10, -10, 0, 0}));
}

// The rest of the arrow-key table, from each edge: where the cursor goes, and whether the size
// stays (an edge or corner chosen) or changes by 10 pixels (a step).
TEST_F(SizingTest, TheArrowKeyTableChoosesEdgesAndSteps) {
  HWND w = open_sizable();
  ASSERT_NE(w, nullptr);
  const RECT r0 = rect_of(w);
  const POINT start{r0.left + 100, r0.top + 60};
  auto run = [&](std::initializer_list<WPARAM> keys) {
    SetWindowPos(w, nullptr, r0.left, r0.top, r0.right - r0.left, r0.bottom - r0.top, SWP_NOZORDER);
    place_cursor(start);
    SendMessageA(w, WM_SYSCOMMAND, SC_SIZE, 0);
    for (WPARAM key : keys) send_key(w, key);
    POINT at = cursor();
    send_key(w, VK_ESCAPE);
    return at;
  };
  auto at = [](LONG x, LONG y) { return POINT{x, y}; };
  auto same_point = [](POINT a, POINT b) {
    if (a.x == b.x && a.y == b.y) return true;
    ADD_FAILURE() << "cursor at " << a.x << "," << a.y << ", expected " << b.x << "," << b.y;
    return false;
  };

  EXPECT_TRUE(same_point(run({VK_LEFT}), at(r0.left, start.y)));
  EXPECT_EQ(moved_from(w, r0), (Edges{0, 0, 0, 0}));
  EXPECT_TRUE(same_point(run({VK_DOWN}), at(start.x, r0.bottom - 2)));
  EXPECT_EQ(moved_from(w, r0), (Edges{0, 0, 0, 0}));
  EXPECT_TRUE(same_point(run({VK_UP, VK_RIGHT}), at(r0.right - 2, r0.top)));
  EXPECT_EQ(moved_from(w, r0), (Edges{0, 0, 0, 0}));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZENESW));
  EXPECT_TRUE(same_point(run({VK_DOWN, VK_LEFT}), at(r0.left, r0.bottom - 2)));
  EXPECT_EQ(moved_from(w, r0), (Edges{0, 0, 0, 0}));
  EXPECT_TRUE(same_point(run({VK_RIGHT, VK_DOWN}), at(r0.right - 2, r0.bottom - 2)));
  EXPECT_EQ(moved_from(w, r0), (Edges{0, 0, 0, 0}));
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZENWSE));
  // Steps: along the chosen edge's axis and across it.
  run({VK_LEFT, VK_LEFT, VK_LEFT});
  EXPECT_EQ(moved_from(w, r0), (Edges{-20, 0, 0, 0}));
  run({VK_DOWN, VK_DOWN});
  EXPECT_EQ(moved_from(w, r0), (Edges{0, 0, 0, 10}));
  run({VK_DOWN, VK_UP});  // the bottom edge stepped back up
  EXPECT_EQ(moved_from(w, r0), (Edges{0, 0, 0, -10}));
  run({VK_RIGHT, VK_DOWN, VK_RIGHT, VK_DOWN});  // bottom-right corner, both ways
  EXPECT_EQ(moved_from(w, r0), (Edges{0, 0, 10, 10}));
  run({VK_RIGHT, VK_UP, VK_LEFT});  // top-right corner stepped left: narrower
  EXPECT_EQ(moved_from(w, r0), (Edges{0, 0, -10, 0}));
}

TEST_F(SizingTest, TheMinimumSizeHoldsWithTheOppositeEdgeFixed) {
  HWND w = open_sizable();
  ASSERT_NE(w, nullptr);
  RECT r0 = rect_of(w);
  // The system's minimum tracking width, dragging the right border past the left one.
  drag_border(w, HTRIGHT, {r0.left - 40, (r0.top + r0.bottom) / 2});
  RECT r = rect_of(w);
  EXPECT_EQ(r.left, r0.left);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXMINTRACK));

  // The window's own limits, from WM_GETMINMAXINFO: the top edge dragged below the bottom.
  auto* record = static_cast<WindowObject*>(object_find(windows_table(), 1));
  ASSERT_NE(record, nullptr);
  record->min_width = 260;
  record->min_height = 180;
  record->max_height = 400;
  SetWindowPos(w, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
  collect_events();
  r0 = rect_of(w);
  drag_border(w, HTTOP, {(r0.left + r0.right) / 2, r0.bottom + 60});
  r = rect_of(w);
  EXPECT_EQ(r.bottom, r0.bottom);
  EXPECT_EQ(r.bottom - r.top, 180);
  // The left edge dragged to the right: the width stops at the window's minimum.
  r0 = rect_of(w);
  drag_border(w, HTLEFT, {r0.right - 50, (r0.top + r0.bottom) / 2});
  r = rect_of(w);
  EXPECT_EQ(r.right, r0.right);
  EXPECT_EQ(r.right - r.left, 260);
  // The bottom edge dragged far down: the height stops at the window's maximum.
  r0 = rect_of(w);
  drag_border(w, HTBOTTOM, {(r0.left + r0.right) / 2, r0.top + 600});
  r = rect_of(w);
  EXPECT_EQ(r.top, r0.top);
  EXPECT_EQ(r.bottom - r.top, 400);
}

TEST_F(SizingTest, AKeyboardSizingWithoutMouseMovesPutsTheCursorBack) {
  HWND w = open_sizable();
  ASSERT_NE(w, nullptr);
  const RECT r0 = rect_of(w);
  const POINT start{r0.left + 70, r0.top + 80};
  place_cursor(start);
  // Up places the cursor on the top edge; Escape comes before any mouse move.
  SendMessageA(w, WM_SYSCOMMAND, SC_SIZE, 0);
  send_key(w, VK_UP);
  EXPECT_EQ(cursor().y, r0.top);
  // Wine's own idea of the cursor position can lag behind the display's after the move to the
  // edge; placing the pointer there again brings the two together (no message is dispatched,
  // so the sizing still sees no mouse move).
  mouse::place(cursor());
  send_key(w, VK_ESCAPE);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(cursor().x, start.x);
  EXPECT_EQ(cursor().y, start.y);
  std::vector<WaitedEvent> seen;
  EXPECT_TRUE(wait_until([&] { return contains(seen, kExitSizeMove); }, 2000, &seen));
  EXPECT_TRUE(same_rect(rect_of(w), r0));

  // Once the mouse has moved during the operation, the cursor stays where it is.
  SendMessageA(w, WM_SYSCOMMAND, SC_SIZE, 0);
  POINT client = start;
  ScreenToClient(w, &client);
  SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
  send_key(w, VK_UP);
  send_key(w, VK_ESCAPE);
  EXPECT_EQ(cursor().x, start.x);
  EXPECT_EQ(cursor().y, r0.top);
}

TEST_F(SizingTest, TheArrowKeysReachTheSizedWindowWhenAControlHasTheFocus) {
  HWND w = open_sizable();
  ASSERT_NE(w, nullptr);
  HWND button = CreateWindowExA(0, "BUTTON", "Focus", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 10,
                                80, 25, w, nullptr, nullptr, nullptr);
  ASSERT_NE(button, nullptr);
  SetFocus(button);
  const RECT r0 = rect_of(w);
  place_cursor({r0.left + 60, r0.top + 70});
  ASSERT_TRUE(start_keyboard_size(w));
  MoveWatch moves;
  EXPECT_TRUE(moves.press_then_await_move(VK_DOWN, {r0.left + 60, r0.bottom - 2}));
  EXPECT_TRUE(moves.press_then_await_move(VK_DOWN, {r0.left + 60, r0.bottom + 8}));
  EXPECT_EQ(rect_of(w).bottom, r0.bottom + 10);
  gui::press_keys({VK_RETURN});
  EXPECT_TRUE(wait_until([&] { return GetCapture() == nullptr; }, 2000));
  EXPECT_EQ(GetFocus(), button);
  EXPECT_EQ(rect_of(w).bottom, r0.bottom + 10);
}

// Wine keeps the full-window-drag setting per process, so both states are reachable here; with
// it off, the Size command is left to Windows (whose modal loop is not entered by this test).
TEST_F(SizingTest, WithFullWindowDraggingOffNothingIsTakenOver) {
  HWND w = open_sizable();
  ASSERT_NE(w, nullptr);
  SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
  EXPECT_EQ(live_sizing_step(w, WM_SYSCOMMAND, SC_SIZE | WMSZ_RIGHT, 0), kNotHandled);
  EXPECT_EQ(GetCapture(), nullptr);
  SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
  // Other system commands and idle mouse messages are never taken.
  EXPECT_EQ(live_sizing_step(w, WM_SYSCOMMAND, SC_MOVE, 0), kNotHandled);
  EXPECT_EQ(live_sizing_step(w, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)), kNotHandled);
  EXPECT_EQ(live_sizing_step(w, WM_KEYDOWN, VK_ESCAPE, 0), kNotHandled);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(SizingTest, ClosingTheWindowDuringSizingLeavesTheThreadFreeToSizeAgain) {
  HWND w = open_sizable();
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(start_keyboard_size(w));
  window_close(1);
  collect_events();
  EXPECT_EQ(sizing_window(), nullptr);
  w = open_sizable();
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(start_keyboard_size(w));
  EXPECT_EQ(sizing_window(), w);
  gui::press_keys({VK_ESCAPE});
  EXPECT_TRUE(wait_until([&] { return GetCapture() == nullptr; }, 2000));
  EXPECT_EQ(sizing_window(), nullptr);
}

TEST_F(SizingTest, EachThreadSizesItsOwnWindow) {
  HWND w = open_sizable();
  ASSERT_NE(w, nullptr);
  SendMessageA(w, WM_SYSCOMMAND, SC_SIZE, 0);
  ASSERT_EQ(sizing_window(), w);
  HWND other = nullptr;
  HWND sized_there = nullptr;
  HWND sized_after = reinterpret_cast<HWND>(1);
  {
    gui::AsyncTask task([&] {
      event_wait_timed(0);  // the thread's state exists before its first window
      intptr_t number = window_open(-1, 550, 350, 200, 150, "Thread", kSizable | 0x8);
      other = window_handle(number);
      if (!other) return;
      SendMessageA(other, WM_SYSCOMMAND, SC_SIZE, 0);
      sized_there = sizing_window();
      SendMessageA(other, WM_KEYDOWN, VK_ESCAPE, 0);
      sized_after = sizing_window();
      window_close(number);
    });
  }
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(sized_there, other);
  EXPECT_EQ(sized_after, nullptr);
  EXPECT_EQ(sizing_window(), w) << "the other thread's sizing is its own";
  SendMessageA(w, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(sizing_window(), nullptr);
}

}  // namespace
