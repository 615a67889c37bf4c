# The tray icon's popup menu, opened by a real right click and read from the screen: its
# items and separators in order, with and without the ad hoc item, each item identified by
# what a click on it does.
import unittest

import harness as h
import tray


class TrayMenuTest(unittest.TestCase):
    def setUp(self):
        h.require_session()
        tray.sweep_tray()

    def ok_box(self, program, text):
        box = tray.window(program.title, wait=10)
        self.assertIsNotNone(box, "no box captioned %s" % program.title)
        self.assertIn(text, h.window_texts(box))
        tray.click_child(program.title, "OK")
        tray.wait_window_gone(program.title)

    def test_items_in_order_with_the_adhoc_item_each_doing_its_part(self):
        with tray.TrayProgram(allow_adhoc="1") as p:
            p.start()
            h.screenshot(tray.artefact("tray.png"))
            tray.open_menu()
            rows = tray.menu_rows(tray.artefact("menu.png"))
            self.assertEqual(tray.menu_pattern(rows), ["item", "item", "-", "item", "-", "item", "-", "item"])

            tray.click_menu_item(rows, 0)
            self.ok_box(p, p.title + " wird gestartet...")
            tray.open_menu()
            tray.click_menu_item(rows, 1)
            self.ok_box(p, p.title + " wird gestoppt.")
            tray.open_menu()
            tray.click_menu_item(rows, 2)
            self.assertIsNotNone(tray.window(tray.COMPOSER_TITLE), "the third item opens the composer")
            tray.click_child(tray.COMPOSER_TITLE, "Abbruch")
            tray.wait_window_gone(tray.COMPOSER_TITLE)
            tray.open_menu()
            tray.click_menu_item(rows, 3)
            self.assertIsNotNone(tray.window(tray.INFO_TITLE), "the fourth item opens the info window")
            tray.click_child(tray.INFO_TITLE, "Ok")
            tray.wait_window_gone(tray.INFO_TITLE)
            tray.open_menu()
            tray.click_menu_item(rows, 4)
            self.assertEqual(p.wait_exit(30), 0)
            h.assert_in_order(self, p.texts(), ["Start per SysTray", "Stop per SysTray",
                                                "Adhoc Nachricht soll erstellt werden",
                                                "Manuelle Infoabfrage per SysTray", " Programm wird beendet <<<<<<<"])

    def test_no_adhoc_item_unless_allowed_and_the_folder_proved_writable(self):
        cases = [("AllowAdhoc 0", "0", False), ("write test failed", "1", True)]
        for name, allow, unwritable in cases:
            with self.subTest(name), tray.TrayProgram(allow_adhoc=allow) as p:
                if unwritable:
                    h.make_unwritable(p.watch_linux)
                p.start()
                tray.open_menu()
                rows = tray.menu_rows(tray.artefact("menu-no-adhoc.png"))
                self.assertEqual(tray.menu_pattern(rows), ["item", "item", "-", "item", "-", "item"])
                # The item after the first separator is "Info".
                tray.click_menu_item(rows, 2)
                self.assertIsNotNone(tray.window(tray.INFO_TITLE))
                self.assertNotIn("Adhoc Nachricht soll erstellt werden", p.texts())
                tray.click_child(tray.INFO_TITLE, "Ok")
                tray.wait_window_gone(tray.INFO_TITLE)


if __name__ == "__main__":
    h.main()
