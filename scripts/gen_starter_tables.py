#!/usr/bin/env python3
"""Writes the starter tables shipped in dist/replace/ (run it after changing a table here).

Table file format: FF FE, then UTF-16 LE lines ending in CR LF: the preamble, the marker "##",
and one line per pair: search TAB replacement TAB options ("C", "W", "C,W" or empty).
"""
import os
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "dist", "replace")


def write_table(name, preamble, rows):
    lines = [preamble, "##"] + ["\t".join(row) for row in rows]
    # The format separates cells by TAB and rows by line breaks: cells can hold neither.
    for row in rows:
        assert len(row) == 3 and not any(c in cell for cell in row for c in "\t\r\n\u2028\0"), row
    data = b"\xff\xfe" + "".join(line + "\r\n" for line in lines).encode("utf-16-le")
    with open(os.path.join(OUT, name + ".palimp"), "wb") as f:
        f.write(data)


# Named HTML entities of Latin-1 and a few common typographic characters.
ENTITIES = {
    "\u00a0": "nbsp", "\u00a9": "copy", "\u00ae": "reg", "\u00b0": "deg", "\u00b1": "plusmn",
    "\u00b7": "middot", "\u00ab": "laquo", "\u00bb": "raquo", "\u00a7": "sect", "\u00b6": "para",
    "\u00d7": "times", "\u00f7": "divide", "\u00bf": "iquest", "\u00a1": "iexcl", "\u00a3": "pound",
    "\u20ac": "euro", "\u2013": "ndash", "\u2014": "mdash", "\u2018": "lsquo", "\u2019": "rsquo",
    "\u201c": "ldquo", "\u201d": "rdquo", "\u201e": "bdquo", "\u2026": "hellip", "\u2022": "bull",
    "\u2122": "trade", "\u00df": "szlig",
}
for code in range(0xC0, 0x100):
    ch = chr(code)
    name = unicodedata.name(ch)
    base = {"GRAVE": "grave", "ACUTE": "acute", "CIRCUMFLEX": "circ", "TILDE": "tilde",
            "DIAERESIS": "uml", "RING ABOVE": "ring", "CEDILLA": "cedil"}
    for word, suffix in base.items():
        if name.endswith("WITH " + word):
            letter = name.split("LETTER ")[1][0]
            ENTITIES[ch] = (letter if "CAPITAL" in name else letter.lower()) + suffix
    if ch in "\u00c6\u00e6":
        ENTITIES[ch] = "AElig" if ch == "\u00c6" else "aelig"
    if ch in "\u00d8\u00f8":
        ENTITIES[ch] = "Oslash" if ch == "\u00d8" else "oslash"


def html_encode():
    rows = [["&", "&amp;", "C"], ["<", "&lt;", "C"], [">", "&gt;", "C"], ['"', "&quot;", "C"]]
    rows += [[ch, "&%s;" % ENTITIES[ch], "C"] for ch in sorted(ENTITIES)]
    write_table("HTML entities (encode)", "Characters to HTML entities", rows)


def html_decode():
    rows = [["&%s;" % ENTITIES[ch], ch, "C"] for ch in sorted(ENTITIES)]
    rows += [["&lt;", "<", "C"], ["&gt;", ">", "C"], ["&quot;", '"', "C"], ["&#39;", "'", "C"],
             ["&apos;", "'", "C"], ["&amp;", "&", "C"]]
    write_table("HTML entities (decode)", "HTML entities to characters", rows)


def typographic_quotes():
    # One pass, first row wins: the contextual opening forms come before the plain closing ones.
    rows = []
    for before in [" ", "(", "[", "{"]:
        rows.append([before + '"', before + "\u201c", ""])
        rows.append([before + "'", before + "\u2018", ""])
    rows += [['"', "\u201d", ""], ["'", "\u2019", ""], ["...", "\u2026", ""], [" -- ", " \u2013 ", ""],
             ["---", "\u2014", ""], ["--", "\u2013", ""]]
    write_table("Typographic quotes", "Straight quotes, dashes and dots to typographic ones", rows)


def remove_diacritics():
    rows = []
    for code in list(range(0xC0, 0x250)):
        ch = chr(code)
        plain = "".join(c for c in unicodedata.normalize("NFD", ch) if not unicodedata.combining(c))
        if plain != ch and plain.isascii() and plain.isalpha():
            rows.append([ch, plain, "C"])
    extra = {"\u00df": "ss", "\u00c6": "AE", "\u00e6": "ae", "\u0152": "OE", "\u0153": "oe",
             "\u00d8": "O", "\u00f8": "o", "\u0141": "L", "\u0142": "l", "\u0110": "D", "\u0111": "d",
             "\u00de": "Th", "\u00fe": "th", "\u00d0": "D", "\u00f0": "d"}
    rows += [[k, v, "C"] for k, v in extra.items()]
    write_table("Remove diacritics", "Latin letters with diacritics to plain ASCII letters", rows)


def tidy_spaces():
    # Replacements are never rescanned, so longer runs of spaces need rows of their own,
    # placed before the shorter ones.
    rows = [[" " * n, " ", ""] for n in range(8, 1, -1)]
    rows += [[" ,", ",", ""], [" .", ".", ""], [" ;", ";", ""], [" :", ":", ""], [" !", "!", ""],
             [" ?", "?", ""], ["( ", "(", ""], [" )", ")", ""], ["\u00a0", " ", ""]]
    write_table("Tidy spaces", "Double spaces and spaces before punctuation", rows)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    html_encode()
    html_decode()
    typographic_quotes()
    remove_diacritics()
    tidy_spaces()
    for name in sorted(os.listdir(OUT)):
        print(name)
