# SPDX-License-Identifier: GPL-3.0-or-later
# The least IRC server that lets a client log in and sit in a channel: for measuring HexChat
# at rest beside Kivo. On SIGUSR1, 20 people (u1 to u20) each send every client a private
# message.
import asyncio, signal, sys

clients = []

async def client(reader, writer):
    nick = "ann"
    clients.append(writer)
    def send(line):
        writer.write((line + "\r\n").encode())
    while line := await reader.readline():
        words = line.decode(errors="replace").rstrip("\r\n").split(" ")
        command = words[0].upper()
        if command == "CAP" and len(words) > 1 and words[1] == "LS":
            send(":stub CAP * LS :")
        elif command == "NICK" and len(words) > 1:
            nick = words[1]
        elif command == "USER":
            for number, text in (("001", ":Welcome"), ("002", ":Your host is stub"),
                                 ("003", ":Created today"), ("004", "stub 1 o o"),
                                 ("422", ":No MOTD")):
                send(f":stub {number} {nick} {text}")
        elif command == "JOIN" and len(words) > 1:
            for channel in words[1].split(","):
                send(f":{nick}!{nick}@localhost JOIN {channel}")
                send(f":stub 353 {nick} = {channel} :{nick}")
                send(f":stub 366 {nick} {channel} :End of /NAMES list.")
        elif command == "PING":
            send(f":stub PONG stub {' '.join(words[1:])}")
        elif command == "QUIT":
            break
        await writer.drain()
    writer.close()

def private_messages():
    for writer in clients:
        for number in range(1, 21):
            writer.write(f":u{number}!u{number}@localhost PRIVMSG ann :hello there\r\n".encode())

async def main(port):
    asyncio.get_running_loop().add_signal_handler(signal.SIGUSR1, private_messages)
    server = await asyncio.start_server(client, "127.0.0.1", port)
    async with server:
        await server.serve_forever()

asyncio.run(main(int(sys.argv[1])))
