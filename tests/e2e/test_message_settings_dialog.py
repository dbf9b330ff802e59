"""The message program's Settings dialog, driven with real keys: its controls, the speed
label following the trackbar at once, Cancel ("Abbrechen") changing nothing, OK typing the
text again at the new speed, with the sound again and the line breaks of the message kept,
and the new speed saved at exit."""

import time

import rig
from test_message_sound import PlayedOutput, sounding
from test_message_window import CLASS, TITLE, SHIFT_LIMIT, MessageTestCase, ink, message_ini, text_area, \
    key_to, text_lines, watch_typing

DIALOG_CLASS = "#32770"
DIALOG_TITLE = "Vantel Message - Settings"
SPEED_LABEL = 1003

# The dialog's controls in their order: control id, class, text.
CONTROLS = [(1001, "Button", "Display &Date"), (1004, "Button", "&Play Sound"),
            (1030, "Button", "&Window always on top"), (65535, "Button", "Animation &Speed"),
            (1002, "msctls_trackbar32", ""), (SPEED_LABEL, "Static", "512 Characters per Second"),
            (1, "Button", "OK"), (2, "Button", "Abbrechen")]


def speed_label(dialog):
    _, children = rig.window_children(dialog)
    return next((child.text for child in children if child.control_id == SPEED_LABEL), None)


class MessageSettingsDialogTest(MessageTestCase):
    def open_dialog(self, window):
        """Opens the Settings dialog with the Menu key and the item's mnemonic. After a dialog
        the window may not be the foreground window yet: key_to clicks it first then."""
        key_to(window, "Menu")
        menu = rig.wait_menu()
        self.assertEqual((menu.rect.left, menu.rect.top), (window.rect.left, window.rect.top),
                         "the Menu key opens the menu at the window's corner")
        self.menu_rows(menu)
        rig.key(window, "s")
        dialog = rig.find_window(DIALOG_CLASS, DIALOG_TITLE, wait=rig.ACTION_TIMEOUT)
        self.assertIsNotNone(dialog, "the Settings dialog opened")
        return dialog

    def press(self, dialog, keys, label):
        """Types the keys into the dialog; the speed label shows label right after."""
        rig.key_inside(dialog, *keys)
        seen = []
        rig.wait_until(lambda: seen.append(speed_label(dialog)) or seen[-1] == label,
                       what=lambda: f"the label {label!r} after {keys} (shows {seen[-1:]})")

    def close_dialog(self, dialog, keys):
        rig.key_inside(dialog, *keys)
        rig.wait_until(lambda: rig.find_window(DIALOG_CLASS, DIALOG_TITLE) is None, what="the dialog to close")

    def test_speed_follows_the_trackbar_cancel_changes_nothing_ok_types_again(self):
        folder = self.make_folder(programs=("vantelmsg.exe",))
        # Two lines by a marker: without it the message fits one line.
        text = "The first line<br>and the second one"
        date = "07.12.2026 21:00:00"
        folder.write("vantelmsg.ini", message_ini(text, date, settings={"CharactersPerSecond": "512"}))
        output = PlayedOutput(folder)
        self.addCleanup(output.stop)
        program, window = self.start_message(folder)
        typed = watch_typing(window)[1]
        self.assertEqual(len(text_lines(typed)), 3, "the date line and the two lines of the message")

        dialog = self.open_dialog(window)
        owner, children = rig.window_children(dialog)
        self.assertEqual(owner, window.handle, "the dialog belongs to the message window")
        self.assertEqual([(child.control_id, child.class_name, child.text) for child in children], CONTROLS)

        # Alt+S: the group's mnemonic reaches the trackbar; the label follows every key.
        self.press(dialog, ["alt+s", "Home"], "1 Characters per Second")
        self.press(dialog, ["Right"], "2 Characters per Second")
        rig.key_inside(dialog, "Next")
        paged = rig.wait_until(lambda: (shown := speed_label(dialog)) != "2 Characters per Second" and shown,
                               what="the label after Page Down")
        self.assertGreater(int(paged.split()[0]), 3, f"Page Down moves by a page: {paged}")
        self.press(dialog, ["Prior"], "2 Characters per Second")
        self.press(dialog, ["End"], "512 Characters per Second")
        self.press(dialog, ["Left"], "511 Characters per Second")
        self.press(dialog, ["Home"], "1 Characters per Second")

        # Abbrechen, with the speed and the check boxes changed: nothing happens.
        silent_from = output.size()
        rig.key_inside(dialog, "alt+d", "alt+p")
        self.close_dialog(dialog, ["alt+s", "Tab", "Tab", "space"])
        self.assertEqual(rig.find_window(CLASS, TITLE).rect, window.rect, "Cancel does not move the window")
        area = text_area(window)
        rig.wait_until(lambda: rig.capture(area).data == typed.data, what="the whole text, as before")

        dialog = self.open_dialog(window)
        self.assertEqual(speed_label(dialog), "512 Characters per Second", "the speed as it was")
        self.press(dialog, ["alt+s", "Home"] + ["Right"] * 19, "20 Characters per Second")
        self.assertIsNone(sounding(output.data()[silent_from:]), "Cancel did not start the sound again")

        # OK: the window moves by a new shift and types the text again, at 20 characters a
        # second: its 53 characters take 53 ticks of 50 ms at least.
        confirmed = time.monotonic()
        played_before = output.size()
        self.close_dialog(dialog, ["Tab", "space"])
        # The sound starts with the first tick of the new set-up, which has moved the window.
        rig.wait_until(lambda: sounding(output.data()[played_before:]), what="the sound to play again")
        moved = rig.find_window(CLASS, TITLE)
        self.assertLess(ink(rig.capture(text_area(moved))), ink(typed), "the text is being typed again")
        self.assertTrue(0 <= moved.rect.left - window.rect.left <= SHIFT_LIMIT
                        and 0 <= moved.rect.top - window.rect.top <= SHIFT_LIMIT,
                        f"shifted right and down by at most {SHIFT_LIMIT} px: {window.rect} -> {moved.rect}")
        samples, retyped = watch_typing(moved, timeout=rig.ACTION_TIMEOUT + 10)
        completed = next(when for i, (when, shown) in enumerate(samples)
                         if all(later == samples[-1][1] for _, later in samples[i:]))
        length = len(date) + 1 + len(text.replace("<br>", "\n"))
        self.assertGreaterEqual(completed - confirmed, length * 0.05, "typed at 20 characters a second")
        self.assertEqual(retyped.data, typed.data, "the same text with the same line breaks")

        rig.key(moved, "Escape")
        self.assert_closes(program, moved)
        self.assert_saved(folder, moved, settings={"CharactersPerSecond": "20"},
                          message={"Date": date, "Text": text})
