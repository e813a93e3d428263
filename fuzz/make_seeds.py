#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets from the protocol's code table
and the test suite's own sample files. Run from the project root; the seeds
are committed, so the fuzz runs need nothing but this tree."""
import os
import re
import shutil

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, "fuzz", "corpus")
END, ESC = 0xC0, 0xDB


def frame(node, code, length, fill):
    body = [0x55, length, node, code] + [(fill + i * 37) & 0xFF for i in range(length - 4)]
    chk = 0
    for b in body[1:]:
        chk ^= b
    body[0] = chk
    return body


def stuff(body):
    out = [END]
    for b in body:
        out += [ESC, 0xDC] if b == END else [ESC, 0xDD] if b == ESC else [b]
    return out + [END]


def table():
    text = open(os.path.join(ROOT, "link", "DeviceCommands.cpp")).read()
    pat = re.compile(r'CommandInfo\{(\d), (0x[0-9A-F]+), "(\w+)", Direction::(\w+), (\d+)')
    return [(int(n), int(c, 16), name, d, int(l)) for n, c, name, d, l in pat.findall(text)]


def write(target, name, data):
    d = os.path.join(CORPUS, target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, name), "wb") as f:
        f.write(bytes(data))


def main():
    shutil.rmtree(CORPUS, ignore_errors=True)
    answers = [(n, c, name, l or 40) for n, c, name, d, l in table() if d != "ToUnit"]
    for i, (node, code, name, length) in enumerate(answers):
        one = stuff(frame(node, code, length, i))
        write("fuzz_frame_decoder", name.lower(), one)
        # Reads step through states 3 and 9 to 31; item 1 is the first of most tables.
        for state in (0, 3, 9 + i % 23):
            write("fuzz_receive_path", f"{name.lower()}-{state}", [state, 1] + one)
    write("fuzz_frame_decoder", "escapes", stuff([0x55, 8, 1, 0xA0, END, ESC, END, ESC]))
    write("fuzz_frame_decoder", "overlong", [END] + [0x11] * 220 + [END] + stuff(frame(1, 0x87, 12, 3)))
    for i, boot in enumerate([b">", b"!", b"@", b"!!!", b">!@!"]):
        write("fuzz_receive_path", f"boot-{i}", [0x80, 0] + list(boot) * 2)

    samples = {
        "fuzz_inifile": ["[Form]\r\nTop=10\r\nLeft=20\r\n\r\n[CONFIG]\r\nName = \" x \"\r\n; note\r\n",
                         "junk\n[A]\nk=v\n[a]\nk=w\nx\n"],
        "fuzz_settings_file": ["[INPUT]\r\nNAME1=Ignition\r\nTRIGGER1=192\r\n\r\n[OUTPUT]\r\n"
                               "NAME1=Lights\r\nON_TIME1=259\r\nDELAY1=300\r\nMAX_CURRENT1=150\r\n",
                               "[FLASH]\nNAME1=Beacon\n[SEQUENCE1]\nNAME=Wipe\n[CAN_EXPORT_1]\nID=1A0\n"],
        "fuzz_hexfile": [":020000040000FA\r\n:10000000000102030405060708090A0B0C0D0E0F78\r\n:00000001FF\r\n",
                         ":0200000200F00C\n:0400000001020304F2\n:00000001FF\n"],
        "fuzz_eeprom_image": ["0000:00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F;//. . . . \n",
                              "0FF0:41,42,43,44,45,46,47,48,49,4A,4B,4C,4D,4E,4F,50;//ABCDEFGHIJKLMNOP\r\n"],
    }
    samples["fuzz_calc"] = ["-2^2", "2*3^2", "  sqrt ( 16 ) * 2", "SIN(0", "XYZ(1)", "1/0", "10^400",
                            "(0-2)^0.5", "ARCCOS(0-0.5)", "RANDOM(10^30)", "a*2+j", "ROUND(2,5)+ROUND(3.5)",
                            "(" * 60 + "1" + ")" * 60]
    for target, texts in samples.items():
        for i, t in enumerate(texts):
            write(target, f"sample-{i}", t.encode("latin-1"))

    # Region blocks: a header and rectangles, each behind its byte count.
    import struct
    def block(rects):
        body = b"".join(struct.pack("<4i", *r) for r in rects)
        head = struct.pack("<4I4i", 32, 1, len(rects), len(body), 0, 0, 0, 0)
        return head + body
    for i, rects in enumerate([[], [(0, 0, 10, 10)], [(0, 0, 5, 2), (2, 2, 4, 6), (0, 6, 5, 8)]]):
        b = block(rects) if rects else b""
        write("fuzz_region_stream", f"region-{i}", struct.pack("<i", len(b)) + b)
    fixtures = os.path.join(ROOT, "tests", "widgets", "fixtures")
    for name in sorted(os.listdir(fixtures)):
        if name.endswith((".exe", ".dll")):
            with open(os.path.join(fixtures, name), "rb") as f:
                write("fuzz_version_resource", name, f.read())


if __name__ == "__main__":
    main()
