#!/usr/bin/env python3
"""Serves the soak run's pages on 127.0.0.1.

    soak_server.py [--size KB]

/watched.htm  an article of about KB thousand characters (40 unless given)
              whose length changes at every request, so that each period end
              finds a real update; with ?refresh=N it asks a browser to load
              it again after N seconds
/list/N.htm   the random list's pages (N from 0 to 49), also changing
/img/N.png    small images the pages show

Prints the port on its first line, then one line per page the browser pane
asked for ("pane <path>"), per page Vigilo's own reader asked for ("reader
<path>") and per page another browser asked for ("tab <path>"); soak.sh and
cost.sh count period ends from them.
"""
import argparse
import functools
import http.server
import random
import struct
import sys
import threading
import zlib

WORDS = ("river station market council weather harbour library season "
         "report garden bridge railway museum festival street forecast "
         "village school island evening mountain history coast winter").split()


def png(shade):
    """A 16x16 grey picture."""
    raw = b"".join(b"\x00" + bytes([shade]) * 16 for _ in range(16))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 16, 16, 8, 0, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def sentence(rng):
    words = [rng.choice(WORDS) for _ in range(rng.randint(8, 18))]
    return " ".join(words).capitalize() + "."


# Past this size a page's stories come from a few versions kept, since making
# them costs more than the program's own read; head and length still change.
KEPT_FROM = 100000
KEPT_VERSIONS = 8


@functools.lru_cache(maxsize=4 * KEPT_VERSIONS)
def stories(title, variant, budget):
    """Articles of `budget` characters at most: headings, paragraphs with
    links, lists, tables and images."""
    rng = random.Random(f"{title}/{variant}/stories")
    parts = []
    size = 0
    section = 0
    while True:
        section += 1
        block = (f"<article id='story{section}'><h2>{sentence(rng)}</h2>"
                 f"<img src='/img/{rng.randint(0, 9)}.png' alt='{rng.choice(WORDS)}' "
                 "width='16' height='16'>")
        block += "".join(f"<p>{sentence(rng)} {sentence(rng)} <a href='/list/"
                         f"{rng.randint(0, 49)}.htm'>{rng.choice(WORDS)}</a> "
                         f"{sentence(rng)}</p>" for _ in range(rng.randint(2, 5)))
        if section % 3 == 0:
            block += "<ul>" + "".join(f"<li>{sentence(rng)}</li>" for _ in range(5)) + "</ul>"
        if section % 4 == 0:
            block += "<table><tr><th>Place</th><th>Count</th></tr>" + "".join(
                f"<tr><td>{rng.choice(WORDS)}</td><td>{rng.randint(1, 999)}</td></tr>"
                for _ in range(4)) + "</table>"
        block += "</article>"
        if size + len(block) > budget:
            return "".join(parts)
        parts.append(block)
        size += len(block)


def article(title, version, target, refresh=None):
    """An ordinary news page of about `target` characters: links, headings,
    paragraphs, a list, a table, images and a little script."""
    rng = random.Random(f"{title}/{version}")
    again = f"<meta http-equiv='refresh' content='{refresh}'>" if refresh else ""
    head = (f"<!DOCTYPE html><html lang='en'><head><meta charset='utf-8'>{again}<title>{title} "
            f"- edition {version}</title><style>body{{font-family:sans-serif}}"
            f".ad{{float:right}}</style></head><body><header><h1 id='top'>{title}</h1>"
            "<nav><ul>")
    head += "".join(f"<li><a href='/list/{i}.htm' id='nav{i}'>{rng.choice(WORDS)}</a></li>"
                    for i in range(30))
    head += (f"</ul></nav><p>Edition <span id='edition'>{version}</span>, "
             "read at <span id='clock'></span></p></header><main>")
    tail = ("</main><footer><p>Served on 127.0.0.1 for the soak run.</p></footer>"
            "<script>document.getElementById('clock').textContent ="
            " new Date().toLocaleTimeString();</script></body></html>")
    variant = version if target < KEPT_FROM else version % KEPT_VERSIONS
    # About what the head and tail take, the same for every version.
    body = stories(title, variant, target - 3500)
    # The filler makes each version's length differ from the one before.
    filler = f"<p class='ad'>{'.' * (version % 97)}</p>"
    return head + body + filler + tail


class Pages:
    def __init__(self):
        self.lock = threading.Lock()
        self.versions = {}

    def next_version(self, path):
        with self.lock:
            self.versions[path] = self.versions.get(path, 0) + 1
            return self.versions[path]


PAGES = Pages()
PICTURES = [png(40 + 20 * i) for i in range(10)]


def refresh_of(query):
    for part in query.split("&"):
        name, _, value = part.partition("=")
        if name == "refresh" and value.isdigit():
            return int(value)
    return None


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    watched_size = 40000

    def do_GET(self):
        path, _, query = self.path.partition("?")
        if path.startswith("/img/") and path.endswith(".png"):
            try:
                body = PICTURES[int(path[5:-4])]
            except (ValueError, IndexError):
                return self.send_error(404)
            return self.reply(body, "image/png")
        if path == "/watched.htm":
            title, target = "The Daily Watch", self.watched_size
        elif path.startswith("/list/") and path.endswith(".htm"):
            try:
                n = int(path[6:-4])
            except ValueError:
                return self.send_error(404)
            if not 0 <= n < 50:
                return self.send_error(404)
            title, target = f"Town page {n}", 20000 + 700 * n
        else:
            return self.send_error(404)
        version = PAGES.next_version(path)
        agent = self.headers.get("User-Agent", "")
        who = "pane" if "QtWebEngine" in agent else "tab" if "Chrome/" in agent else "reader"
        print(f"{who} {path}", flush=True)
        page = article(title, version, target, refresh_of(query))
        self.reply(page.encode(), "text/html; charset=utf-8")

    def reply(self, body, kind):
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--size", type=int, default=40, help="watched page, thousands of characters")
    Handler.watched_size = parser.parse_args().size * 1000
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
