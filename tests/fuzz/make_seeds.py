#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into tests/fuzz/corpus/<target>/.

The seeds come from the sample model family (models/: the profiles, language files, version
and troubleshooting files and the values they hold) and, for the SNMP targets, from the
datagrams that net-snmp's snmpd exchanges with net-snmp's own tools when it plays the sample
printer (tests/wine/snmp/printer-agent.conf): a relay on loopback records every datagram in
both directions. Run it from anywhere; it replaces the corpora it writes.
"""
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
MODELS = os.path.join(ROOT, "models")
CORPUS = os.path.join(ROOT, "tests", "fuzz", "corpus")
SEPARATOR = b"\n====\n"


def model(name):
    with open(os.path.join(MODELS, name), "rb") as f:
        return f.read()


def text_of(raw):
    """The text of a model file: UTF-16LE after its mark, else Windows-1252."""
    if raw.startswith(b"\xff\xfe"):
        return raw[2:].decode("utf-16-le")
    return raw.decode("cp1252")


def values(raw, pattern):
    """The values of the keys whose names match `pattern`, in file order."""
    found = []
    for line in text_of(raw).splitlines():
        key, eq, value = line.partition("=")
        if eq and re.fullmatch(pattern, key.strip()):
            found.append(value.strip())
    return found


class Corpus:
    def __init__(self, target):
        self.dir = os.path.join(CORPUS, target)
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        self.count = 0

    def add(self, name, data):
        self.count += 1
        with open(os.path.join(self.dir, "%02d-%s" % (self.count, name)), "wb") as f:
            f.write(data)


def cp1252(s):
    return s.encode("cp1252", errors="replace")


def utf16(s):
    return b"\xff\xfe" + s.encode("utf-16-le")


# --- devmode -------------------------------------------------------------------------------
def record(signature=b"TFSM", size=2404, fields=b""):
    body = struct.pack("<I", size) + signature + struct.pack("<Ii", 1, 42)
    body += fields
    return body + bytes(2404 - len(body))


def devmode():
    c = Corpus("devmode")
    settings = struct.pack("<H", 9) + "jdoe".encode("utf-16-le").ljust(40, b"\0")
    settings += "Quarterly report".encode("utf-16-le").ljust(128, b"\0")
    settings += "1234".encode("utf-16-le").ljust(16, b"\0")
    ours = record(fields=settings)
    foreign = record(signature=b"PRIV", size=600)
    short = record(size=200)
    # mode, layout, shift, claim kind, claim byte, model, language; then the buffers.
    for name, head, buffers in [
        ("convert-copy", (3, 0, 0, 0, 0, 0, 0x0409), ours + bytes(64) + ours),
        ("convert-foreign", (3, 0, 0, 0, 0, 1, 0x0407), ours + bytes(64) + foreign),
        ("merge-same-buffer", (4, 1, 0, 0, 0, 0, 0x0809), ours),
        ("merge-overlap", (4, 2, 100, 0, 0, 2, 0x0C0C), ours + ours),
        ("convert-overlap-before", (3, 3, 300, 1, 20, 0, 0x0411), ours + ours),
        ("convert-short-input", (3, 0, 0, 0, 0, 0, 0x0409), ours + bytes(64) + short),
        ("default-small-buffer", (2, 0, 0, 2, 3, 3, 0x0409), ours),
        ("direct-convert-same", (3, 0x11, 0, 0, 0, 0, 0x1409), ours),
        ("direct-merge-overlap", (4, 0x12, 7, 0, 0, 2, 0x0C09), ours + ours),
        ("size", (1, 0, 0, 0, 0, 0, 0), b""),
    ]:
        mode, layout, shift, kind, byte, which, lang = head
        c.add(name, struct.pack("<BBHBBBH", mode, layout, shift, kind, byte, which, lang) + buffers)


# --- profiles ------------------------------------------------------------------------------
def profile_files():
    c = Corpus("profile_reader")
    for name in sorted(os.listdir(MODELS)):
        if name.endswith((".INI", ".VER", ".hin", ".DAT")):
            c.add(name, model(name))
    data = os.path.join(ROOT, "tests", "data", "profiles")
    for name in sorted(os.listdir(data)):
        if name.endswith(".ini"):
            with open(os.path.join(data, name), "rb") as f:
                c.add(name, f.read())
    c.add("nul-bytes.ini", b"[Common]\r\nCaption=Talen\0Hidden\r\n[Com\0mon]\r\nKey\0=1\r\n")
    c.add("utf16be.ini", b"\xfe\xff" + "[Common]\r\nTestPages=1,2\r\n".encode("utf-16-be"))

    c = Corpus("profile_values")
    c.add("CVLC5", model("CVLC5u.INI") + SEPARATOR + model("CVLC5EN.DAT"))
    c.add("CVLM2", model("CVLM2u.INI") + SEPARATOR + model("CVLM2.DAT"))
    c.add("CVLC5-pages", model("CVLC5u.INI").replace(b"[OEMFiles]", b"[TABNUMBER]\r\nTabNumber=3\r\n"
                                                     b"Tab0=1\r\nTab1=12\r\nTab2=12\r\n[OEMFiles]"))


def value_parsers():
    c = Corpus("value_parsers")
    profiles = [model("CVLC5u.INI"), model("CVLM2u.INI")]
    for parser, pattern in [(0, r"JobSetting\w+"), (1, r"\w+Customs"),
                            (2, r"GraphicsSmartCMS\d+"), (3, r"TestPages")]:
        seen = set()
        for raw in profiles:
            for value in values(raw, pattern):
                if value not in seen:
                    seen.add(value)
                    c.add("parser%d" % parser, bytes([parser, 1]) + cp1252(value))
    c.add("list-utf16", bytes([0, 0]) + utf16("1,\u0663 ;2:\t6"))
    c.add("customs-signs", bytes([1, 0]) + cp1252("+1000,-2159,1480,3556"))


# --- texts of the dialogs ------------------------------------------------------------------
def text_format():
    c = Corpus("text_format")
    formats = set()
    for name in ("CVLC5EN.DAT", "CVLC5GR.DAT", "CVLM2.DAT"):
        for value in values(model(name), r".+"):
            if "%" in value:
                formats.add(value)
    for value in sorted(formats):
        # Two signed arguments: the passcode lengths.
        head = bytes([2, 0, 2]) + bytes([0]) + struct.pack("<q", 4) + bytes([0]) + struct.pack("<q", 8)
        c.add("dat", head + cp1252(value))
    c.add("text-args", bytes([3, 0x40, 0, 2]) + bytes(9) + bytes([1]) + struct.pack("<Q", 255) +
          bytes([0]) + struct.pack("<q", -7) + b"%s|%08x|%-5d|%c|%%|%n" + SEPARATOR + b"abc")


def about_details():
    c = Corpus("about_details")
    for brand, dat, ver in [(1, "CVLC5EN.DAT", "CVLC5.VER"), (0, "CVLM2.DAT", "CVLM2.VER")]:
        for line in values(model(dat), r"M_Info\d+"):
            c.add("line", bytes([brand]) + cp1252(line) + SEPARATOR + model(ver))
    c.add("percent-value", bytes([1]) + b"Version %s" + SEPARATOR + b"[Version]\r\nMainVersion=%s%d%n\r\n")


def link_address():
    c = Corpus("link_address")
    links = set()
    for name in ("CVLC5EN.DAT", "CVLC5GR.DAT", "CVLM2.DAT"):
        links.update(values(model(name), r"Ref_URL_\d"))
    for link in sorted(links):
        c.add("link", cp1252(link) + SEPARATOR + b"127.0.0.1")
    c.add("two-templates", b"http://%s/http://%s%d" + SEPARATOR + b"printer%s.example")


def pjl_job():
    c = Corpus("pjl_job")
    source = open(os.path.join(ROOT, "src", "ui", "diagnostic_pages.h"), encoding="utf-8").read()
    for command in re.findall(r'u"(@PJL [^"]*)"', source):
        c.add("command", command.encode("ascii") + SEPARATOR + bytes([5, 0xEF]))
    c.add("failing-spooler", b"@PJL TEST PRINT=CONFIG" + SEPARATOR + bytes([3, 0, 4]))
    c.add("long-command", b"@PJL " + b"A" * 300 + SEPARATOR + bytes([0xF7]))


def paste_decision():
    c = Corpus("paste_decision")
    for name, head, text in [
        ("name", (0, 0, 0, 0), b"jdoe"),
        ("digits", (1, 1, 4, 8), b"1234"),
        ("account-id", (2, 0, 0, 0), b"j.doe@corvel_1-x"),
        ("password", (3, 1, 4, 32), b"Pa$$w0rd~!"),
        ("slash", (0, 0, 0, 0), b"a/b\0c"),
    ]:
        filter_, known, low, high = head
        c.add(name, struct.pack("<BBhhI", filter_, known, low, high, len(text) + 1) + text + b"\0")


# --- SNMP ----------------------------------------------------------------------------------
def capture_datagrams():
    """Datagrams between net-snmp's tools and snmpd playing the sample printer."""
    work = tempfile.mkdtemp(prefix="cvl-seeds-")
    conf = os.path.join(ROOT, "tests", "wine", "snmp", "printer-agent.conf")
    started = subprocess.run(
        ["bash", "-c", 'source "$1"; snmp_agent_start "$2" v2c "$3" >&2 || exit 1; '
         'echo "$agent_port $agent_pid"', "seeds", os.path.join(ROOT, "tools", "snmp-agent.sh"),
         conf, work], capture_output=True, text=True)
    if started.returncode != 0:
        sys.exit("cannot start snmpd: " + started.stderr)
    port, pid = (int(x) for x in started.stdout.split())
    relay = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    relay.bind(("127.0.0.1", 0))
    upstream = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    upstream.bind(("127.0.0.1", 0))
    upstream.settimeout(2)
    captured = []
    stop = threading.Event()

    def serve():
        relay.settimeout(0.2)
        while not stop.is_set():
            try:
                request, client = relay.recvfrom(65536)
            except socket.timeout:
                continue
            captured.append(("request", request))
            upstream.sendto(request, ("127.0.0.1", port))
            try:
                response, _ = upstream.recvfrom(65536)
            except socket.timeout:
                continue
            captured.append(("response", response))
            relay.sendto(response, client)

    thread = threading.Thread(target=serve)
    thread.start()
    target = "127.0.0.1:%d" % relay.getsockname()[1]
    tools = ["-t", "1", "-r", "0", "-On", target]
    try:
        for version in ("-v2c", "-v1"):
            subprocess.run(["snmpget", version, "-c", "public"] + tools +
                           [".1.3.6.1.2.1.25.2.2.0", ".1.3.6.1.2.1.1.3.0"], capture_output=True)
            subprocess.run(["snmpget", version, "-c", "public"] + tools + [".1.3.6.1.2.1.43.8.2.1.9.1.7"],
                           capture_output=True)
            for column in (".1.3.6.1.2.1.25.3.2.1.2", ".1.3.6.1.2.1.43.8.2.1.2",
                           ".1.3.6.1.2.1.43.13.4.1.9", ".1.3.6.1.2.1.43.30.1.1.2"):
                subprocess.run(["snmpwalk", version, "-c", "public", "-Cc"] + tools + [column],
                               capture_output=True)
            subprocess.run(["snmpgetnext", version, "-c", "public"] + tools + [".1.3.6.1.4.1.8072.9999.9999.1.0"],
                           capture_output=True)
    finally:
        stop.set()
        thread.join()
        subprocess.run(["kill", str(pid)])
        shutil.rmtree(work, ignore_errors=True)
    return captured


def snmp_message(captured):
    c = Corpus("snmp_message")
    seen = set()
    for kind, datagram in captured:
        if datagram not in seen:
            seen.add(datagram)
            c.add(kind, datagram)
    print("snmp_message: %d datagrams captured, %d kept" % (len(captured), len(seen)))


def snmp_agent():
    c = Corpus("snmp_agent")
    columns = {
        ".1.3.6.1.2.1.25.2.2": 0, ".1.3.6.1.2.1.25.3.2.1.2": 1, ".1.3.6.1.2.1.43.8.2.1.2": 2,
        ".1.3.6.1.2.1.43.8.2.1.9": 3, ".1.3.6.1.2.1.43.9.2.1.2": 4, ".1.3.6.1.2.1.43.13.4.1.9": 5,
        ".1.3.6.1.2.1.43.30.1.1.2": 6,
    }
    entries = b""
    with open(os.path.join(ROOT, "tests", "wine", "snmp", "printer-agent.conf")) as f:
        for line in f:
            parts = line.split()
            if len(parts) != 4 or parts[0] != "override":
                continue
            name, kind, value = parts[1:]
            for column, index in sorted(columns.items(), key=lambda kv: -len(kv[0])):
                if name.startswith(column + "."):
                    arcs = [int(a) for a in name[len(column) + 1:].split(".")]
                    entries += bytes([index, len(arcs) - 1]) + bytes(arcs)
                    if kind == "integer":
                        entries += bytes([0]) + struct.pack("<Q", int(value)) + bytes([0])
                    else:  # object_id: an hrDeviceTypes value
                        entries += bytes([1, 7, int(value.rsplit(".", 1)[1])])
                    break
    # asked, standard inputs and outputs, large tray capacity, retries, timeout, manner,
    # delay, answers; the objects; spoilers; a stray datagram.
    head = struct.pack("<BBBHBBBBB", 0x3F, 1, 1, 0, 1, 95, 0, 1, 0xFF)
    c.add("printer", head + entries)
    c.add("v1-only", head[:7] + bytes([1]) + head[8:] + entries)
    c.add("spoilt", head + entries + SEPARATOR + bytes([1, 2, 3, 4, 5, 6, 7, 0x2C]) + SEPARATOR +
          b"\x30\x03\x02\x01\x00")
    c.add("large-tray", struct.pack("<BBBHBBBBB", 0x01, 1, 1, 500, 0, 5, 0, 1, 0xFF) + entries)


def main():
    devmode()
    profile_files()
    value_parsers()
    text_format()
    about_details()
    link_address()
    pjl_job()
    paste_decision()
    snmp_message(capture_datagrams())
    snmp_agent()


if __name__ == "__main__":
    main()
