"""The message program's Appearance dialog, driven with real keys, over settings at their
edges: a text area that holds no pixel once it is limited to the window (the text is then
drawn in the whole window, and the limited values are kept), an edge at 0 that survives the
dialog's OK, a message longer than a message holds with markers at both ends and a date
line too long for its field, and a picture typed into the dialog that cannot be loaded."""

import rig
from rig import Rect
from test_message_window import CLASS, SIZE, TITLE, MessageTestCase, ink, message_ini, typed_text

DIALOG_CLASS = "#32770"
DIALOG_TITLE = "Vantel Message - Appearance"
WHOLE_WINDOW = Rect(0, 0, *SIZE)

# The dialog's controls in their order: control id, class, text (the edits as opened with
# the settings below).
CONTROLS = [(65535, "Static", "&Background bitmap:"), (1016, "Edit", ""), (1017, "Button", "..."),
            (1000, "Button", "Use &Transparency"), (1027, "Button", "Choose &Color"),
            (65535, "Button", "Text Area"), (65535, "Static", "&Left:"), (1020, "Edit", "0"),
            (1021, "msctls_updown32", ""), (65535, "Static", "T&op:"), (1022, "Edit", "500"),
            (1023, "msctls_updown32", ""), (65535, "Static", "&Right:"), (1024, "Edit", "440"),
            (1025, "msctls_updown32", ""), (65535, "Static", "Botto&m:"), (1028, "Edit", "160"),
            (1029, "msctls_updown32", ""), (1, "Button", "OK"), (2, "Button", "Cancel")]

KEY_NAMES = {"\\": "backslash", ":": "colon", ".": "period", "_": "underscore"}


def keys_for(text):
    """xdotool key names that type the text (lower-case letters, digits, a few signs)."""
    return [KEY_NAMES.get(character, character) for character in text]


class MessageAppearanceDialogTest(MessageTestCase):
    def test_ok_keeps_an_edge_at_zero_and_a_picture_that_cannot_be_loaded_is_forgotten(self):
        folder = self.make_folder(programs=("vantelmsg.exe",))
        # 600 characters with markers at both ends (a message holds 511), a date line of 40
        # (it holds 31).
        text = "<br>" + ("The longest message there is. " * 20)[:592] + "<br>"
        date = "07.12.2026 21:00:00 and far too much more"
        folder.write("vantelmsg.ini", message_ini(text, date, settings={"CharactersPerSecond": "512",
                                                                        "PlaySound": "0"},
                                                  appearance={"TextArea": "0,500,600,600"}))
        program, window = self.start_message(folder)
        # Limited to the window the area is 0,500,440,160: no pixel. The text shows all the same.
        self.assertGreater(ink(typed_text(window, area=WHOLE_WINDOW)), 0, "the text is drawn in the window")

        rig.key(window, "Menu")
        self.menu_rows(rig.wait_menu())
        rig.key(window, "a")
        dialog = rig.find_window(DIALOG_CLASS, DIALOG_TITLE, wait=rig.ACTION_TIMEOUT)
        self.assertIsNotNone(dialog, "the Appearance dialog opened")
        owner, children = rig.window_children(dialog)
        self.assertEqual(owner, window.handle)
        self.assertEqual([(child.control_id, child.class_name, child.text) for child in children], CONTROLS)

        # A picture that is not there, typed into the path, and Return for OK.
        picture = "z:\\nowhere\\no_such.bmp"
        rig.key_inside(dialog, "alt+b", *keys_for(picture))
        rig.wait_until(lambda: [child.text for child in rig.window_children(dialog)[1]
                                if child.control_id == 1016] == [picture], what="the typed path")
        rig.key_inside(dialog, "Return")
        owner = self.answer_box(f'Cannot load bitmap "{picture}".\nTrying to load default background bitmap.')
        self.assertEqual(owner, window.handle)

        # The set-up after OK: the built-in picture, the text typed again. The set-up goes on
        # once the box is answered and places the window by a new shift before it types: the
        # place to compare with the saved one is read once the text is complete.
        self.assertGreater(ink(typed_text(rig.wait_window(CLASS, TITLE), area=WHOLE_WINDOW)), 0)
        moved = rig.find_window(CLASS, TITLE)
        self.assertEqual((moved.rect.width, moved.rect.height), SIZE)
        rig.key(moved, "Escape")
        self.assert_closes(program, moved)
        self.assert_saved(folder, moved, settings={"CharactersPerSecond": "512", "PlaySound": "0"},
                          appearance={"TextArea": "0,500,440,160"}, message={"Date": date, "Text": text})
