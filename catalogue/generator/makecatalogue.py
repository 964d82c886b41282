#!/usr/bin/env python3
"""Builds the sample product catalogue (velmora.db3) from layout descriptions.

Usage: makecatalogue.py --out <file.db3> --version <YYYYMMDD> <product.json>...

Each product file describes its picture size, its key rows and the keys whose
Fn-layer function differs from the normal layer; see README.md beside this
script for the format. Key functions are named after the keyboard's key
catalogue (FUNCTIONS below), so the factory maps carry real codes.
"""

import argparse
import json
import os
import sqlite3
import sys

# --- key functions: name -> (type, hValue, lValue, label) -------------------

FUNCTIONS = {}


def _define(name, type_, code, label):
    FUNCTIONS[name] = (type_, (code >> 8) & 0xFF, code & 0xFF, label)


# type 0: modifiers, one bit each
for _name, _bit, _label in [
    ("LCtrl", 0x01, "Left Ctrl"), ("LShift", 0x02, "Left Shift"), ("LAlt", 0x04, "Left Alt"),
    ("LWin", 0x08, "Left Win"), ("RCtrl", 0x10, "Right Ctrl"), ("RShift", 0x20, "Right Shift"),
    ("RAlt", 0x40, "Right Alt"), ("RWin", 0x80, "Right Win"),
]:
    _define(_name, 0, _bit, _label)

# type 1: Keyboard/Keypad usages
for _i, _c in enumerate("ABCDEFGHIJKLMNOPQRSTUVWXYZ"):
    _define(_c, 1, 0x04 + _i, _c)
for _i, (_name, _label) in enumerate([
    ("1", "!1"), ("2", "@2"), ("3", "#3"), ("4", "$4"), ("5", "%5"),
    ("6", "^6"), ("7", "&7"), ("8", "*8"), ("9", "(9"), ("0", ")0"),
]):
    _define(_name, 1, 0x1E + _i, _label)
for _name, _code, _label in [
    ("Enter", 0x28, "Enter"), ("Esc", 0x29, "Esc"), ("Backspace", 0x2A, "Back Space"),
    ("Tab", 0x2B, "Tab"), ("Space", 0x2C, "Space"), ("Minus", 0x2D, "-_"),
    ("Equal", 0x2E, "+="), ("LBracket", 0x2F, "{["), ("RBracket", 0x30, "}]"),
    ("Backslash", 0x31, "|\\"), ("NonUSPound", 0x32, "NonUSPound"),
    ("Semicolon", 0x33, ":;"), ("Quote", 0x34, "\"'"), ("Grave", 0x35, "~`"),
    ("Comma", 0x36, "<,"), ("Period", 0x37, ">."), ("Slash", 0x38, "?/"),
    ("CapsLock", 0x39, "CapsLock"), ("PrtSc", 0x46, "Prtsc"), ("ScrLk", 0x47, "LOCK"),
    ("Pause", 0x48, "PAUSE"), ("Insert", 0x49, "Insert"), ("Home", 0x4A, "Home"),
    ("PgUp", 0x4B, "PgUp"), ("Del", 0x4C, "Del"), ("End", 0x4D, "End"),
    ("PgDn", 0x4E, "PgDn"), ("Right", 0x4F, "Right"), ("Left", 0x50, "Left"),
    ("Down", 0x51, "Down"), ("Up", 0x52, "Up"), ("NumLock", 0x53, "Num Lock"),
    ("NumSlash", 0x54, "/"), ("NumStar", 0x55, "*"), ("NumMinus", 0x56, "-"),
    ("NumPlus", 0x57, "+"), ("NumEnter", 0x58, "Enter"), ("NumDot", 0x63, "./Del"),
    ("Menu", 0x65, "Menu"),
]:
    _define(_name, 1, _code, _label)
for _i in range(12):
    _define("F%d" % (_i + 1), 1, 0x3A + _i, "F%d" % (_i + 1))
for _i in range(9):
    _define("Num%d" % (_i + 1), 1, 0x59 + _i, str(_i + 1))
_define("Num0", 1, 0x62, "0")

# type 2: Consumer page usages
for _name, _code, _label in [
    ("MediaPlayer", 0x183, "Player"), ("VolumeUp", 0x0E9, "Volume+"),
    ("VolumeDown", 0x0EA, "Volume-"), ("Mute", 0x0E2, "Mute"), ("Play", 0x0CD, "Play"),
    ("StopPlay", 0x0B7, "Stop"), ("PrevTrack", 0x0B6, "Prev"), ("NextTrack", 0x0B5, "Next"),
    ("ScreenUp", 0x06F, "Screen+"), ("ScreenDown", 0x070, "Screen-"),
    ("BrowserHome", 0x223, "Web Home"), ("BrowserRefresh", 0x227, "Refresh"),
    ("BrowserStop", 0x226, "Web Stop"), ("BrowserBack", 0x0B4, "Back"),
    ("BrowserForward", 0x0B3, "Forward"), ("Favorites", 0x222, "Favorites"),
    ("Search", 0x221, "Search"), ("MyComputer", 0x194, "Computer"),
    ("Calculator", 0x192, "Calculator"), ("Mail", 0x18A, "Mail"),
]:
    _define(_name, 2, _code, _label)

# type 5: functions handled by the keyboard itself
for _name, _code, _label in [
    ("RgbNext", 239, "Effect+"), ("RgbPrev", 238, "Effect-"), ("RgbCycle", 237, "Effect Cycle"),
    ("HueUp", 236, "Hue+"), ("HueDown", 235, "Hue-"), ("LightUp", 234, "Light+"),
    ("LightDown", 233, "Light-"), ("SpeedUp", 232, "Speed+"), ("SpeedDown", 231, "Speed-"),
    ("LightOff", 230, "Bright Off"), ("WebMode", 242, "Web"), ("Wireless24G", 243, "2.4G"),
    ("BT3", 244, "BT3"), ("BT2", 245, "BT2"), ("BT1", 246, "BT1"), ("Fn", 254, "Fn"),
    ("Fn2", 253, "Fn2"), ("Fn3", 252, "Fn3"), ("MacMode", 251, "Mac"), ("WinMode", 250, "Win"),
    ("ProfileNext", 223, "PF+"), ("ProfilePrev", 222, "PF-"), ("WinLock", 249, "Win Lock"),
    ("FactoryReset", 248, "Reset"), ("Calibrate", 247, "Calibrate"),
]:
    _define(_name, 5, _code, _label)

SCHEMA = [
    "CREATE TABLE product_table (serialNumber INT PRIMARY KEY NOT NULL UNIQUE, "
    "vendorId INT NOT NULL, productId INT NOT NULL, interface INT NOT NULL, "
    "productName VARCHAR(60) NOT NULL, productData VARCHAR(60) NOT NULL, "
    "triggerMin INT NOT NULL, triggerMax INT NOT NULL, qttMin INT NOT NULL, "
    "qttMax INT NOT NULL, qrtMin INT NOT NULL, qrtMax INT NOT NULL, width INT NOT NULL, "
    "height INT NOT NULL, strCol VARCHAR(60) NOT NULL)",
    "CREATE TABLE device_table (serialNumber INT PRIMARY KEY NOT NULL UNIQUE, "
    "vendorId INT NOT NULL, productId INT NOT NULL, interface INT NOT NULL, "
    "version INT NOT NULL, manufacturer VARCHAR(60) NOT NULL, productStr TEXT(60) NOT NULL, "
    "path VARCHAR(100) NOT NULL)",
    "CREATE TABLE key_position_table (id INTEGER PRIMARY KEY, serialNumber INT NOT NULL, "
    "keyItem INT NOT NULL, posItem INT NOT NULL, flag BOOL NOT NULL, row INT NOT NULL, "
    "col INT NOT NULL, left INT NOT NULL, top INT NOT NULL, width INT NOT NULL, "
    "height INT NOT NULL)",
    "CREATE TABLE keyboard_default_table (id INTEGER PRIMARY KEY, serialNumber INT NOT NULL, "
    "keyItem INT NOT NULL, type INT NOT NULL, hValue INT NOT NULL, lValue INT NOT NULL, "
    "label VARCHAR(20) NOT NULL)",
    "CREATE TABLE keyboard_default_fn1_table (id INTEGER PRIMARY KEY, serialNumber INT NOT NULL, "
    "keyItem INT NOT NULL, type INT NOT NULL, hValue INT NOT NULL, lValue INT NOT NULL, "
    "label VARCHAR(20) NOT NULL)",
    # One row: the catalogue's version. The program keeps whichever of the
    # user's downloaded copy and the installed one is newer; a catalogue
    # without this table counts as the oldest.
    "CREATE TABLE version_table (version INT NOT NULL)",
]


class LayoutError(Exception):
    pass


def number(value):
    """Accepts 1234 or "0x04D2"."""
    return int(value, 0) if isinstance(value, str) else int(value)


def parse_token(token):
    """'Name', 'Name:1.5', 'Name:1x2' (width x height in units), '+0.25' (gap),
    '@15.25' (jump to x), '^Name' (second key number on the previous position)."""
    if token.startswith("+"):
        return ("gap", float(token[1:]))
    if token.startswith("@"):
        return ("jump", float(token[1:]))
    shared = token.startswith("^")
    if shared:
        token = token[1:]
    name, _, size = token.partition(":")
    width, height = 1.0, 1.0
    if size:
        w, _, h = size.partition("x")
        width = float(w)
        height = float(h) if h else 1.0
    return ("shared" if shared else "key", name, width, height)


def build_keys(product):
    """Returns the key records in key-number order, each a dict."""
    unit = float(product["unit"])
    spacing = int(product.get("spacing", 4))
    pic_w, pic_h = product["picture"]
    rows = product["rows"]

    placed = []  # (row, col, name, x, y, w, h) in units
    for row_index, row in enumerate(rows):
        x = 0.0
        y = float(row["y"])
        col = 0
        for token in row["keys"].split():
            kind = parse_token(token)
            if kind[0] == "gap":
                x += kind[1]
            elif kind[0] == "jump":
                x = kind[1]
            elif kind[0] == "shared":
                if not placed or placed[-1]["row"] != row_index:
                    raise LayoutError("'^%s' has no key before it in its row" % kind[1])
                prev = placed[-1]
                placed.append(dict(prev, name=kind[1], shared=True, col=col))
                col += 1
            else:
                _, name, w, h = kind
                placed.append({"row": row_index, "col": col, "name": name, "x": x, "y": y,
                               "w": w, "h": h, "shared": False})
                x += w
                col += 1

    span_w = max(k["x"] + k["w"] for k in placed) * unit
    span_h = max(k["y"] + k["h"] for k in placed) * unit
    off_x = (pic_w - span_w) / 2.0
    off_y = (pic_h - span_h) / 2.0
    if off_x < 0 or off_y < 0:
        raise LayoutError("layout %.0f x %.0f does not fit the %d x %d picture"
                          % (span_w, span_h, pic_w, pic_h))

    keys = []
    names = set()
    pos_item = -1
    for key_item, k in enumerate(placed):
        if k["name"] in names:
            raise LayoutError("key name '%s' used twice" % k["name"])
        names.add(k["name"])
        if not k["shared"]:
            pos_item += 1
        keys.append({
            "keyItem": key_item,
            "posItem": pos_item,
            "flag": 0 if k["shared"] else 1,
            "row": k["row"],
            "col": k["col"],
            "left": int(round(off_x + k["x"] * unit)) + spacing // 2,
            "top": int(round(off_y + k["y"] * unit)) + spacing // 2,
            "width": int(round(k["w"] * unit)) - spacing,
            "height": int(round(k["h"] * unit)) - spacing,
            "name": k["name"],
        })
    if len(keys) > 255:
        raise LayoutError("more than 255 keys")
    return keys


def function_of(name, where):
    base = name.split("#")[0]  # 'Name#2' lets a function sit on two keys
    if base not in FUNCTIONS:
        raise LayoutError("%s: unknown key function '%s'" % (where, base))
    return FUNCTIONS[base]


def write_product(db, product, source):
    serial = number(product["serialNumber"])
    keys = build_keys(product)
    pic_w, pic_h = product["picture"]
    trig = product["trigger"]
    qtt = product["qtt"]
    qrt = product["qrt"]
    per_row = {}
    for k in keys:
        if k["flag"]:
            per_row[k["row"]] = per_row.get(k["row"], 0) + 1
    str_col = ",".join(str(per_row[r]) for r in sorted(per_row))

    db.execute("INSERT INTO product_table VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
               (serial, number(product["vendorId"]), number(product["productId"]),
                number(product["interface"]), product["productName"],
                product["productData"], trig[0], trig[1], qtt[0], qtt[1], qrt[0], qrt[1],
                pic_w, pic_h, str_col))

    fn_layer = product.get("fn", {})
    names = {k["name"] for k in keys}
    for name in fn_layer:
        if name not in names:
            raise LayoutError("%s: Fn layer names unknown key '%s'" % (source, name))

    for k in keys:
        db.execute("INSERT INTO key_position_table (serialNumber, keyItem, posItem, flag, row, "
                   "col, left, top, width, height) VALUES (?,?,?,?,?,?,?,?,?,?)",
                   (serial, k["keyItem"], k["posItem"], k["flag"], k["row"], k["col"],
                    k["left"], k["top"], k["width"], k["height"]))
        normal = function_of(k["name"], source)
        # Keys the Fn layer does not redefine keep their normal function there.
        fn = function_of(fn_layer[k["name"]], source) if k["name"] in fn_layer else normal
        for table, binding in (("keyboard_default_table", normal),
                               ("keyboard_default_fn1_table", fn)):
            db.execute("INSERT INTO %s (serialNumber, keyItem, type, hValue, lValue, label) "
                       "VALUES (?,?,?,?,?,?)" % table, (serial, k["keyItem"]) + binding)

    device = product.get("device")
    if device:
        db.execute("INSERT INTO device_table VALUES (?,?,?,?,?,?,?,?)",
                   (serial, number(product["vendorId"]), number(product["productId"]),
                    number(product["interface"]), number(device["version"]),
                    device["manufacturer"], device["productStr"], device.get("path", "")))


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True)
    parser.add_argument("--version", required=True, type=int,
                        help="positive and raised with every change of the products")
    parser.add_argument("products", nargs="+")
    args = parser.parse_args(argv)
    if args.version <= 0:
        print("makecatalogue: --version must be positive", file=sys.stderr)
        return 1

    out_dir = os.path.dirname(os.path.abspath(args.out))
    os.makedirs(out_dir, exist_ok=True)
    # Written aside and moved in place, so an interrupted run never leaves a
    # half-filled catalogue behind.
    temp = args.out + ".tmp"
    if os.path.exists(temp):
        os.remove(temp)
    db = sqlite3.connect(temp)
    try:
        for statement in SCHEMA:
            db.execute(statement)
        for path in sorted(args.products):
            with open(path, encoding="utf-8") as f:
                product = json.load(f)
            write_product(db, product, os.path.basename(path))
        db.execute("INSERT INTO version_table VALUES (?)", (args.version,))
        db.commit()
    except (LayoutError, KeyError, ValueError, sqlite3.Error) as error:
        db.close()
        os.remove(temp)
        print("makecatalogue: %s" % error, file=sys.stderr)
        return 1
    db.close()
    os.replace(temp, args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
