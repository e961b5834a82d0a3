#!/usr/bin/python3
"""Plays keys to the running tool and checks what Orca says after each.

Usage: orca_check.py SPEECH_FILE PROGRAM_STDERR

Reads what Orca said from SPEECH_FILE (written by orca_listener.py) and waits,
after each step, until Orca has said what the step must make it say: at most
TIMEOUT seconds, so a missing sentence fails the check rather than hanging
it; the steps after it, which start from where it should have left the
focus, are not played. Also fails if the tool printed an accessibility
warning. Run by check-orca.sh, which starts the X server, the buses, Orca
and the tool.
"""
import json
import re
import subprocess
import sys
import time

TIMEOUT = 30  # for one step
BUDGET = 200  # for all of them, well inside the test's own limit

CUE = "600 n'est pas une adresse de 0 à 511 : les interrupteurs ne l'affichent pas"
RESET = "Remise à zéro : adresse vide, tous les interrupteurs et le bouchon sur OFF"

# Each step: the keys (xdotool's names, "type" for a text), then what Orca
# must say before the next step, as patterns. Sentences the tool says itself
# are written whole, and must be said exactly once.
SAID = "said"
STEPS = [
    # Orca says the window's caption first, unless the window was active
    # before Orca heard of it: the focus in the address box is what counts.
    ("", "the colour-driver window comes up", [r"Adresse DMX"]),
    ("type 100", "typing 100", [(SAID, "Adresse 100 : interrupteurs 3, 4 et 7 sur ON")]),
    ("key shift+Tab shift+Tab shift+Tab", "to the count", [r"Nombre de circuit"]),
    ("key Down", "choosing a count", [(SAID, "Nombre de circuit : 1")]),
    ("key Tab Tab Tab", "back to the address", [r"Adresse DMX"]),
    ("key Up", "Up in the address box", [(SAID, "Adresse 101 : interrupteurs 3, 4, 7 et 9 sur ON")]),
    ("key Tab Tab", "to switch 1's ON cell", [r"Interrupteur 1, ON"]),
    ("key space", "Space on the cell", [(SAID, "Adresse 357 : interrupteurs 1, 3, 4, 7 et 9 sur ON")]),
    ("key shift+Tab shift+Tab", "back to the address", [r"Adresse DMX"]),
    ("type 600", "typing 600", [(SAID, CUE)]),
    ("key shift+Tab shift+Tab shift+Tab", "the count, read with the focus", [r"^1\b", r"Nombre de circuit"]),
    ("key shift+Tab shift+Tab", "to the reset button", [r"Remise à zéro"]),
    ("key space", "pressing Remise à zéro", [(SAID, RESET)]),
    ("key ctrl+p", "the sheet dialog", [r"Feuille d'adressage"]),
    ("key Tab Tab Tab Tab", "the order list, read with the focus",
     [r"Ordre des poids : Interrupteur 1 = 256 \(pilote de LED Corvane\)"]),
    ("key Down", "choosing the other order", [(SAID, "Ordre des poids : Interrupteur 1 = 1 (autre appareil)")]),
]

speech_path, stderr_path = sys.argv[1:3]
speech = open(speech_path, encoding="utf-8")
heard = []  # every text Orca said, in order
failures = []


def read_speech():
    for line in speech.readlines():
        heard.append(json.loads(line))


def matches(text, expected):
    if isinstance(expected, tuple):
        return text.rstrip(".") == expected[1]
    return re.search(expected, text) is not None


def play(keys):
    if keys:
        command, _, text = keys.partition(" ")
        args = ["type", "--delay", "60", text] if command == "type" else ["key", "--delay", "60"] + text.split()
        subprocess.run(["xdotool"] + args, check=True, timeout=TIMEOUT)


end = time.monotonic() + BUDGET
for keys, what, expected in STEPS:
    read_speech()
    start = len(heard)
    play(keys)
    missing = list(expected)
    deadline = min(time.monotonic() + TIMEOUT, end)
    while missing and time.monotonic() < deadline:
        time.sleep(0.1)
        read_speech()
        missing = [e for e in expected if not any(matches(t, e) for t in heard[start:])]
    print(f"{what}:")
    for text in heard[start:]:
        print(f"  {text}")
    if missing:
        failures.append(f"{what}: not heard {[e[1] if isinstance(e, tuple) else e for e in missing]}")
        break

# Said once: not again when typing went on, nor when a later step came.
read_speech()
for keys, what, expected in STEPS:
    for e in expected:
        if isinstance(e, tuple) and (n := sum(matches(t, e) for t in heard)) > 1:
            failures.append(f"{what}: said {n} times: {e[1]}")

with open(stderr_path, encoding="utf-8", errors="replace") as f:
    warnings = [line.rstrip() for line in f if "qt.accessibility" in line]
if warnings:
    failures.append(f"{len(warnings)} accessibility warnings, the first: {warnings[0]}")

if failures:
    print("FAILED:\n  " + "\n  ".join(failures))
    sys.exit(1)
print("ok")
