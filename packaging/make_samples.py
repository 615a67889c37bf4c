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
    "; WatchDir: Ordner mit den Nachrichten-Dateien, meist eine Freigabe; ist er beim Start nicht lesbar, beendet sich Notiwell. Fehlt der Schlüssel, gilt das Programmverzeichnis; ist er leer, fragt Notiwell per Dialog nach dem Ordner und speichert ihn (Abbruch: C:\\). (Beispiel, bitte anpassen)",
    "WatchDir = \\\\server\\notiwell\\",
    "; AllowAdhoc: 1 bietet im Menü \"Adhoc Meldung an alle erstellen\" an, wenn Notiwell beim Start in WatchDir schreiben kann; jeder andere Wert nicht (Standard 0).",
    "AllowAdhoc = 0",
    "; QuitMode: 0 zeigt die beiden Startfehler (Programm läuft schon, WatchDir nicht lesbar) auch in einem Fenster an, jeder andere Wert schreibt sie nur ins Log (Standard 0).",
    "QuitMode = 0",
    "; NotifyActDay: 1 zeigt nur Nachrichten mit dem heutigen Datum im Namen, 0 Nachrichten jedes Datums, jeder andere Wert gar keine (Standard 1).",
    "NotifyActDay = 1",
    "; NotifyActTime: wirkt nur bei NotifyActDay 1. 1 zeigt nur Nachrichten, deren Uhrzeit hhiiss als Zahl höchstens 4500 unter der jetzigen liegt (in derselben Stunde bis 45 Minuten alt, über einen Stundenwechsel hinweg nur wenige Minuten; spätere Uhrzeiten immer), 0 alle von heute, jeder andere Wert gar keine (Standard 1).",
    "NotifyActTime = 1",
    "; LastMessage: Schlüssel (yyyymmddhhiiss) der zuletzt angenommenen Nachricht aus WatchDir; Notiwell pflegt ihn selbst und hebt ihn bei jedem Start auf die Startzeit des Rechners an (Standard leer).",
    "LastMessage = ",
    "; WatchSubDir: Unterordner von WatchDir, die auch überwacht werden, durch Kommas getrennt, zum Beispiel Vertrieb, Technik; Namen unter 2 Zeichen werden übergangen (Standard leer).",
    "WatchSubDir = ",
    "; LastSubMessage: Schlüssel der zuletzt angenommenen Nachricht aus allen Unterordnern zusammen; Notiwell pflegt ihn selbst, die Startzeit gilt hier nicht (Standard leer).",
    "LastSubMessage = ",
    "; Pollintervall: Sekunden zwischen zwei Blicken in die Ordner, nur Ziffern; 0 gilt als 1, ein anderer Wert wird mit einer Fehlerzeile im Log durch 1 ersetzt (Standard 1).",
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
