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


# Where a quote opens: after a blank, an opening bracket, a dash or a slash. A line break or a
# TAB cannot stand in a cell, so a quote after one has nothing a row can name.
OPENERS = [" ", "\u00a0", "(", "[", "{", "-", "\u2013", "\u2014", "/"]
# Where a quote closes: after a letter or a closing punctuation mark.
LETTERS = [chr(c) for c in range(0x41, 0x180) if chr(c).isalpha()]
CLOSERS = LETTERS + [".", ",", "!", "?", ";", ":", "\u2026", ")", "]", "}"]
# What follows a quote that stands alone, which may open or close.
AFTER_LONE = [" ", "\u00a0", ".", ",", ";", ":", "!", "?", ")", "]", "}"]


def typographic_quotes():
    # Every row that changes a quote names the character before it, so a quote whose neighbour
    # another row has taken stays as it is, and so does a quote with nothing to go by: at the
    # start of the text or of a line, after a TAB or a digit (5'10" are feet and inches).
    rows = []
    # A double quote alone between blanks or before punctuation may open or close: kept.
    rows += [[o + '"' + a, o + '"' + a, "C"] for o in OPENERS for a in AFTER_LONE]
    rows += [[o + '"', o + "\u201c", "C"] for o in OPENERS]
    # Three dots before a closing quote: both at once, so that the quote keeps its neighbour.
    rows += [['..."', "\u2026\u201d", "C"], ["...'", "\u2026\u2019", "C"]]
    rows += [[c + "'\"", c + "\u2019\u201d", "C"] for c in CLOSERS]
    rows += [[c + '"', c + "\u201d", "C"] for c in CLOSERS]
    # After a letter a single quote is an apostrophe or closes: the same character either way.
    # At the start of a word it may open a quotation or stand for left-out letters ('tis, '90s):
    # it is left alone.
    rows += [[c + "'", c + "\u2019", "C"] for c in CLOSERS]
    # Dashes between blanks and three dots; "--" elsewhere is left alone (command-line options).
    rows += [["...", "\u2026", ""], [" --- ", " \u2014 ", ""], [" -- ", " \u2013 ", ""]]
    write_table("Typographic quotes",
                "Straight quotes to typographic ones where it is clear which; spaced dashes; three dots", rows)


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
    # A run of spaces is made one only after a letter, a digit or punctuation, so that
    # indentation (spaces after a line break or a TAB, which no cell can hold) stays.
    # Replacements are never rescanned, so longer runs need rows of their own, placed before
    # the shorter ones. Spaces before ; : ! ? are French typography, and before a dot they may
    # begin ".NET" or ".5": left alone; a non-breaking space is meant: left alone.
    before = CLOSERS + [chr(c) for c in range(0x30, 0x3A)] + ['"', "'", "\u201d", "\u2019"]
    rows = [[b + " " * n, b + " ", "C"] for n in range(8, 1, -1) for b in before]
    rows += [[" ,", ",", ""], ["( ", "(", ""], [" )", ")", ""]]
    write_table("Tidy spaces", "Runs of spaces between words made one; spaces inside brackets and before commas", rows)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    html_encode()
    html_decode()
    typographic_quotes()
    remove_diacritics()
    tidy_spaces()
    for name in sorted(os.listdir(OUT)):
        print(name)
