"""A web server for the feed tests on 127.0.0.1: GET /feed.xml answers as the file "mode" in
the served folder says at the time of the request: "ok" serves feed.xml, "500" fails with a
server error, "302" redirects to /elsewhere.xml, "endless" streams an XML-looking body without
Content-Length that never ends, "oversized" announces a Content-Length of 100 MiB and then
streams the same way. Prints the port on stdout."""

import http.server
import os
import sys

folder = sys.argv[1]

# What the endless answers send: the start of a feed, then the same item again and again.
ENDLESS_HEAD = b'<?xml version="1.0" encoding="UTF-8"?>\n<rss version="2.0"><channel>\n'
ENDLESS_ITEM = (b"<item><title>Again</title><category>News</category>"
                b"<description>The same item once more.</description></item>\n")
ENDLESS_CHUNK = ENDLESS_ITEM * (1024 * 1024 // len(ENDLESS_ITEM))
OVERSIZED_LENGTH = 100 * 1024 * 1024


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with open(os.path.join(folder, "mode")) as f:
            mode = f.read().strip()
        if mode == "500":
            self.send_error(500, "Internal Server Error")
        elif mode == "302":
            self.send_response(302)
            self.send_header("Location", "/elsewhere.xml")
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif mode in ("endless", "oversized"):
            self.send_response(200)
            self.send_header("Content-Type", "application/rss+xml")
            if mode == "oversized":
                self.send_header("Content-Length", str(OVERSIZED_LENGTH))
            self.end_headers()
            self.close_connection = True
            # Until the client gives up and closes the connection, or the announced length.
            left = OVERSIZED_LENGTH if mode == "oversized" else None
            try:
                chunk = ENDLESS_HEAD
                while left is None or left > 0:
                    if left is not None:
                        chunk = chunk[:left]
                        left -= len(chunk)
                    self.wfile.write(chunk)
                    chunk = ENDLESS_CHUNK
            except (BrokenPipeError, ConnectionResetError):
                pass
        else:
            with open(os.path.join(folder, "feed.xml"), "rb") as f:
                body = f.read()
            self.send_response(200)
            self.send_header("Content-Type", "application/rss+xml")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
