#!/usr/bin/env python3
"""pyserial's RFC 2217 port manager serving one serial device on 127.0.0.1, one client at a
time; prints the port it listens on. A second device server, written apart from ser2net, so
that the client is not tuned to one server's habits."""
import socket
import sys
import termios
import threading

import serial
import serial.rfc2217


class Terminal(serial.Serial):
    """The radio's pseudo-terminal. Some kernels refuse a parity on one; the bytes pass all
    the same, so the settings the client asks for are taken as asked, as a real port would.
    Nor has it modem lines: setting them is a no-op, as ser2net's `local` makes it."""

    def _reconfigure_port(self, force_update=False):
        try:
            super()._reconfigure_port(force_update)
        except termios.error:
            pass

    def _update_rts_state(self):
        pass

    def _update_dtr_state(self):
        pass

    def _update_break_state(self):
        pass


def serve(device):
    port = Terminal(device, timeout=0.05)
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    print(listener.getsockname()[1], flush=True)
    while True:
        client, _ = listener.accept()
        client.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        lock = threading.Lock()

        class Connection:
            # The manager answers negotiation from the receiving side while data flows the
            # other way: one send at a time.
            def write(self, data):
                with lock:
                    client.sendall(data)

        connection = Connection()
        manager = serial.rfc2217.PortManager(port, connection)
        # A pseudo-terminal has no modem lines to report, as ser2net's `local` says.
        manager.check_modem_lines = lambda force_notification=False: None
        alive = threading.Event()
        alive.set()

        def to_client():
            while alive.is_set():
                try:
                    data = port.read(port.in_waiting or 1)
                    if data:
                        connection.write(b"".join(manager.escape(data)))
                except (OSError, serial.SerialException):
                    break

        reader = threading.Thread(target=to_client, daemon=True)
        reader.start()
        try:
            while True:
                data = client.recv(1024)
                if not data:
                    break
                port.write(b"".join(manager.filter(data)))
        except OSError:
            pass
        alive.clear()
        reader.join()
        client.close()


if __name__ == "__main__":
    serve(sys.argv[1])
