#!/usr/bin/env python3
"""The phone page's checks, in Debian's headless Chromium through its
WebDriver, as a 390 x 844 touch phone and then in landscape: what a
technician does with the bank and the patch, read back through the names
assistive technology gets, with no console error and no breach of the page's
policy. Usage: check.py SITE [SCREENSHOTS]"""

import base64
import functools
import http.server
import json
import os
import pathlib
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

HERE = pathlib.Path(__file__).resolve().parent
DATA = HERE.parent / "data"
SITE = pathlib.Path(sys.argv[1]).resolve()
SHOTS = pathlib.Path(sys.argv[2]) if len(sys.argv) > 2 else SITE.parent / "screenshots"
ELEMENT = "element-6066-11e4-a52e-4f735466cecf"

# Installed before the page's own scripts: what the console and the page's
# policy report, kept where the checks read it.
WATCH = """
window.__problems = [];
document.addEventListener('securitypolicyviolation',
    (e) => window.__problems.push('CSP: ' + e.violatedDirective + ' ' + e.blockedURI));
window.addEventListener('error', (e) => window.__problems.push('error: ' + e.message));
for (const kind of ['error', 'warn']) {
  const was = console[kind].bind(console);
  console[kind] = (...a) => { window.__problems.push(kind + ': ' + a.join(' ')); was(...a); };
}
"""

failures = []


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".webmanifest": "application/manifest+json"}

    def log_message(self, *args):
        pass


class Server:
    """The site on localhost, where a service worker may run without HTTPS."""

    def __init__(self):
        self.port = free_port()
        self.start()

    def start(self):
        handler = functools.partial(Quiet, directory=str(SITE))
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", self.port), handler)
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Browser:
    def __init__(self):
        self.port = free_port()
        self.profile = tempfile.TemporaryDirectory()
        self.driver = subprocess.Popen(["chromedriver", f"--port={self.port}"],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            try:
                self.request("GET", "/status")
                break
            except OSError:
                time.sleep(0.1)
        options = {"binary": "/usr/bin/chromium",
                   "args": ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                            f"--user-data-dir={self.profile.name}", "--lang=fr-FR"],
                   "mobileEmulation": {"deviceMetrics": {"width": 390, "height": 844, "pixelRatio": 2,
                                                         "touch": True}}}
        answer = self.request("POST", "/session", {"capabilities": {"alwaysMatch": {
            "browserName": "chrome", "goog:chromeOptions": options}}})
        self.session = f"/session/{answer['sessionId']}"
        self.cdp("Page.addScriptToEvaluateOnNewDocument", {"source": WATCH})

    def request(self, method, path, body=None):
        data = json.dumps(body).encode() if body is not None else None
        req = urllib.request.Request(f"http://127.0.0.1:{self.port}{path}", data=data, method=method,
                                     headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(req, timeout=60) as r:
                return json.loads(r.read())["value"]
        except urllib.error.HTTPError as e:
            raise RuntimeError(f"{method} {path}: {e.read().decode()[:300]}") from None

    def cmd(self, method, path, body=None):
        return self.request(method, self.session + path, body if body is not None or method != "POST" else {})

    def cdp(self, command, params=None):
        return self.cmd("POST", "/goog/cdp/execute", {"cmd": command, "params": params or {}})

    def go(self, url):
        self.cmd("POST", "/url", {"url": url})
        self.wait("document.getElementById('loading').hidden")

    def js(self, script, *args):
        return self.cmd("POST", "/execute/sync", {"script": script, "args": list(args)})

    def wait(self, condition, timeout=10):
        end = time.time() + timeout
        while time.time() < end:
            if self.js(f"return !!({condition});"):
                return True
            time.sleep(0.05)
        raise AssertionError(f"still false after {timeout} s: {condition}")

    def find(self, css):
        return self.cmd("POST", "/element", {"using": "css selector", "value": css})[ELEMENT]

    def finds(self, css):
        return [e[ELEMENT] for e in self.cmd("POST", "/elements", {"using": "css selector", "value": css})]

    def tap(self, css):
        """A finger on the element's middle: touch, not a mouse click."""
        element = {ELEMENT: self.find(css)}
        self.cmd("POST", "/actions", {"actions": [{
            "type": "pointer", "id": "finger", "parameters": {"pointerType": "touch"},
            "actions": [{"type": "pointerMove", "duration": 0, "origin": element, "x": 0, "y": 0},
                        {"type": "pointerDown", "button": 0}, {"type": "pause", "duration": 40},
                        {"type": "pointerUp", "button": 0}]}]})
        self.cmd("DELETE", "/actions")

    def type(self, css, text):
        e = self.find(css)
        self.cmd("POST", f"/element/{e}/clear")
        if text:
            self.cmd("POST", f"/element/{e}/value", {"text": text})

    def upload(self, css, path):
        self.cmd("POST", f"/element/{self.find(css)}/value", {"text": str(path)})

    def label(self, element):
        return self.cmd("GET", f"/element/{element}/computedlabel")

    def role(self, element):
        return self.cmd("GET", f"/element/{element}/computedrole")

    def screenshot(self, path):
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(base64.b64decode(self.cmd("GET", "/screenshot")))

    def prop(self, id, name):
        """One property of the element with that id."""
        return self.js(f"return document.getElementById('{id}').{name};")

    def problems(self):
        return self.js("return window.__problems || [];")

    def quit(self):
        try:
            self.cmd("DELETE", "")
        finally:
            self.driver.terminate()
            self.driver.wait()
            self.profile.cleanup()


def check(name, got, want):
    if got != want:
        failures.append(name)
        print(f"FAIL {name}: got {got!r}, want {want!r}")
    else:
        print(f"ok   {name}")


def switches_on(b):
    """The switches ON as assistive technology reads them: each toggle by its
    name and its pressed state."""
    on = []
    for e in b.finds("#switches .switch"):
        if b.cmd("GET", f"/element/{e}/attribute/aria-pressed") == "true":
            on.append(b.label(e))
    return on


def bank_checks(b):
    box = b.find("#Text100")
    check("the box's name", b.label(box), "Adresse DMX")
    cells = b.finds("#switches .switch")
    check("ten toggles", len(cells), 10)
    check("a toggle's role and name", (b.role(cells[2]), b.label(cells[2])), ("button", "Interrupteur 3"))
    check("the tenth's name", b.label(cells[9]), "Bouchon DMX")

    for window, typed, want in [("#Corvanecolordriver", "100", ["Interrupteur 3", "Interrupteur 4", "Interrupteur 7"]),
                                ("#Corvanestandard", "100", ["Interrupteur 3", "Interrupteur 6", "Interrupteur 7"]),
                                ("#Corvanestandard", "511", [f"Interrupteur {k}" for k in range(1, 10)])]:
        b.tap(window)
        b.type("#Text100", typed)
        check(f"{typed} typed in {window[1:]}", switches_on(b), want)

    b.tap("#Corvanecolordriver")
    b.tap("#RAZ")
    b.tap("#switch1")
    check("switch 1 tapped on the colour driver", b.prop('Text100', 'value'), "256")
    b.tap("#switch10")
    check("the terminator tapped", (switches_on(b)[-1], b.prop('Text120R', 'textContent')),
          ("Bouchon DMX", "120R"))
    b.wait("document.getElementById('spoken').textContent.startsWith('Adresse 256')")
    check("said after a tap", b.prop('spoken', 'textContent'),
          "Adresse 256 : interrupteur 1 et bouchon sur ON")

    b.js("const c = document.getElementById('Combo1'); c.value = '4'; c.dispatchEvent(new Event('change'));")
    b.type("#Text100", "1")
    b.tap("#suivant")
    check("suivant by 4 channels", b.prop('Text100', 'value'), "5")
    b.tap("#précédent")
    b.tap("#précédent")
    check("précédent twice", b.prop('Text100', 'value'), "-3")
    check("the warning for -3", b.prop('cue', 'hidden'), False)
    check("the warning's words", b.prop('cue', 'textContent'),
          "Ce n'est pas une adresse de 0 à 511 : les interrupteurs ne l'affichent pas")
    check("the address switches greyed, not the terminator",
          b.js("return [...document.querySelectorAll('#switches .switch')].map((e) => e.classList.contains('stale'));"),
          [True] * 9 + [False])
    b.tap("#RAZ")
    check("reset", (b.prop('Text100', 'value'), switches_on(b)), ("", []))
    b.wait("document.getElementById('spoken').textContent.startsWith('Remise')")
    check("the warning gone", b.prop('cue', 'hidden'), True)
    b.type("#Text100", "12345")
    check("three characters at most", b.prop('Text100', 'value'), "123")


def targets(b, where):
    sizes = b.js("""
        const boxes = [...document.querySelectorAll('#switches .switch, #suivant, #précédent, #RAZ, nav button')];
        return boxes.map((e) => { const r = e.getBoundingClientRect();
                                  return [e.id || e.textContent, Math.round(r.width), Math.round(r.height)]; });""")
    small = [s for s in sizes if s[2] < 44 or (not s[0].startswith("switch") and s[1] < 44)]
    check(f"targets at least 44 px ({where})", small, [])
    overflow = b.js("return document.documentElement.scrollWidth > window.innerWidth;")
    check(f"nothing wider than the screen ({where})", overflow, False)


def patch_checks(b, server):
    b.tap("#Patch")
    samples = sorted(p for p in DATA.iterdir() if p.suffix in {".csv", ".txt", ".asc", ".qxw", ".mvr"})
    shared = HERE.parent.parent.parent / "shared" / "patches"
    if shared.is_dir():
        samples += sorted(p for p in shared.iterdir() if p.suffix in {".qxw", ".mvr"})
    for sample in samples:
        b.upload("#ouvrir", sample)
        b.wait(f"document.getElementById('fichier').textContent === {json.dumps(sample.name)}"
               " || document.getElementById('patchError').textContent", 30)
        error = b.prop('patchError', 'textContent')
        rows = b.js("return [...document.querySelectorAll('#appareils .minibank')]"
                    ".map((e) => e.getAttribute('aria-label'));")
        check(f"{sample.name} listed with its switches",
              (error, bool(rows), all(" : ON : " in r or "tout OFF" in r or "pas de réglage" in r for r in rows)),
              ("", True, True))

    b.upload("#ouvrir", DATA / "magicq-heads.csv")
    b.wait("document.getElementById('fichier').textContent === 'magicq-heads.csv'")
    first = "document.querySelector('#appareils .row .switchesText').textContent"
    check("a dimmer before profiles", b.js(f"return {first};"), "ON : 1 · Standard (interrupteur 1 = 1)")
    b.upload("#profils", HERE / "profils.json")
    b.wait("document.getElementById('profilesState').textContent")
    check("profiles imported", b.prop('profilesState', 'textContent'),
          "Profils importés : 1 profil, 1 choix par type.")
    check("the dimmer by its imported profile", b.js(f"return {first};"), "tout OFF · Gradateur inversé")

    b.js("document.getElementById('problemes').click();")
    b.js("const l = document.getElementById('ligne'); l.value = '2'; l.dispatchEvent(new Event('change'));")
    check("line 2 alone", b.js("return [...document.querySelectorAll('#appareils .head .span')]"
                                ".every((e) => e.textContent.startsWith('Ligne 2 · '));"), True)
    b.js("const l = document.getElementById('ligne'); l.value = '0'; l.dispatchEvent(new Event('change'));")
    b.js("document.querySelector('#appareils .row .done input').click();")
    check("one marked", b.prop('regles', 'textContent'), "1 appareil réglé sur 5")

    b.cmd("POST", "/refresh")
    b.wait("document.getElementById('loading').hidden")
    b.tap("#Patch")
    check("profiles kept across a reload", b.prop('profilesState', 'textContent'),
          "Profils importés : 1 profil, 1 choix par type.")
    b.upload("#ouvrir", DATA / "magicq-heads.csv")
    b.wait("document.getElementById('fichier').textContent === 'magicq-heads.csv'")
    check("« réglé » kept across a reload", b.prop('regles', 'textContent'),
          "1 appareil réglé sur 5")
    b.js("document.getElementById('oublierProfils').click();")

    not_text = tempfile.NamedTemporaryFile(suffix=".csv", delete=False)
    not_text.write(b"\x89PNG\r\n\x1a\n" + bytes(range(256)))
    not_text.close()
    b.upload("#ouvrir", not_text.name)
    b.wait("document.getElementById('patchError').textContent")
    check("a picture named .csv", b.prop('patchError', 'textContent').startswith(
        f"Lecture de {pathlib.Path(not_text.name).name} impossible"), True)
    os.unlink(not_text.name)


def main():
    server = Server()
    url = f"http://127.0.0.1:{server.port}/"
    b = Browser()
    try:
        b.go(url)
        interactive = "return performance.getEntriesByName('interactive')[0].startTime;"
        print(f"     first load to interactive: {b.js(interactive):.0f} ms")
        bank_checks(b)
        b.tap("#RAZ")
        b.type("#Text100", "100")
        b.screenshot(SHOTS / "phone.png")
        targets(b, "portrait")
        b.cdp("Emulation.setDeviceMetricsOverride", {"width": 844, "height": 390, "deviceScaleFactor": 2,
              "mobile": True, "screenOrientation": {"type": "landscapePrimary", "angle": 90}})
        b.screenshot(SHOTS / "landscape.png")
        targets(b, "landscape")
        b.cdp("Emulation.setDeviceMetricsOverride", {"width": 390, "height": 844, "deviceScaleFactor": 2,
              "mobile": True, "screenOrientation": {"type": "portraitPrimary", "angle": 0}})
        change = b.js("""
            const box = document.getElementById('Text100'); const t0 = performance.now();
            for (let i = 0; i < 100; ++i) { box.value = String(i); box.dispatchEvent(new Event('input')); }
            return (performance.now() - t0) / 100;""")
        print(f"     one address change, core and redraw: {change:.2f} ms")
        patch_checks(b, server)
        b.screenshot(SHOTS / "patch.png")

        b.wait("navigator.serviceWorker.controller", 20)
        b.go(url)
        print(f"     load to interactive from the phone's cache: {b.js(interactive):.0f} ms")
        server.stop()
        b.go(url)
        b.tap("#Corvanecolordriver")
        b.type("#Text100", "7")
        check("offline after a first visit", switches_on(b), ["Interrupteur 7", "Interrupteur 8", "Interrupteur 9"])
        check("no console error, no policy breach", b.problems(), [])
    finally:
        b.quit()
    if failures:
        print(f"{len(failures)} web check(s) failed")
        sys.exit(1)
    print("All web checks passed")


main()
