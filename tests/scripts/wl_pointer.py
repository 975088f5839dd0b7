#!/usr/bin/env python3
"""A virtual pointer on a wlroots compositor (zwlr_virtual_pointer_v1), spoken in the raw Wayland
wire protocol, for tests on a headless seat that has no pointer of its own.

Usage: wl_pointer.py WIDTH HEIGHT COMMAND...
  WIDTH x HEIGHT: the layout in desktop units; COMMANDs, in order:
  move X Y | press | release (the left button) | rpress | rrelease (the right button) | sleep SECONDS
The pointer exists from the start (after a short wait, so clients can take it) to the end.
"""
import os
import socket
import struct
import sys
import time

BTN_LEFT = 0x110
BTN_RIGHT = 0x111


class Connection:
    def __init__(self):
        path = os.path.join(os.environ['XDG_RUNTIME_DIR'], os.environ.get('WAYLAND_DISPLAY', 'wayland-0'))
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(path)
        self.last_id = 1  # wl_display
        self.buffer = b''

    def new_id(self):
        self.last_id += 1
        return self.last_id

    def send(self, obj, opcode, payload=b''):
        self.sock.sendall(struct.pack('<II', obj, (8 + len(payload)) << 16 | opcode) + payload)

    def roundtrip(self, handle=lambda obj, opcode, payload: None):
        """Sends wl_display.sync and hands every event to handle until its callback is done."""
        callback = self.new_id()
        self.send(1, 0, struct.pack('<I', callback))
        while True:
            data = self.sock.recv(65536)
            if not data:
                raise SystemExit('the compositor closed the connection')
            self.buffer += data
            while len(self.buffer) >= 8:
                obj, word = struct.unpack('<II', self.buffer[:8])
                size = word >> 16
                if len(self.buffer) < size:
                    break
                opcode, payload = word & 0xFFFF, self.buffer[8:size]
                self.buffer = self.buffer[size:]
                if obj == callback:
                    return
                if obj == 1 and opcode == 0:
                    raise SystemExit('wayland error: %r' % payload)
                handle(obj, opcode, payload)


def string(text):
    data = text.encode() + b'\0'
    return struct.pack('<I', len(data)) + data + b'\0' * (-len(data) % 4)


def main():
    width, height = int(sys.argv[1]), int(sys.argv[2])
    wl = Connection()
    registry = wl.new_id()
    wl.send(1, 1, struct.pack('<I', registry))  # wl_display.get_registry
    names = {}

    def on_global(obj, opcode, payload):
        if obj == registry and opcode == 0:  # wl_registry.global: name, interface, version
            name, length = struct.unpack('<II', payload[:8])
            names[payload[8:8 + length - 1].decode()] = name
    wl.roundtrip(on_global)
    interface = 'zwlr_virtual_pointer_manager_v1'
    if interface not in names:
        raise SystemExit('the compositor offers no virtual pointer')
    manager = wl.new_id()
    wl.send(registry, 0, struct.pack('<I', names[interface]) + string(interface) + struct.pack('<II', 1, manager))
    pointer = wl.new_id()
    wl.send(manager, 0, struct.pack('<II', 0, pointer))  # create_virtual_pointer on the default seat
    wl.roundtrip()
    time.sleep(0.8)
    start = time.monotonic()
    args = sys.argv[3:]
    while args:
        command = args.pop(0)
        stamp = int((time.monotonic() - start) * 1000)
        if command == 'move':
            x, y = int(args.pop(0)), int(args.pop(0))
            wl.send(pointer, 1, struct.pack('<IIIII', stamp, x, y, width, height))  # motion_absolute
        elif command in ('press', 'release', 'rpress', 'rrelease'):
            button = BTN_RIGHT if command in ('rpress', 'rrelease') else BTN_LEFT
            wl.send(pointer, 2, struct.pack('<III', stamp, button, 1 if command.endswith('press') else 0))
        elif command == 'sleep':
            time.sleep(float(args.pop(0)))
            continue
        else:
            raise SystemExit('unknown command ' + command)
        wl.send(pointer, 4)  # frame
        wl.roundtrip()


main()
