// The names of the window properties the toolkit keeps on native windows. Each name is defined
// here once; the window and gadget libraries and their tests use these constants. The properties
// die with their window.
#pragma once

// On every toolkit window: its window number + 1 (so that window 0 is non-zero).
constexpr char kPropWindowId[] = "GX_WindowID";
// On every gadget's control: its gadget number, equal to the control identifier, so that only a
// live gadget matches.
constexpr char kPropGadgetId[] = "GX_ID";
// On a toolkit window: the control to give the focus back to when the window is activated.
constexpr char kPropFocus[] = "GX_Focus";
// On a window or control registered as a drop target: to be revoked when it is destroyed.
constexpr char kPropDropAccept[] = "GX_DropAccept";
// On a toolkit window that is an MDI frame: its MDI client control; what the window does not
// handle goes to the frame's default procedure.
constexpr char kPropMdiGadget[] = "GX_MDI_Gadget";
// On a control that takes every key itself: no dialog navigation while it has the focus.
constexpr char kPropHotkey[] = "GX_Hotkey";
// On a list box: the point of a press on an item, until the release or a drag start.
constexpr char kPropMouseDown[] = "GX_MouseDown";
// On a window whose gadget list was current when another window became current: the parked list
// state. The name is this prefix followed by the module instance as a signed decimal ("%i").
constexpr char kPropGadgetStackPrefix[] = "GX_GadgetStack_";
