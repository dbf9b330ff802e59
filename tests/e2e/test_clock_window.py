"""The clock's window with no settings file: identity, place, shape, face, and what the
mouse, the keys and the context menu do to it."""

import rig
from rig import Rect

CLASS = "Vantel"
TITLE = "Vantel - Digital clock"
BACKGROUND = rig.ART / "clock_background.bmp"
MAGENTA = (255, 0, 255)  # the default transparent colour

WS_POPUP = 0x80000000
WS_CAPTION = 0x00C00000
WS_THICKFRAME = 0x00040000
WS_EX_TOOLWINDOW = 0x00000080
WS_EX_APPWINDOW = 0x00040000

DEFAULT_RECT = Rect(10, 10, 226, 81)  # 216 x 71 background at the default position

# The default digit slots (hours, minutes, seconds: 25 x 30 cells at these lefts, top 15).
# Digits are drawn over the background there, so the face is compared around them.
DIGIT_SLOTS = [Rect(left, 15, left + 25, 45) for left in (20, 45, 80, 105, 140, 165)]

# The context menu's rows from top to bottom, as rig.menu_rows tells them apart.
MENU_LAYOUT = ["text", "text", "separator", "text", "separator", "text", "text", "separator", "text"]
STOPWATCH_ITEM = 2  # among the text items: Preferences, Events, Stopwatch, Load, Save, Exit
EXIT_ITEM = 5


class ClockWindowTest(rig.TestCase):
    def start_clock(self, folder=None, **probe):
        clock = self.start_program("vantel.exe", folder)
        return clock, rig.wait_window(CLASS, TITLE, **probe)

    def assert_clock_ends(self, clock, window, keys=("Escape",)):
        """The keys end the clock with exit code 0 and its window goes away."""
        rig.key(window, *keys)
        self.assertEqual(clock.wait_exit(), 0)
        self.assertIsNone(rig.find_window(CLASS, TITLE))

    def open_menu_by_click(self, window):
        """Right-clicks the middle of the face; returns the menu window and its rows."""
        x, y = window.rect.centre
        rig.click(x, y, button=3)
        menu = rig.wait_menu()
        return menu, self.menu_rows(menu)

    def menu_rows(self, menu):
        # Keep the pointer off the menu so that no item is highlighted, then wait for the
        # menu to be painted with all its rows.
        rig.move_pointer(menu.rect.right + 200, menu.rect.bottom + 100)
        found = []

        def painted():
            found[:] = rig.menu_rows(rig.capture(menu.rect))
            return [row.kind for row in found] == MENU_LAYOUT

        rig.wait_until(painted, what=lambda: f"the clock's menu rows {MENU_LAYOUT} (last seen {found})")
        return found

    def test_window_identity_style_and_place(self):
        clock, window = self.start_clock()
        self.assertEqual(window.class_name, CLASS)
        self.assertEqual(window.title, TITLE)
        self.assertTrue(window.style & WS_POPUP)
        self.assertFalse(window.style & (WS_CAPTION | WS_THICKFRAME), "the window has no caption or frame")
        self.assertTrue(window.exstyle & WS_EX_TOOLWINDOW)
        self.assertFalse(window.exstyle & WS_EX_APPWINDOW)
        self.assertEqual(window.rect, DEFAULT_RECT)
        self.assertEqual(rig.x_geometry(rig.x_window(window)), DEFAULT_RECT)
        self.assertTrue(clock.running())

    def test_shape_cuts_out_the_magenta_of_the_background(self):
        background = rig.Image.load(BACKGROUND)
        self.assertEqual((background.width, background.height), (216, 71))
        opaque = {(x, y) for y in range(71) for x in range(216) if background.pixel(x, y) != MAGENTA}
        self.assertTrue(0 < len(opaque) < 216 * 71, "the default background has magenta corners")

        corners = [(0, 0), (215, 0), (0, 70), (215, 70)]
        centre = (108, 35)
        clock, window = self.start_clock(rects=True, points=corners + [centre])
        self.assertEqual(window.region_type, "complex")
        self.assertEqual(rig.pixels_of(window.region_rects), opaque)
        self.assertEqual([window.in_region[p] for p in corners], [False] * 4)
        self.assertTrue(window.in_region[centre])

        shape = rig.x_shape(rig.x_window(window))
        self.assertIsNotNone(shape, "the X server has no shape for the clock window")
        self.assertEqual(rig.pixels_of(shape), opaque)

    def test_face_shows_the_default_background_and_the_desktop_in_its_holes(self):
        background = rig.Image.load(BACKGROUND)
        # What the screen should show: the background, and the desktop where it is magenta.
        expected = rig.Image(216, 71, b"".join(
            bytes(rig.DESKTOP_COLOUR if background.pixel(x, y) == MAGENTA else background.pixel(x, y))
            for y in range(71) for x in range(216)))
        in_slot = rig.pixels_of(DIGIT_SLOTS)
        clock, window = self.start_clock()
        found = []

        def shows_face():
            found[:] = rig.differences(rig.capture(window.rect), expected, tolerance=6,
                                       skip=lambda x, y, _: (x, y) in in_slot)
            return not found

        rig.wait_until(shows_face, what=lambda: f"the face on the screen ({len(found)} pixels differ, "
                                                f"first as (x, y, shown, expected): {found[:3]})")

    def test_escape_ends_the_clock(self):
        clock, window = self.start_clock()
        self.assert_clock_ends(clock, window)

    def test_context_menu_greys_the_stopwatch_and_escape_closes_it(self):
        clock, window = self.start_clock()
        x, y = window.rect.centre
        menu, rows = self.open_menu_by_click(window)
        self.assertEqual((menu.rect.left, menu.rect.top), (x, y), "the menu opens at the pointer")

        items = [row for row in rows if row.kind == "text"]
        stopwatch = items[STOPWATCH_ITEM]
        enabled = [row for i, row in enumerate(items) if i != STOPWATCH_ITEM]
        darkest_enabled = max(row.darkest for row in enabled)
        self.assertGreater(stopwatch.darkest, darkest_enabled + 40,
                           f"the Stopwatch item is drawn greyed, the others not: {items}")

        rig.key(window, "Escape")
        rig.wait_until(lambda: not rig.list_windows(rig.POPUP_MENU_CLASS), what="the menu to close")
        self.assertTrue(clock.running(), "Escape in the menu closes only the menu")
        self.assert_clock_ends(clock, window)

    def test_exit_item_ends_the_clock(self):
        clock, window = self.start_clock()
        menu, rows = self.open_menu_by_click(window)
        exit_row = [row for row in rows if row.kind == "text"][EXIT_ITEM]
        rig.click(menu.rect.left + menu.rect.width // 2, menu.rect.top + (exit_row.top + exit_row.bottom) // 2)
        self.assertEqual(clock.wait_exit(), 0)

    def test_menu_keys_open_the_menu_at_the_window_corner(self):
        clock, window = self.start_clock()
        for keys in ("Menu", "shift+F10"):
            rig.key(window, keys)
            menu = rig.wait_menu()
            self.assertEqual((menu.rect.left, menu.rect.top), (window.rect.left, window.rect.top),
                             f"where {keys} opens the menu")
            self.menu_rows(menu)
            rig.key(window, "Escape")
            rig.wait_until(lambda: not rig.list_windows(rig.POPUP_MENU_CLASS), what="the menu to close")
        # The Exit item's mnemonic chooses it from the keyboard.
        rig.key(window, "Menu")
        self.menu_rows(rig.wait_menu())
        rig.key(window, "x")
        self.assertEqual(clock.wait_exit(), 0)

    def test_drag_moves_the_window_by_the_drag_distance(self):
        clock, window = self.start_clock()
        start = window.rect.centre
        dx, dy = 170, 95
        rig.drag(start, (start[0] + dx, start[1] + dy))
        moved = rig.wait_window_moved(window, window.rect.moved(dx, dy))
        self.assertEqual(rig.x_geometry(rig.x_window(moved)), window.rect.moved(dx, dy))
        # A second drag, back and to the left beyond the start: no snapping, no limits.
        start = moved.rect.centre
        rig.drag(start, (start[0] - dx - 30, start[1] - dy - 5))
        rig.wait_window_moved(window, window.rect.moved(-30, -5))

    def test_clock_saved_off_the_screen_opens_on_it(self):
        # A monitor removed, or a resolution lowered, since the clock was last closed.
        from test_clock_bitmaps import settings
        folder = self.make_folder(files={"vantel.ini": settings().replace("WindowPos=40,30", "WindowPos=-3000,-3000")})
        clock, window = self.start_clock(folder)
        self.assertEqual(window.rect, Rect(0, 0, 216, 71))  # the least move into the work area
        self.assert_clock_ends(clock, window)
        self.assertEqual(folder.read_ini("vantel.ini").get("Appearance", "WindowPos"), "0,0")

    def test_stopwatch_and_frame_rate_keys_leave_the_clock_running(self):
        clock, window = self.start_clock()
        rig.key(window, "F5", "F6", "F7", "F8", "F11", "F12")
        self.assert_unchanged_and_responsive(clock, window)

    def assert_unchanged_and_responsive(self, clock, window):
        now = rig.find_window(CLASS, TITLE)
        self.assertIsNotNone(now, "the clock window is gone")
        self.assertEqual((now.rect, now.visible), (window.rect, True))
        self.assertTrue(clock.running())
        # Esc is handled after everything sent before it: the clock took all that and still works.
        self.assert_clock_ends(clock, now)
