# SPDX-License-Identifier: GPL-3.0-or-later
# One client (carl) floods ann with private messages, then another (dave) sends one.
import socket, sys, time
def client(name, port):
    s = socket.create_connection(("127.0.0.1", port))
    s.sendall(f"/login {name} pw\r\n".encode())
    time.sleep(0.2)
    return s
port = int(sys.argv[1]); count = int(sys.argv[2])
carl = client("carl", port)
batch = []
for i in range(count):
    batch.append(f"/pm ann message number {i}\r\n")
    if len(batch) == 500:
        carl.sendall("".join(batch).encode()); batch = []; time.sleep(0.01)
carl.sendall("".join(batch).encode())
print("flood sent", time.time(), flush=True)
dave = client("dave", port)
dave.sendall(b"/pm ann hello from dave\r\n")
t0 = time.time()
print("dave sent", t0, flush=True)
time.sleep(2)
