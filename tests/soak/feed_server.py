"""A web server for the feed tests on 127.0.0.1: GET /feed.xml answers as the file "mode" in
the served folder says at the time of the request: "ok" serves feed.xml, "500" fails with a
server error, "302" redirects to /elsewhere.xml. Prints the port on stdout."""

import http.server
import os
import sys

folder = sys.argv[1]


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
