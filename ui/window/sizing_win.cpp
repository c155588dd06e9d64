// Live window sizing. While Windows is set to show window contents during dragging, the toolkit
// answers the Size command itself, so that the modal sizing loop of DefWindowProcA never starts:
// it captures the mouse and resizes the window from the ordinary mouse and key messages, which
// arrive through event_wait like any others. Size events therefore reach the event loop while
// the user drags. Moving a window is left to Windows.
#include "runtime/registry.h"
#include "ui/window/window.h"
#include "ui/window/window_internal.h"

namespace {

// Per-thread sizing state; a thread sizes at most one window at a time (the one holding its
// mouse capture).
struct SizingState {
  int32_t active;
  int32_t restore_cursor;  // started from the keyboard and the mouse has not moved since
  POINT cursor_start;
  // The cursor as the sizing knows it: where it put the cursor last or the last mouse move.
  // Arrow steps start from here, not from GetCursorPos, which under Wine can still answer an
  // earlier position for a while after a placement.
  POINT at;
  RECT rect;     // outer rectangle in screen coordinates, as sized so far
  int32_t edge;  // WMSZ_* code, 0 = none chosen yet
  MINMAXINFO limits;
  HWND window;  // the window being sized
};

bool g_registered = false;
size_t g_offset = 0;

constexpr int kArrowStep = 10;
// The cursor sits this far inside the right and bottom edges (and the top-left corner) when an
// arrow key chooses them; applying a point adds it back, so choosing an edge keeps the size.
constexpr int kEdgeInset = 2;

SizingState* sizing_state() {
  if (!g_registered) return nullptr;
  return static_cast<SizingState*>(thread_state_get(g_offset));
}

bool has_left(int32_t edge) {
  return edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
}
bool has_right(int32_t edge) {
  return edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
}
bool has_top(int32_t edge) {
  return edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
}
bool has_bottom(int32_t edge) {
  return edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
}

// The length between the fixed edge and the moved one, kept within [minimum, maximum]; returns
// the moved edge's coordinate.
LONG clamp_moved_edge(LONG fixed, LONG moved, LONG minimum, LONG maximum, bool moved_is_low) {
  LONG length = moved_is_low ? fixed - moved : moved - fixed;
  LONG limited = length;
  if (length < minimum) {
    limited = minimum;
  } else if (length > maximum) {
    limited = maximum;
  }
  if (limited == length) return moved;
  return moved_is_low ? fixed - limited : fixed + limited;
}

void sizing_apply_point(SizingState* s, int x, int y) {
  RECT& r = s->rect;
  const POINT& min = s->limits.ptMinTrackSize;
  const POINT& max = s->limits.ptMaxTrackSize;
  if (has_left(s->edge)) {
    LONG left = s->edge == WMSZ_TOPLEFT ? x - kEdgeInset : x;
    r.left = clamp_moved_edge(r.right, left, min.x, max.x, true);
  }
  if (has_right(s->edge)) r.right = clamp_moved_edge(r.left, x + kEdgeInset, min.x, max.x, false);
  if (has_top(s->edge)) {
    LONG top = s->edge == WMSZ_TOPLEFT ? y - kEdgeInset : y;
    r.top = clamp_moved_edge(r.bottom, top, min.y, max.y, true);
  }
  if (has_bottom(s->edge)) r.bottom = clamp_moved_edge(r.top, y + kEdgeInset, min.y, max.y, false);

  HWND hwnd = s->window;
  SendMessageA(hwnd, WM_SIZING, static_cast<WPARAM>(s->edge), reinterpret_cast<LPARAM>(&r));
  RECT place = r;
  if (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) {
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&place), 2);
  }
  MoveWindow(hwnd, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

void set_cursor_shape(LPCSTR cursor) {
  auto shape = static_cast<HCURSOR>(
      LoadImageA(nullptr, cursor, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
  SetCursor(shape);
}

void sizing_set_cursor(SizingState* s, LPCSTR cursor, POINT p) {
  s->at = p;
  SetCursorPos(p.x, p.y);
  if (cursor) set_cursor_shape(cursor);
}

bool full_window_dragging() {
  BOOL on = FALSE;
  return SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &on, 0) && on;
}

// The window's tracking limits: the system's, then the window's own through WM_GETMINMAXINFO.
void read_limits(HWND hwnd, MINMAXINFO* limits) {
  *limits = MINMAXINFO{};
  limits->ptMaxSize = {GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
  if (GetWindowLongA(hwnd, GWL_STYLE) & WS_BORDER) {
    limits->ptMaxPosition = {GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)};
  } else if (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_WINDOWEDGE) {
    limits->ptMaxPosition = {GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE)};
  }
  limits->ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  limits->ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(limits));
}

LRESULT begin_sizing(SizingState* s, HWND hwnd, WPARAM wparam) {
  if ((wparam & 0xFFF0) != SC_SIZE || !full_window_dragging()) return kNotHandled;
  s->edge = static_cast<int32_t>(wparam & 0xF);
  s->active = 1;
  s->window = hwnd;
  GetWindowRect(hwnd, &s->rect);
  read_limits(hwnd, &s->limits);
  GetCursorPos(&s->at);
  if (GetKeyState(VK_LBUTTON) == 0) SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SetCapture(hwnd);
  PostMessageA(hwnd, WM_ENTERSIZEMOVE, 0, 0);
  if (s->edge == 0) {
    // From the system menu: the arrow keys choose the edge; the cursor goes back if the mouse
    // never moves.
    s->restore_cursor = 1;
    s->cursor_start = s->at;
    set_cursor_shape(IDC_SIZEALL);
  } else {
    s->restore_cursor = 0;
  }
  return 0;
}

// One cell of the arrow-key table: the edge an arrow chooses from the current edge, where the
// cursor goes, and its shape; edge 0 means the arrow steps the cursor instead.
struct EdgeChoice {
  int32_t edge;
  POINT cursor;
  LPCSTR shape;
};

EdgeChoice choose_edge(UINT key, int32_t edge, const RECT& r, POINT c) {
  const LONG right = r.right - kEdgeInset;
  const LONG bottom = r.bottom - kEdgeInset;
  const EdgeChoice top_left{WMSZ_TOPLEFT, {r.left + kEdgeInset, r.top + kEdgeInset}, IDC_SIZENWSE};
  const EdgeChoice top_right{WMSZ_TOPRIGHT, {right, r.top}, IDC_SIZENESW};
  const EdgeChoice bottom_left{WMSZ_BOTTOMLEFT, {r.left, bottom}, IDC_SIZENESW};
  const EdgeChoice bottom_right{WMSZ_BOTTOMRIGHT, {right, bottom}, IDC_SIZENWSE};
  const EdgeChoice step{0, c, nullptr};
  switch (key) {
    case VK_LEFT:
      if (edge == 0) return {WMSZ_LEFT, {r.left, c.y}, IDC_SIZEWE};
      if (edge == WMSZ_TOP) return top_left;
      if (edge == WMSZ_BOTTOM) return bottom_left;
      return step;
    case VK_RIGHT:
      if (edge == 0) return {WMSZ_RIGHT, {right, c.y}, IDC_SIZEWE};
      if (edge == WMSZ_TOP) return top_right;
      if (edge == WMSZ_BOTTOM) return bottom_right;
      return step;
    case VK_UP:
      if (edge == 0) return {WMSZ_TOP, {c.x, r.top}, IDC_SIZENS};
      if (edge == WMSZ_LEFT) return top_left;
      if (edge == WMSZ_RIGHT) return top_right;
      return step;
    default:  // VK_DOWN
      if (edge == 0) return {WMSZ_BOTTOM, {c.x, bottom}, IDC_SIZENS};
      if (edge == WMSZ_LEFT) return bottom_left;
      if (edge == WMSZ_RIGHT) return bottom_right;
      return step;
  }
}

void on_arrow(SizingState* s, UINT key) {
  POINT c = s->at;
  EdgeChoice choice = choose_edge(key, s->edge, s->rect, c);
  if (choice.edge != 0) {
    s->edge = choice.edge;
    sizing_set_cursor(s, choice.shape, choice.cursor);
    return;
  }
  switch (key) {
    case VK_LEFT:
      c.x -= kArrowStep;
      break;
    case VK_RIGHT:
      c.x += kArrowStep;
      break;
    case VK_UP:
      c.y -= kArrowStep;
      break;
    default:
      c.y += kArrowStep;
      break;
  }
  sizing_set_cursor(s, nullptr, c);
  sizing_apply_point(s, c.x, c.y);
}

LRESULT continue_sizing(SizingState* s, HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // Messages of other windows of the thread are theirs.
  if (hwnd != s->window) return kNotHandled;
  switch (message) {
    case WM_MOUSEMOVE: {
      s->restore_cursor = 0;
      POINT p{static_cast<SHORT>(LOWORD(lparam)), static_cast<SHORT>(HIWORD(lparam))};
      MapWindowPoints(hwnd, nullptr, &p, 1);
      s->at = p;
      sizing_apply_point(s, p.x, p.y);
      return 0;
    }
    case WM_KEYDOWN:
      switch (wparam) {
        case VK_RETURN:
        case VK_ESCAPE:
          ReleaseCapture();  // the size reached so far stays
          return 0;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
          on_arrow(s, static_cast<UINT>(wparam));
          return kNotHandled;
        default:
          return kNotHandled;
      }
    case WM_LBUTTONUP:
      ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      // Our own SetCapture at the start does not end the operation.
      if (reinterpret_cast<HWND>(lparam) == hwnd) return kNotHandled;
      PostMessageA(hwnd, WM_EXITSIZEMOVE, 0, 0);
      s->active = 0;
      s->window = nullptr;
      if (s->restore_cursor) SetCursorPos(s->cursor_start.x, s->cursor_start.y);
      return 0;
    default:
      return kNotHandled;
  }
}

}  // namespace

void sizing_register_slice() {
  if (g_registered) return;
  g_offset = thread_state_register(sizeof(SizingState), nullptr, nullptr);
  g_registered = true;
}

LRESULT live_sizing_step(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_SYSCOMMAND && message != WM_MOUSEMOVE && message != WM_KEYDOWN &&
      message != WM_LBUTTONUP && message != WM_CAPTURECHANGED && message != WM_NCDESTROY) {
    return kNotHandled;
  }
  SizingState* s = sizing_state();
  if (!s) return kNotHandled;
  if (message == WM_NCDESTROY) {
    // A window destroyed while it is being sized leaves the thread free to size another.
    if (s->active && hwnd == s->window) *s = SizingState{};
    return kNotHandled;
  }
  if (!s->active) return message == WM_SYSCOMMAND ? begin_sizing(s, hwnd, wparam) : kNotHandled;
  return continue_sizing(s, hwnd, message, wparam, lparam);
}

HWND sizing_window() {
  SizingState* s = sizing_state();
  return s && s->active ? s->window : nullptr;
}
