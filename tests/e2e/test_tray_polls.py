# The main loop seen from outside: a dropped message shown at the next poll, tray clicks that
# a shown message swallows, "Stop" and "Start" with their icon, box, tooltip and polls, and
# the info window that holds the polls while it is open.
import time
import unittest

import harness as h
import tray

POLL_LINE = "Suche nach MSG Datei"
TICK_LINE = "Main>Event_Timer"


class TrayPollTest(unittest.TestCase):
    def setUp(self):
        h.require_session()
        tray.sweep_tray()

    def test_message_shown_within_a_poll_and_clicks_meanwhile_open_no_menu(self):
        with tray.TrayProgram(poll="2") as p:
            p.start()
            dropped = time.monotonic()
            name = p.drop_message(b"Hallo aus der Datei\r\nzweite Zeile\r\n")
            title = p.message_title(name)
            win = tray.window(title, wait=10)
            self.assertIsNotNone(win, "the message was not shown")
            # One poll interval of 2 s, plus what Wine needs to map the window.
            self.assertLess(time.monotonic() - dropped, 2 + 3)
            h.screenshot(tray.artefact("message.png"))

            tray.right_click_icon()
            time.sleep(1.5)
            self.assertEqual(tray.menu_rects(), [], "a right click during a message opened the menu")
            tray.click_child(title, "Ok")
            tray.wait_window_gone(title)
            time.sleep(2)
            self.assertEqual(tray.menu_rects(), [], "the swallowed right click opened the menu afterwards")
            # The icon still answers once the message is gone.
            tray.open_menu()
            tray.close_menu()

    def test_stop_changes_the_icon_at_once_and_the_tooltip_and_polls_at_the_next_tick(self):
        with tray.TrayProgram(poll="1") as p:
            p.start()
            p.wait_count(POLL_LINE, 1)
            active = tray.icon_pixels(tray.artefact("icon-active.png"))
            self.assertEqual(tray.icon_tooltip(), p.title + " - aktiv")

            tray.open_menu()
            rows = tray.menu_rows(tray.artefact("menu-stop.png"))
            tray.click_menu_item(rows, 1)
            box = tray.window(p.title, wait=10)
            self.assertIsNotNone(box)
            self.assertIn(p.title + " wird gestoppt.", h.window_texts(box))
            stopped = tray.icon_pixels(tray.artefact("icon-stopped.png"))
            self.assertGreater(tray.pixel_distance(stopped, active), 8, "the icon did not change while the Stop box is open")
            # No tick is handled while the box is open, so the tooltip still says "aktiv".
            self.assertEqual(tray.icon_tooltip(), p.title + " - aktiv")
            tray.click_child(p.title, "OK")
            tray.wait_window_gone(p.title)

            polls = p.count(POLL_LINE)
            ticks = p.count(TICK_LINE)
            p.wait_count(TICK_LINE, ticks + 3)
            self.assertEqual(tray.icon_tooltip(), p.title + " - gestoppt")
            name = p.drop_message(b"erst nach Start\r\n")
            p.wait_count(TICK_LINE, p.count(TICK_LINE) + 3)
            self.assertEqual(p.count(POLL_LINE), polls, "a poll ran while monitoring is stopped")
            self.assertEqual(h.find_windows(p.message_title(name)), [])

            # "Start": one tick held back by its box gives one poll right after the box closes.
            tray.open_menu()
            tray.click_menu_item(rows, 0)
            box = tray.window(p.title, wait=10)
            self.assertIn(p.title + " wird gestartet...", h.window_texts(box))
            self.assertLess(tray.pixel_distance(tray.icon_pixels(tray.artefact("icon-restarted.png")), active), 4)
            time.sleep(3)  # several ticks fall due meanwhile
            self.assertEqual(p.count(POLL_LINE), polls)
            closed = time.monotonic()
            tray.click_child(p.title, "OK")
            self.assertIsNotNone(tray.window(p.message_title(name), wait=10), "no poll after Start")
            self.assertLess(time.monotonic() - closed, 5)
            self.assertEqual(p.count(POLL_LINE), polls + 1, "the ticks held back by the box gave more than one poll")
            tray.click_child(p.message_title(name), "Ok")
            tray.wait_window_gone(p.message_title(name))
            self.assertEqual(tray.icon_tooltip(), p.title + " - aktiv")

    def test_info_window_opens_from_the_menu_and_polls_resume_after_ok(self):
        with tray.TrayProgram(poll="1") as p:
            p.start()
            tray.open_menu()
            rows = tray.menu_rows(tray.artefact("menu-info.png"))
            tray.click_menu_item(rows, 3)
            self.assertIsNotNone(tray.window(tray.INFO_TITLE, wait=10))
            h.screenshot(tray.artefact("info.png"))
            self.assertIn("Manuelle Infoabfrage per SysTray", p.texts())
            polls = p.count(POLL_LINE)
            time.sleep(3)
            self.assertEqual(p.count(POLL_LINE), polls, "a poll ran while the info window is open")
            tray.click_child(tray.INFO_TITLE, "Ok")
            tray.wait_window_gone(tray.INFO_TITLE)
            p.wait_count(POLL_LINE, polls + 1, timeout=10)


if __name__ == "__main__":
    h.main()
