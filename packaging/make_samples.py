#!/usr/bin/env python3
"""Writes the sample configuration file and LIESMICH.txt in the form the program and
Windows expect: UTF-8 with byte-order mark and CR LF line ends.
The configuration file follows the program's own layout: an empty first line, then
"[Global]", "; " comments and "key = value" lines."""
import pathlib

here = pathlib.Path(__file__).resolve().parent

CONF = [
    "[Global]",
    "; Debug: 1 schreibt zusätzliche Ablaufzeilen ins Log, jeder andere Wert nicht (Standard 0).",
    "Debug = 0",
    "; WatchDir: Ordner mit den Nachrichten-Dateien, zum Beispiel eine Freigabe. Fehlt der Schlüssel, gilt das Programmverzeichnis; ist er leer, fragt Notiwell beim Start per Dialog nach dem Ordner.",
    "WatchDir = \\\\server\\notiwell\\",
    "; AllowAdhoc: 1 bietet im Menü \"Adhoc Meldung an alle erstellen\" an, wenn der Ordner beschreibbar ist (Standard 0).",
    "AllowAdhoc = 0",
    "; QuitMode: 0 zeigt die beiden Startfehler (zweiter Start, ungültiger Ordner) auch in einem Fenster an, jeder andere Wert nur im Log (Standard 0).",
    "QuitMode = 0",
    "; NotifyActDay: 1 zeigt nur Nachrichten von heute, 0 Nachrichten jedes Datums (Standard 1).",
    "NotifyActDay = 1",
    "; NotifyActTime: bei NotifyActDay 1 zeigt 1 nur Nachrichten der letzten etwa 45 Minuten, 0 alle von heute (Standard 1).",
    "NotifyActTime = 1",
    "; LastMessage: Schlüssel der zuletzt gezeigten Nachricht aus WatchDir; wird vom Programm gepflegt (Standard leer).",
    "LastMessage = ",
    "; WatchSubDir: weitere Unterordner von WatchDir, durch Kommas getrennt, zum Beispiel Vertrieb, Technik (Standard leer).",
    "WatchSubDir = ",
    "; LastSubMessage: Schlüssel der zuletzt gezeigten Nachricht aus den Unterordnern; wird vom Programm gepflegt (Standard leer).",
    "LastSubMessage = ",
    "; Pollintervall: Sekunden zwischen zwei Blicken in die Ordner, nur Ziffern (Standard 1).",
    "Pollintervall = 1",
]

LIESMICH = """Notiwell
========

Notiwell sitzt im Infobereich der Taskleiste (unten rechts neben der Uhr) und zeigt
Ihnen kurze Nachrichten an, zum Beispiel "Die Telefonanlage wird um 12 Uhr neu gestartet".

Wenn eine Nachricht kommt
-------------------------
Es öffnet sich ein kleines Fenster über allen anderen Fenstern. Lesen Sie die Nachricht
und klicken Sie auf "Ok". Jede Nachricht wird nur einmal angezeigt.

Das Menü
--------
Klicken Sie mit der rechten Maustaste auf das Notiwell-Symbol:

  Start    Notiwell sieht wieder nach neuen Nachrichten.
  Stop     Notiwell zeigt keine Nachrichten mehr an, bis Sie "Start" wählen.
           Das Symbol bekommt dann ein rotes Kreuz.
  Adhoc Meldung an alle erstellen
           (nur wenn freigeschaltet) Schreiben Sie eine Nachricht an alle Kollegen,
           die Notiwell nutzen, und klicken Sie auf "Senden".
  Info     Zeigt die Version des Programms.
  Beenden  Beendet Notiwell bis zur nächsten Anmeldung.

Fragen
------
Notiwell startet bei jeder Anmeldung von selbst. Bei Problemen wenden Sie sich bitte
an Ihre IT-Betreuung; sie findet im Ordner %APPDATA%\\Notiwell\\log ein Protokoll.
"""


def write(name: str, lines: list[str]) -> None:
    data = "\ufeff" + "".join(line + "\r\n" for line in lines)
    (here / name).write_bytes(data.encode("utf-8"))


write("notiwell.conf", [""] + CONF)
write("LIESMICH.txt", LIESMICH.splitlines())
