#!/usr/bin/env python3
"""Small NTP peers for the relay's end-to-end tests and benchmarks.

  ask   TARGET --from ADDR[,ADDR...] [--first-byte B[,B...]] [--timeout S] [--sent-file F]
        One client request from each source address, all sent back to back, then waits for
        the answers (the first bytes are taken in turn). Prints one line per client:
          answered FROM:PORT rtt_ms=R offset_ms=O stratum=S refid=ID originate=own|other bytes=HEX
          unanswered FROM:PORT
        Exits 0 when every client was answered, 1 otherwise. With --sent-file, writes that
        file once every request is out (so that a test can act while the clients wait).
  forge TARGET --from ADDR:PORT[,ADDR:PORT...]
        From each source, one 48-byte datagram shaped like a server's reply, recognisable by
        its reference id "FAKE" and its timestamps a year in the past.
  rtt   TARGET --from ADDR --count N [--timeout S]
        N requests one after the other; prints each round trip and their median, in ms.
  flood TARGET --from ADDR[,ADDR...] --rate R --seconds S
        R datagrams a second for S seconds (never more than R*S, and never past S+2 s), from
        several ports of each source address: short (1-47 bytes), long (49-1500 bytes) and
        48-byte requests (first byte 0x23, 0xE3, 0x1B or 0xDB). Prints what it sent and how
        many answers came back; SIGTERM ends it early, with that report.
  hold  PORT
        Holds UDP 0.0.0.0:PORT (prints "held") until ended.

TARGET is ADDRESS:PORT. Timestamps are NTP's: seconds since 1900 and a 32-bit fraction.
"""
import argparse
import random
import select
import signal
import socket
import statistics
import struct
import sys
import time

NTP_EPOCH_OFFSET = 2208988800  # seconds from 1900-01-01 to 1970-01-01
PACKET = 48


def ntp_now():
    """The current time as a 64-bit NTP timestamp (an int)."""
    ns = time.time_ns()
    seconds, rest = divmod(ns, 1_000_000_000)
    return ((seconds + NTP_EPOCH_OFFSET) << 32) | (rest * (1 << 32) // 1_000_000_000)


def ntp_to_seconds(stamp):
    return (stamp >> 32) - NTP_EPOCH_OFFSET + (stamp & 0xFFFFFFFF) / (1 << 32)


def target(text):
    address, port = text.rsplit(":", 1)
    return address, int(port)


def request(first_byte, transmit):
    """A client request: first byte, zeros, the transmit timestamp in bytes 40-47."""
    return bytes([first_byte]) + bytes(39) + struct.pack("!Q", transmit)


def bound_socket(address, port=0):
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind((address, port))
    return s


class Client:
    """One waiting client: its socket and the transmit timestamp it sent."""

    def __init__(self, source, first_byte):
        self.sock = bound_socket(source)
        self.first_byte = first_byte
        # Like real clients, a transmit timestamp of the current time whose low bits are
        # random: each client's own, so that a copy meant for another is recognised.
        self.transmit = (ntp_now() & ~0xFFFF) | random.getrandbits(16)
        self.t1 = self.t4 = None
        self.reply = None

    def send(self, to):
        self.t1 = time.time_ns()
        self.sock.sendto(request(self.first_byte, self.transmit), to)

    def describe(self):
        address, port = self.sock.getsockname()
        if self.reply is None:
            return f"unanswered {address}:{port}"
        r = self.reply
        stratum = r[1] if len(r) > 1 else -1
        refid = r[12:16].decode("latin-1") if stratum in (0, 1) else socket.inet_ntoa(r[12:16])
        originate = "own" if len(r) >= PACKET and struct.unpack("!Q", r[24:32])[0] == self.transmit else "other"
        offset = "nan"
        if len(r) >= PACKET:
            t2 = ntp_to_seconds(struct.unpack("!Q", r[32:40])[0])
            t3 = ntp_to_seconds(struct.unpack("!Q", r[40:48])[0])
            t1, t4 = self.t1 / 1e9, self.t4 / 1e9
            offset = f"{((t2 - t1) + (t3 - t4)) / 2 * 1000:+.3f}"
        rtt = (self.t4 - self.t1) / 1e6
        return (f"answered {address}:{port} rtt_ms={rtt:.3f} offset_ms={offset} stratum={stratum} "
                f"refid={refid} originate={originate} bytes={r.hex()}")


def wait_replies(clients, timeout):
    """Takes the first datagram each client receives, until all have one or time is up."""
    deadline = time.monotonic() + timeout
    waiting = {c.sock: c for c in clients}
    while waiting:
        left = deadline - time.monotonic()
        if left <= 0:
            break
        readable, _, _ = select.select(list(waiting), [], [], left)
        for s in readable:
            data = s.recv(2048)
            c = waiting.pop(s)
            c.t4 = time.time_ns()
            c.reply = data


def ask(args):
    to = target(args.target)
    sources = args.sources.split(",")
    firsts = [int(v, 0) for v in args.first_byte.split(",")]
    clients = [Client(source, firsts[i % len(firsts)]) for i, source in enumerate(sources)]
    for c in clients:
        c.send(to)
    if args.sent_file:
        with open(args.sent_file, "w") as f:
            f.write("sent\n")
    wait_replies(clients, args.timeout)
    for c in clients:
        print(c.describe(), flush=True)
    return 0 if all(c.reply is not None for c in clients) else 1


def forge(args):
    year_ago = ntp_now() - (365 * 86400 << 32)
    stamp = struct.pack("!Q", year_ago)
    datagram = (bytes([0x24, 1, 6, 0xEC]) + bytes(8) + b"FAKE" + stamp * 4)
    assert len(datagram) == PACKET
    for source in args.sources.split(","):
        address, port = target(source)
        with bound_socket(address, port) as s:
            s.sendto(datagram, target(args.target))
        print(f"forged {address}:{port} bytes={datagram.hex()}")
    return 0


def rtt(args):
    to = target(args.target)
    times = []
    for _ in range(args.count):
        c = Client(args.source, 0x23)
        c.send(to)
        wait_replies([c], args.timeout)
        c.sock.close()
        if c.reply is None:
            print("rtt lost")
            continue
        times.append((c.t4 - c.t1) / 1e6)
        print(f"rtt {times[-1]:.3f}")
    if not times:
        print("median none")
        return 1
    print(f"median {statistics.median(times):.3f} answered {len(times)} of {args.count}")
    return 0


class FloodMix:
    """The flood's datagrams, from a pool made once: a third short, a third long (up to an
    Ethernet frame's payload and a little beyond), a third 48-byte requests of each first
    byte a client might send, of which only 0x23 and 0xE3 are version-4 client requests."""

    KINDS = ("short", "long", "0x23", "0xE3", "0x1B", "0xDB")

    def __init__(self, size=3000):
        rng = random.Random(123)
        self.pool = []
        for i in range(size):
            kind = i % 3
            if kind == 0:
                data = bytes([rng.choice((0x23, 0xE3, rng.randrange(256)))]) + \
                    rng.randbytes(rng.randint(1, 47) - 1)
                self.pool.append(("short", data))
            elif kind == 1:
                data = bytes([rng.choice((0x23, 0xE3, rng.randrange(256)))]) + \
                    rng.randbytes(rng.randint(49, 1500) - 1)
                self.pool.append(("long", data))
            else:
                first = rng.choice((0x23, 0xE3, 0x1B, 0xDB))
                self.pool.append((f"0x{first:02X}", request(first, rng.getrandbits(64))))


def flood(args):
    to = target(args.target)
    sources = args.sources.split(",")
    per_source = 4
    mix = FloodMix()
    limit = args.rate * args.seconds
    sent = {k: 0 for k in FloodMix.KINDS}
    failed = answers = 0

    def open_sockets():
        socks = []
        for source in sources:
            for _ in range(per_source):
                s = bound_socket(source)
                s.setblocking(False)
                socks.append(s)
        return socks

    def drain(socks):
        nonlocal answers
        for s in socks:
            while True:
                try:
                    s.recv(2048)
                    answers += 1
                except (BlockingIOError, InterruptedError):
                    break

    socks = open_sockets()
    start = time.monotonic()
    hard_stop = start + args.seconds + 2
    renewed = start
    total = 0
    stopped = []  # SIGTERM ends the flood early, with its report
    signal.signal(signal.SIGTERM, lambda *_: stopped.append(True))
    while total < limit and not stopped:
        now = time.monotonic()
        if now >= hard_stop:
            break
        # A fresh set of ports every second: the relay sees many senders, not a few.
        if now - renewed >= 1:
            drain(socks)
            for s in socks:
                s.close()
            socks = open_sockets()
            renewed = now
        due = min(limit, int((now - start) * args.rate) + 1)
        while total < due:
            kind, data = mix.pool[total % len(mix.pool)]
            try:
                socks[total % len(socks)].sendto(data, to)
                sent[kind] += 1
            except OSError:
                failed += 1
            total += 1
        drain(socks)
        time.sleep(0.005)
    elapsed = time.monotonic() - start
    # Answers still on their way.
    time.sleep(0.5)
    drain(socks)
    parts = " ".join(f"{k}={v}" for k, v in sent.items())
    print(f"flood sent={sum(sent.values())} failed={failed} seconds={elapsed:.1f} {parts} "
          f"answers={answers}")
    return 0


def hold(args):
    s = bound_socket("0.0.0.0", args.port)
    print("held", flush=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    while True:
        s.recv(2048)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("ask")
    p.add_argument("target")
    p.add_argument("--from", dest="sources", required=True)
    p.add_argument("--first-byte", default="0x23")
    p.add_argument("--timeout", type=float, default=10)
    p.add_argument("--sent-file")
    p.set_defaults(run=ask)
    p = sub.add_parser("forge")
    p.add_argument("target")
    p.add_argument("--from", dest="sources", required=True)
    p.set_defaults(run=forge)
    p = sub.add_parser("rtt")
    p.add_argument("target")
    p.add_argument("--from", dest="source", required=True)
    p.add_argument("--count", type=int, default=20)
    p.add_argument("--timeout", type=float, default=6)
    p.set_defaults(run=rtt)
    p = sub.add_parser("flood")
    p.add_argument("target")
    p.add_argument("--from", dest="sources", required=True)
    p.add_argument("--rate", type=int, default=10000)
    p.add_argument("--seconds", type=int, default=30)
    p.set_defaults(run=flood)
    p = sub.add_parser("hold")
    p.add_argument("port", type=int)
    p.set_defaults(run=hold)
    args = parser.parse_args()
    return args.run(args)


if __name__ == "__main__":
    sys.exit(main())
