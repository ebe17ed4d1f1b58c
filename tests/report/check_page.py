#!/usr/bin/env python3
"""Opens the report's HTML page in Debian's headless Chromium and checks it as a reader's browser
would show it: it references nothing outside itself (no request leaves the page: a proxy of our
own listens for any), no script error, and the figures the page shows (its data-* attributes)
are the JSON report's. Usage: check_page.py REPORT_PAGE_EXE [SCREENSHOT.png]"""
import json, os, re, shutil, socket, subprocess, sys, tempfile, threading
from html.parser import HTMLParser

def chromium():
    for name in ("chromium", "chromium-browser"):
        if shutil.which(name):
            return name
    sys.exit("chromium is missing: run scripts/install-deps.sh")

class Page(HTMLParser):
    """The elements of the dumped DOM with their attributes, and every reference outward."""
    def __init__(self):
        super().__init__()
        self.elements, self.references = [], []
    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        self.elements.append((tag, attrs))
        for name, value in attrs.items():
            if name in ("src", "href", "srcset", "action", "poster", "data", "xlink:href") or \
                    name.startswith("on"):
                self.references.append(f"<{tag} {name}={value!r}>")
        if tag in ("script", "link", "img", "iframe", "object", "embed", "image", "use"):
            self.references.append(f"<{tag}>")
    def handle_data(self, data):
        if re.search(r"url\s*\(|@import", data):
            self.references.append(data[:60])

def listen():
    """A proxy that only notes who connects: any request the page makes ends here."""
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen(8)
    seen = []
    def serve():
        while True:
            try:
                connection, _ = server.accept()
            except OSError:
                return
            seen.append(connection.recv(200))
            connection.close()
    threading.Thread(target=serve, daemon=True).start()
    return server, seen

# The browser's own traffic, which no flag turns wholly off (its clock, its updates, its account
# service): these hosts only; anything else reaching the proxy came from the page.
BROWSER_HOSTS = {b"clients2.google.com", b"update.googleapis.com", b"accounts.google.com",
                 b"redirector.gvt1.com"}

def from_page(request):
    target = request.split(b" ")[1] if request.count(b" ") >= 1 else b""
    host = re.sub(rb"^[a-z]+://", b"", target).split(b"/")[0].split(b":")[0]
    return host not in BROWSER_HOSTS

def run_chromium(page, extra):
    proxy, seen = listen()
    folder = tempfile.mkdtemp()
    try:
        args = [chromium(), "--headless", "--disable-gpu", "--no-first-run",
                # The browser's own traffic (updates, time, accounts) stays off, so that
                # whatever reaches the proxy came from the page.
                "--disable-background-networking", "--disable-component-update",
                "--disable-sync", "--disable-default-apps", "--no-default-browser-check",
                "--disable-domain-reliability", "--disable-client-side-phishing-detection",
                f"--user-data-dir={folder}", f"--proxy-server=http://127.0.0.1:{proxy.getsockname()[1]}",
                "--proxy-bypass-list=<-loopback>", "--enable-logging=stderr", "--v=0",
                "--virtual-time-budget=2000"] + extra + ["file://" + os.path.abspath(page)]
        if os.geteuid() == 0:
            args.insert(1, "--no-sandbox")
        done = subprocess.run(args, capture_output=True, text=True, timeout=120)
    finally:
        proxy.close()
        shutil.rmtree(folder, ignore_errors=True)
    return done, [request for request in seen if from_page(request)]

def main():
    exe = sys.argv[1]
    work = tempfile.mkdtemp()
    page, report_file = os.path.join(work, "report.html"), os.path.join(work, "report.json")
    subprocess.run([exe, page, report_file], check=True)
    report = json.load(open(report_file, encoding="utf-8"))
    done, requests = run_chromium(page, ["--dump-dom"])
    problems = []
    if done.returncode != 0:
        problems.append(f"chromium exited {done.returncode}: {done.stderr[-400:]}")
    if requests:
        problems.append(f"the page made requests: {requests}")
    errors = [line for line in done.stderr.splitlines()
              if "Uncaught" in line or ("CONSOLE" in line and "rror" in line)]
    if errors:
        problems.append(f"script errors: {errors}")
    dom = Page()
    dom.feed(done.stdout)
    if dom.references:
        problems.append(f"the page references something: {dom.references[:5]}")
    problems += compare(dom.elements, report)
    if len(sys.argv) > 2:
        shot, _ = run_chromium(page, [f"--screenshot={os.path.abspath(sys.argv[2])}",
                                      "--window-size=1100,1700", "--hide-scrollbars"])
        if shot.returncode != 0:
            problems.append("the screenshot failed")
    shutil.rmtree(work, ignore_errors=True)
    for problem in problems:
        print("FAIL:", problem)
    print(f"checked {len(report['periods'])} periods, {len(requests)} requests")
    return 1 if problems else 0

def with_class(elements, tag, cls):
    return [a for t, a in elements if t == tag and cls in a.get("class", "").split()]

def compare(elements, report):
    problems = []
    words = [k for k in report["periods"][0] if k not in ("station", "period", "yield")]
    shown = [{"station": a["data-station"], "period": a["data-period"],
              **{w: int(a["data-" + w]) for w in words},
              "yield": None if a["data-yield"] == "null" else float(a["data-yield"])}
             for a in with_class(elements, "tr", "period")]
    if shown != report["periods"]:
        problems.append(f"the table's periods differ from the JSON's:\n{shown}\n{report['periods']}")
    bars = {(a["data-station"], a["data-period"]): int(a["data-verified"])
            for a in with_class(elements, "rect", "bar")}
    if bars != {(p["station"], p["period"]): p["verified"] for p in report["periods"]}:
        problems.append(f"the verified chart differs from the JSON: {bars}")
    totals = {}
    for p in report["periods"]:
        started, verified = totals.get(p["station"], (0, 0))
        totals[p["station"]] = (started + p["started"], verified + p["verified"])
    yields = {a["data-station"]: a["data-yield"] for a in with_class(elements, "g", "yield")}
    expected = {s: "null" if st == 0 else v / st for s, (st, v) in totals.items()}
    if {s: (y if y == "null" else float(y)) for s, y in yields.items()} != expected:
        problems.append(f"the yield chart differs from the JSON's periods: {yields} {expected}")
    lists = {"reprint": "reprint", "unverified": "unverified_serials"}
    inside = None
    serials = {key: [] for key in lists}
    for tag, attrs in elements:
        if tag == "ul":
            inside = attrs.get("id")
        if tag == "li" and inside in serials:
            serials[inside].append(attrs["data-serial"])
    for key, name in lists.items():
        if serials[key] != report[name]:
            problems.append(f"{key}: the page shows {serials[key]}, the JSON {report[name]}")
    failures = [{"status": a["data-status"], "count": int(a["data-count"])}
                for a in with_class(elements, "tr", "failure")]
    if failures != report["failures"]:
        problems.append(f"failures: the page shows {failures}, the JSON {report['failures']}")
    return problems

if __name__ == "__main__":
    sys.exit(main())
