#!/usr/bin/env python3
"""Builds the download-server tree that scripts/update-server serves, from the
sample catalogue:

  normal/version.xml                     application update description
  normal/zentaro-<version>-linux.tar.gz  the "installer" it offers to a build folder
  normal/zentaro_<version>_amd64.deb     the package it offers to an installed copy
  normal/velmora.db3                     the catalogue
  normal/<data>/<data>.zip               picture package per product
  normal/<data>/firmversion.xml          firmware update description
  normal/<data>/firmware-<version>.bin   the firmware it offers

(<data> is the product's productData in lower case.) Addresses inside the
description files are relative, so the tree works on any host and port.

With --sign-key KEY every description file, the catalogue and each package
get a detached Ed25519 signature beside them (NAME.sig), and each package
carries firmware.bin.sig, all made by `openssl pkeyutl -sign -rawin`.

With --unpack SERIAL --data-dir DIR it also unpacks the picture package of
product SERIAL into DIR/<productData>, the folder the program looks for.

Everything is deterministic: the same catalogue gives the same bytes.
"""

import argparse
import hashlib
import io
import os
import shutil
import sqlite3
import subprocess
import struct
import sys
import tarfile
import tempfile
import zipfile
import zlib

APP_VERSION = "1.1.3.0"
# The simulated keyboards leave the factory with 0x0105; the server offers
# the next one. The image names its version after the marker, as the
# simulated keyboard expects of a firmware image.
FIRMWARE_VERSION = 0x0106
IMAGE_MARKER = b"ZFW1"
FIXED_TIME = (2026, 1, 1, 0, 0, 0)

THEMES = {
    # background, case, key, key edge, accent
    "light": ((236, 239, 244), (200, 205, 214), (250, 251, 253), (170, 176, 188), (64, 128, 255)),
    "dark": ((24, 26, 32), (44, 48, 58), (66, 72, 86), (30, 33, 40), (0, 200, 255)),
}


# --- pictures ---------------------------------------------------------------------

class Canvas:
    def __init__(self, width, height, colour):
        self.w, self.h = width, height
        self.px = [bytearray(bytes(colour) * width) for _ in range(height)]

    def rect(self, x0, y0, x1, y1, colour, radius=0):
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.w, int(x1)), min(self.h, int(y1))
        c = bytes(colour)
        for y in range(y0, y1):
            row = self.px[y]
            inset = 0
            if radius:
                dy = min(y - y0, y1 - 1 - y)
                if dy < radius:
                    d = radius - dy
                    inset = radius - int((radius * radius - d * d) ** 0.5)
            a, b = x0 + inset, x1 - inset
            if a < b:
                row[a * 3:b * 3] = c * (b - a)

    def vgradient(self, top, bottom):
        for y in range(self.h):
            t = y / max(1, self.h - 1)
            c = bytes(int(top[i] + (bottom[i] - top[i]) * t) for i in range(3))
            self.px[y][:] = c * self.w

    def png(self):
        raw = b"".join(b"\x00" + bytes(row) for row in self.px)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", self.w, self.h, 8, 2, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def draw_keyboard(canvas, keys, box, theme, scale):
    """Keyboard case inside box (x, y, w, h) with its keys at scale."""
    _, case, key, edge, accent = THEMES[theme]
    x, y, w, h = box
    canvas.rect(x, y, x + w, y + h, case, radius=max(4, int(14 * scale)))
    if not keys:
        return
    min_x = min(k[0] for k in keys)
    min_y = min(k[1] for k in keys)
    max_x = max(k[0] + k[2] for k in keys)
    max_y = max(k[1] + k[3] for k in keys)
    ox = x + (w - (max_x - min_x) * scale) / 2 - min_x * scale
    oy = y + (h - (max_y - min_y) * scale) / 2 - min_y * scale
    for i, (kx, ky, kw, kh) in enumerate(keys):
        x0, y0 = ox + kx * scale, oy + ky * scale
        x1, y1 = x0 + kw * scale, y0 + kh * scale
        canvas.rect(x0, y0 + 1, x1, y1 + 1, edge, radius=max(1, int(4 * scale)))
        canvas.rect(x0, y0, x1, y1, accent if i == 0 else key, radius=max(1, int(4 * scale)))


def tile_picture(keys, picture, theme):
    bg, *_ = THEMES[theme]
    top = tuple(min(255, c + 12) for c in bg)
    canvas = Canvas(360, 200, bg)
    canvas.vgradient(top, bg)
    pw, ph = picture
    scale = min(320 / pw, 160 / ph)
    w, h = int(pw * scale), int(ph * scale)
    draw_keyboard(canvas, keys, ((360 - w) // 2, (200 - h) // 2, w, h), theme, scale)
    return canvas.png()


def keyboard_picture(keys, picture, theme):
    pw, ph = picture
    canvas = Canvas(pw, ph, THEMES[theme][0])
    draw_keyboard(canvas, keys, (0, 0, pw, ph), theme, 1.0)
    return canvas.png()


# --- files ------------------------------------------------------------------------

def firmware_file(serial):
    """40-byte header + image. Header: u16 identifier (the product number) at
    0, u32 image length at 4, u32 byte sum of the image at 8."""
    body = IMAGE_MARKER + struct.pack("<H", FIRMWARE_VERSION)
    body += bytes((serial * 7 + i * 13) & 0xFF for i in range(4096 - len(body)))
    header = struct.pack("<HHII", serial & 0xFFFF, 0, len(body), sum(body) & 0xFFFFFFFF)
    return header + bytes(40 - len(header)) + body


def firmware_version_text(version):
    def part(byte):
        digits = "%02X" % byte
        return digits[0] + "." + digits[1]
    return part(version >> 8) + "." + part(version & 0xFF)


def version_xml(version, description, md5, url, package=None):
    # The package's own elements have names older readers skip: they take the
    # last <url> and <md5> of the document.
    extra = ""
    if package is not None:
        extra = (f"  <packageMd5>{package[0]}</packageMd5>\n"
                 f"  <packageUrl>{package[1]}</packageUrl>\n")
    return ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<update>\n"
            f"  <version>{version}</version>\n"
            f"  <description>{description}</description>\n"
            f"  <md5>{md5}</md5>\n"
            f"  <url>{url}</url>\n{extra}</update>\n").encode("utf-8")


def signature(key, data):
    """Detached Ed25519 signature (64 bytes) of data, by openssl itself."""
    if key is None:
        return None
    # -rawin needs the whole message as a file of known size.
    with tempfile.NamedTemporaryFile() as message:
        message.write(data)
        message.flush()
        result = subprocess.run(["openssl", "pkeyutl", "-sign", "-rawin", "-inkey", key,
                                 "-in", message.name], capture_output=True, check=False)
    if result.returncode != 0 or len(result.stdout) != 64:
        sys.exit("makeservertree: signing failed: " + result.stderr.decode(errors="replace"))
    return result.stdout


def write_signed(path, data, key):
    write(path, data)
    if key is not None:
        write(path + ".sig", signature(key, data))


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def zip_bytes(files):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for name in sorted(files):
            info = zipfile.ZipInfo(name, FIXED_TIME)
            info.external_attr = 0o100644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, files[name])
    return out.getvalue()


def installer_bytes(version):
    out = io.BytesIO()
    text = (f"Zentaro {version}\n\nSample update package of the local download server.\n"
            "A real release would bring the program here.\n").encode("utf-8")
    with tarfile.open(fileobj=out, mode="w:gz", format=tarfile.USTAR_FORMAT) as tar:
        info = tarfile.TarInfo(f"zentaro-{version}/README.txt")
        info.size, info.mtime, info.mode = len(text), 1767225600, 0o644
        tar.addfile(info, io.BytesIO(text))
    # gzip stores a time stamp too: zero it for identical bytes every build.
    data = bytearray(out.getvalue())
    data[4:8] = b"\x00\x00\x00\x00"
    return bytes(data)


def deb_bytes(version):
    """A small Debian package (ar archive of debian-binary, control.tar.gz and
    an empty data.tar.gz), the same bytes every build."""
    def targz(files):
        out = io.BytesIO()
        with tarfile.open(fileobj=out, mode="w:gz", format=tarfile.USTAR_FORMAT) as tar:
            for name, data in files:
                info = tarfile.TarInfo(name)
                info.size, info.mtime, info.mode = len(data), 1767225600, 0o644
                tar.addfile(info, io.BytesIO(data))
        data = bytearray(out.getvalue())
        data[4:8] = b"\x00\x00\x00\x00"
        return bytes(data)

    control = (f"Package: zentaro\nVersion: {version}\nArchitecture: amd64\n"
               "Maintainer: Zentaro <zentaro@localhost>\n"
               "Description: sample package of the local download server\n").encode("utf-8")
    members = [("debian-binary", b"2.0\n"),
               ("control.tar.gz", targz([("./control", control)])),
               ("data.tar.gz", targz([]))]
    out = bytearray(b"!<arch>\n")
    for name, data in members:
        out += f"{name + '/':<16}{1767225600:<12}{0:<6}{0:<6}{'100644':<8}{len(data):<10}`\n".encode()
        out += data
        if len(data) % 2:
            out += b"\n"
    return bytes(out)


def products(catalogue):
    db = sqlite3.connect(catalogue)
    try:
        rows = db.execute("SELECT serialNumber, productName, productData, width, height "
                          "FROM product_table ORDER BY rowid").fetchall()
        result = []
        for serial, name, data, width, height in rows:
            keys = db.execute("SELECT left, top, width, height FROM key_position_table "
                              "WHERE serialNumber = ? AND flag ORDER BY keyItem",
                              (serial,)).fetchall()
            result.append({"serial": serial, "name": name, "data": data,
                           "picture": (width or 932, height or 344), "keys": keys})
        return result
    finally:
        db.close()


def package_files(product, key=None):
    files = {"firmware.bin": firmware_file(product["serial"])}
    if key is not None:
        files["firmware.bin.sig"] = signature(key, files["firmware.bin"])
    for theme in THEMES:
        files[f"{theme}/fireware_bg.png"] = tile_picture(product["keys"], product["picture"], theme)
        files[f"{theme}/keyboard_bg.png"] = keyboard_picture(product["keys"], product["picture"],
                                                             theme)
    return files


def build_tree(catalogue, out, key=None):
    normal = os.path.join(out, "normal")
    installer_name = f"zentaro-{APP_VERSION}-linux.tar.gz"
    installer = installer_bytes(APP_VERSION)
    write(os.path.join(normal, installer_name), installer)
    package_name = f"zentaro_{APP_VERSION}_amd64.deb"
    package = deb_bytes(APP_VERSION)
    write(os.path.join(normal, package_name), package)
    write_signed(os.path.join(normal, "version.xml"),
                 version_xml(APP_VERSION, "Sample release of the local download server.",
                             hashlib.md5(installer).hexdigest().upper(), installer_name,
                             (hashlib.md5(package).hexdigest().upper(), package_name)), key)
    with open(catalogue, "rb") as f:
        write_signed(os.path.join(normal, "velmora.db3"), f.read(), key)
    firmware_text = firmware_version_text(FIRMWARE_VERSION)
    for product in products(catalogue):
        name = product["data"].lower()
        folder = os.path.join(normal, name)
        write_signed(os.path.join(folder, name + ".zip"), zip_bytes(package_files(product, key)),
                     key)
        firmware = firmware_file(product["serial"])
        firmware_name = f"firmware-{firmware_text}.bin"
        write(os.path.join(folder, firmware_name), firmware)
        write_signed(os.path.join(folder, "firmversion.xml"),
                     version_xml(firmware_text, f"{product['name']} sample firmware {firmware_text}.",
                                 hashlib.md5(firmware).hexdigest().upper(), firmware_name), key)


def unpack(out, catalogue, serial, data_dir):
    match = [p for p in products(catalogue) if p["serial"] == serial]
    if not match:
        sys.exit(f"makeservertree: product {serial} is not in the catalogue")
    data = match[0]["data"]
    package = os.path.join(out, "normal", data.lower(), data.lower() + ".zip")
    target = os.path.join(data_dir, data)
    os.makedirs(data_dir, exist_ok=True)
    staging = target + ".unpacking"
    shutil.rmtree(staging, ignore_errors=True)
    with zipfile.ZipFile(package) as z:
        z.extractall(staging)
    shutil.rmtree(target, ignore_errors=True)
    os.replace(staging, target)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--catalogue", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--unpack", type=int, help="product number whose package to unpack")
    parser.add_argument("--data-dir", action="append", default=[],
                        help="folder that receives the unpacked package (repeatable)")
    parser.add_argument("--sign-key", help="Ed25519 private key (PEM) that signs the tree")
    args = parser.parse_args()
    build_tree(args.catalogue, args.out, args.sign_key)
    if args.unpack is not None:
        if not args.data_dir:
            sys.exit("makeservertree: --unpack needs --data-dir")
        for data_dir in args.data_dir:
            unpack(args.out, args.catalogue, args.unpack, data_dir)
    return 0


if __name__ == "__main__":
    sys.exit(main())
