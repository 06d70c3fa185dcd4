#!/usr/bin/python3
"""A throw-away HTTPS lyrics service on 127.0.0.1 for the tests.

Usage: tls_server.py FOLDER
Makes a certificate authority and a certificate for "localhost" in FOLDER
(ca.der is the authority the test trusts inside its own Wine prefix, never
on this machine), serves on an ephemeral port written to FOLDER/port, logs
each request to FOLDER/requests.log, and ends when FOLDER/stop appears or
after two minutes.
"""
import http.server
import os
import ssl
import subprocess
import sys
import threading
import time

folder = sys.argv[1]
path = lambda name: os.path.join(folder, name)


def openssl(*args):
    subprocess.run(['openssl', *args], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


openssl('req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-keyout', path('ca.key'), '-out', path('ca.pem'),
        '-days', '2', '-subj', '/CN=Velmor Test Authority',
        '-addext', 'basicConstraints=critical,CA:TRUE', '-addext', 'keyUsage=critical,keyCertSign,cRLSign')
openssl('req', '-newkey', 'rsa:2048', '-nodes', '-keyout', path('leaf.key'), '-out', path('leaf.csr'),
        '-subj', '/CN=localhost')
with open(path('leaf.ext'), 'w') as ext:
    ext.write('subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n')
openssl('x509', '-req', '-in', path('leaf.csr'), '-CA', path('ca.pem'), '-CAkey', path('ca.key'),
        '-CAcreateserial', '-out', path('leaf.pem'), '-days', '2', '-extfile', path('leaf.ext'))
openssl('x509', '-in', path('ca.pem'), '-outform', 'der', '-out', path('ca.der'))

ANSWER = (b'{"trackName":"Morning Lights","artistName":"Velmor","instrumental":false,'
          b'"plainLyrics":"Over TLS","syncedLyrics":"[00:01.00]Over TLS"}')


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        with open(path('requests.log'), 'a') as log:
            log.write('%s %s\n' % (self.path, self.headers.get('User-Agent', '')))
        found = self.path.startswith('/api/get')
        body = ANSWER if found else b'{}'
        self.send_response(200 if found else 404)
        self.send_header('Content-Type', 'application/json')
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(path('leaf.pem'), path('leaf.key'))
server.socket = context.wrap_socket(server.socket, server_side=True)
threading.Thread(target=server.serve_forever, daemon=True).start()
with open(path('port.tmp'), 'w') as out:
    out.write(str(server.server_address[1]))
os.replace(path('port.tmp'), path('port'))
deadline = time.time() + 120
while time.time() < deadline and not os.path.exists(path('stop')):
    time.sleep(0.2)
server.shutdown()
