#!/usr/bin/env python3
"""A stand-in for GLPI's inventory endpoint on 127.0.0.1, for the e2e cases that send.

Usage: glpi_server.py FOLDER ANSWER... [--tls CERT KEY]
Listens on a free port of 127.0.0.1, writes it to FOLDER/port, and answers the Nth request with
the Nth ANSWER (the last one again after that). Each request is kept as FOLDER/request-N.json
(method, path, headers) and FOLDER/request-N.body. Answers:
  accept          200 {"RESPONSE":"SEND"}, as GLPI 10.0 answers an inventory it took
  glpi-error      400 {"status":"error","message":...}, as GLPI refuses a file
  http-500        500 with a line of text
  disabled        200 "Inventory is disabled"
  html            200 a login page
  moved           301 to an https:// address
  close           reads the request and closes the connection without an answer
  slow            accept, after 3 seconds
  silent          reads the request and never answers, keeping the connection open
  basic           401 with a Basic challenge unless the request carries ana / s3nh@
Runs until it is killed.
"""
import base64
import http.server
import json
import os
import socket
import ssl
import sys
import time


def main(folder, answers, tls):
    counter = {"n": 0}

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *args):
            pass

        def answer(self, status, body, headers=()):
            data = body.encode("utf-8")
            self.send_response(status)
            for name, value in headers:
                self.send_header(name, value)
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)

        def do_POST(self):
            counter["n"] += 1
            n = counter["n"]
            length = int(self.headers.get("Content-Length", "0"))
            body = self.rfile.read(length)
            with open(f"{folder}/request-{n}.body", "wb") as f:
                f.write(body)
            with open(f"{folder}/request-{n}.json", "w", encoding="utf-8") as f:
                json.dump({"method": self.command, "path": self.path,
                           "headers": {k.lower(): v for k, v in self.headers.items()}}, f)
            kind = answers[min(n, len(answers)) - 1]
            if kind == "accept":
                self.answer(200, '{"RESPONSE":"SEND"}', [("Content-Type", "application/json")])
            elif kind == "glpi-error":
                self.answer(400, '{"status":"error","message":"JSON does not validate.\\n'
                                 ' Violations: content"}', [("Content-Type", "application/json")])
            elif kind == "http-500":
                self.answer(500, "Internal Server Error\nstack trace follows")
            elif kind == "disabled":
                self.answer(200, "Inventory is disabled")
            elif kind == "html":
                self.answer(200, "<!DOCTYPE html>\n<html><title>GLPI - Autenticacao</title></html>",
                            [("Content-Type", "text/html")])
            elif kind == "moved":
                self.answer(301, "", [("Location", "https://glpi.escritorio.local/front/inventory.php")])
            elif kind == "close":
                self.close_connection = True
                self.connection.shutdown(socket.SHUT_RDWR)
            elif kind == "silent":
                time.sleep(3600)
            elif kind == "slow":
                time.sleep(3)
                self.answer(200, '{"RESPONSE":"SEND"}', [("Content-Type", "application/json")])
            elif kind == "basic":
                given = "Basic " + base64.b64encode(b"ana:s3nh@").decode()
                if self.headers.get("Authorization") == given:
                    self.answer(200, '{"RESPONSE":"SEND"}', [("Content-Type", "application/json")])
                else:
                    self.answer(401, "", [("WWW-Authenticate", 'Basic realm="GLPI"')])

    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    if tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(tls[0], tls[1])
        server.socket = context.wrap_socket(server.socket, server_side=True)
    with open(f"{folder}/port.tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.rename(f"{folder}/port.tmp", f"{folder}/port")
    server.serve_forever()


if __name__ == "__main__":
    args = sys.argv[1:]
    tls = None
    if "--tls" in args:
        at = args.index("--tls")
        tls = args[at + 1:at + 3]
        args = args[:at]
    main(args[0], args[1:], tls)
