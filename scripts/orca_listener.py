#!/usr/bin/python3
"""Runs the Orca screen reader with its speech written down instead of said.

Usage: orca_listener.py PREFS_DIR SPEECH_FILE

Orca runs in this process with no speech server: it still logs each text it
would say, and each is appended to SPEECH_FILE as one JSON string per line.
The first line, "ready", comes once Orca is listening. Braille is off.
Started by check-orca.sh inside its own X server and buses.
"""
import json
import logging
import re
import sys

import gi

gi.require_version("Gdk", "3.0")
gi.require_version("Gtk", "3.0")
from gi.repository import GLib  # noqa: E402

from orca import orca  # noqa: E402

# Orca's own log line: the text in quotes, then at times the voice.
SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*)'(?: voice=\w+)?(?: ?\{.*\})?$", re.S)

prefs, path = sys.argv[1:3]
out = open(path, "a", buffering=1, encoding="utf-8")


class Recorder(logging.Handler):
    def emit(self, record):
        spoken = SPOKEN.match(record.getMessage())
        if spoken:
            out.write(json.dumps(spoken.group(1), ensure_ascii=False) + "\n")


logging.getLogger("speech").addHandler(Recorder())
GLib.idle_add(lambda: out.write(json.dumps("ready") + "\n") and False)
# Python runs Orca's handler of SIGTERM only when the main loop wakes up.
GLib.timeout_add(200, lambda: True)

manager = orca.getSettingsManager()
manager.activate(prefs, {
    "speechServerFactory": None,  # nothing is said aloud; Orca logs it all the same
    "speechFactoryModules": [],
    "enableBraille": False,
})
sys.path.insert(0, manager.getPrefsDir())
sys.exit(orca.main() or 0)
