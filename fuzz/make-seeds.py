#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (fuzz/corpus/<target>/): small inputs shaped like the real
files and replies each reader gets. Run from anywhere; existing seeds of the same name are replaced."""
import hashlib
import json
import os
import struct
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def put(target, name, data):
    folder = os.path.join(ROOT, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def bmp(width, height, bits, top_down=False):
    colours = 1 << bits if bits <= 8 else 0
    palette = b"".join(struct.pack("<BBBB", i * 37 % 256, i * 91 % 256, i * 13 % 256, 0) for i in range(colours))
    stride = ((width * bits + 31) // 32) * 4
    rows = b""
    for y in range(height):
        row = bytearray(stride)
        for i in range(stride):
            row[i] = (y * 17 + i * 29) % 256
        rows += bytes(row)
    offset = 14 + 40 + len(palette)
    size = offset + len(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, 0, len(rows),
                       2835, 2835, colours, 0)
    return b"BM" + struct.pack("<IHHI", size, 0, 0, offset) + info + palette + rows


def font(sheet, char_width, char_height, rects):
    out = sheet + struct.pack("<iii", char_width, char_height, len(rects))
    for r in rects:
        out += struct.pack("<iiii", *r)
    out += struct.pack("<i", 256)
    out += b"".join(struct.pack("<i", 4 + c % 5) for c in range(256))
    return out


def index_code(text):
    return hashlib.md5(text.encode("latin-1")).hexdigest()[:4]


def fdp_string(text):
    """A string as FuzzedDataProvider.ConsumeRandomLengthString reads it: backslashes doubled, ended by
    a backslash and another byte."""
    return text.replace("\\", "\\\\") + "\\;"


def agent_record(command, site, text, length, flag):
    def field(t):
        b = t.encode("latin-1")[:255]
        return bytes([len(b)]) + b + bytes(255 - len(b))
    return field(command) + struct.pack("<i", site) + field(text) + struct.pack("<ii", length, flag)


def main():
    # Bitmaps: every bit depth the reader knows, bottom-up and top-down.
    for bits in (1, 4, 8, 24, 32):
        put("bmp", f"bits{bits}.bmp", bmp(7, 5, bits))
    put("bmp", "topdown24.bmp", bmp(6, 3, 24, top_down=True))

    # Stored fonts: a small glyph sheet with metrics, a full rectangle table and a short one.
    rects = [((c % 16) * 4, (c // 16) * 6, (c % 16) * 4 + 4, (c // 16) * 6 + 6) for c in range(256)]
    put("stored_font", "full.gsf", font(bmp(32, 48, 4), 2, 3, [(l // 2, t // 2, r // 2, b // 2) for l, t, r, b in rects]))
    put("stored_font", "short.gsf", font(bmp(16, 8, 8), 4, 8, rects[:4]))
    put("stored_font", "empty.gsf", font(bmp(1, 1, 32), 0, 0, []))

    # INI profiles: the program's settings, the site list, a UTF-8 file with a byte order mark.
    put("profile", "settings.ini",
        fdp_string("Options") + fdp_string("FontSize") + fdp_string("18") +  # the key to write
        "[Options]\r\nCharset=charset_unicode\r\nFontSize=22\r\nScale=1.5\r\nShowSongInfo=1\r\n"
        "[Player]\r\nKind=0x10\r\nPoll=$64\r\n\r\n[Window]\r\nLeft=-4\r\nTop = 20 \r\nCaption=\"Cantrel\"\r\n")
    with open(os.path.join(os.path.dirname(ROOT), "..", "agent", "Filters.ini"), "rb") as f:
        put("profile", "filters.ini", fdp_string("Filter0").encode() + fdp_string("Enabled").encode() + fdp_string("0").encode() + f.read())
    put("profile", "bom.ini", b"x\\;y\\;z\\;\xef\xbb\xbf[Sites]\nUrl=http://a.example/%Song%\nEnabled=1\n[Sites]\nUrl=b\n")
    put("profile", "utf16.ini", b"a\\;b\\;c\\;" + "[Options]\r\nFontSize=14\r\n".encode("utf-16"))

    # HTTP replies: compressed (the mark, then a zlib stream) and plain, CR LF, LF and CR line ends.
    reply = "OK\r\nArtist: Blur\r\nTitle: Tender\r\n[00:12.50]Tender is the night\r\n[00:17.00]Lying by your side\r\n"
    put("http_reply", "deflated.bin", b"\x01" + zlib.compress(reply.encode()))
    put("http_reply", "deflated_lf.bin", b"\x02" + zlib.compress(reply.replace("\r\n", "\n").encode() * 8, 9))
    put("http_reply", "plain.txt", b"\x00" + reply.replace("\r\n", "\r").encode() + b"\x00trailer")

    # Agent records: a request and the replies.
    put("agent_record", "search.bin", agent_record("Search", 0, "Blur - Tender", 460, 1))
    put("agent_record", "done.bin", agent_record("DownloadDone", 3, "Blur - Tender [190].lrc", 0, 0))
    put("agent_record", "notfound.bin", agent_record("Search", -1, "Not Found", 0, 0))

    # Song lists (the cancel and upload lists); the first byte picks the code page.
    put("song_list", "cancel.txt", b"\x00Blur - Tender\r\nABBA - SOS\r\nabba - sos\r\nMot\xf6rhead - Ace of Spades\r\n")
    put("song_list", "utf8.txt", "\x04Sigur Rós - Hoppípolla\nБи-2 - Полковнику\rΣαββόπουλος - Ο Μπάλλος\r\n\r\n")

    # The song index "unknown": artist and title, then the index, then the code page, length and mode.
    blur, abba = index_code("blur"), index_code("abba")
    index = ("song index\r\n" + blur + "\r\n--\r\na\r\n" + abba + "\r\n" + index_code("waterloo") + "\r\n B \r\n" +
             "ffff \"" + blur + "\" 1234\r\n\"" + index_code("tender [240]") + "\" " + index_code("parklife") +
             "\r\nc\r\n" + blur + "\r\n" + index_code("charmless man [240]") + "\r\n0\r\n" +
             index_code("2 unlimited") + "\r\n" + index_code("no limit [220]") + "\r\n")
    tail = bytes([0]) + struct.pack("<i", 240) + bytes([0])
    put("song_index", "blur.bin", fdp_string("blur") + fdp_string("tender") + index + tail.decode("latin-1"))
    put("song_index", "utf8.bin", (fdp_string("sigur rós") + fdp_string("hoppípolla") + index).encode() +
        bytes([1]) + struct.pack("<i", 275) + bytes([4]))

    # The plugin's settings file: UTF-16 little-endian, six lines. A first byte not divisible by 4 puts
    # the header in front of the rest.
    lines = ["Now playing: ", "C:\\Program Files\\Windows Media Player\\tl_info.txt",
             "With Best Regards, user", "Windows Media Player is stopped...", "Windows Media Player is inactive..."]
    body = "".join(f"{k}={v}\r\n" for k, v in zip(["Title", "Path", "Sign", "Stop", "Exit"], lines))
    put("plugin_settings", "settings.ini", b"\x01" + body.encode("utf-16-le"))
    put("plugin_settings", "whole.ini", b"\x00" + ("[Tuneline Plugin Settings]\r\n" + body).encode("utf-16-le"))
    put("plugin_settings", "short.ini", b"\x01" + "Title=x\r\n".encode("utf-16-le") + "Pa\U0001F3B5".encode("utf-16-le"))

    # LRCLIB replies: one record (/api/get) and a list (/api/search).
    record = {"id": 3396226, "trackName": "Tender", "artistName": "Blur", "albumName": "13", "duration": 460.0,
              "instrumental": False, "plainLyrics": "Tender is the night\nLying by your side",
              "syncedLyrics": "[00:12.50] Tender is the night\n[00:17.00] Lying by your side"}
    put("lrclib_json", "get.json", json.dumps(record))
    others = [dict(record, id=1, duration=459.2, syncedLyrics=None),
              dict(record, id=2, trackName="Tender (Cornelius remix)", artistName="Blur feat. Cornelius"),
              {"id": 5, "trackName": "Intermission", "artistName": "Blur", "instrumental": True,
               "plainLyrics": None, "syncedLyrics": None, "duration": 140}, 7, None, "x"]
    put("lrclib_json", "search.json", json.dumps(others, ensure_ascii=False, indent=1))
    put("lrclib_json", "escapes.json", '[{"trackName":"T\\u00e9nder \\ud83c\\udfb5","artistName":"Bl\\"ur"}]')

    # Search sites: expression(s) and pages, then the choices read from the end (content types, whether a
    # secondary expression is there, which address).
    page = ("<html><head><meta charset=\"utf-8\"><title>Blur - Tender</title></head><body>"
            "<div class=\"lyrics\">Tender is the night<br>Lying by your side<br/>&amp; more&nbsp;&#233;</div>"
            "<a href=\"/lyrics/blur/tender.html\">Tender</a></body></html>")
    put("site_search", "primary.bin", fdp_string("<div class=\"lyrics\">(.*?)</div>") + fdp_string(page) +
        fdp_string("") + "\x00\x00\x00\x01")
    put("site_search", "secondary.bin", fdp_string("<a href=\"([^\"]+)\">") + fdp_string("lyrics\">(.+?)</div") +
        fdp_string(page) + fdp_string(page) + "\x00\x00\x01\x00")
    put("site_search", "json.bin", fdp_string("json:lrclib") + fdp_string(json.dumps([record])) + "\x03\x03\x00\x01")

    # Web pages; the first byte picks the declared character set.
    put("html_text", "page.html", "\x00" + page)
    put("html_text", "cp1251.html", b"\x00<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">"
        b"<p>\xcf\xee\xeb\xea\xee\xe2\xed\xe8\xea\xf3</p><p>&hellip;&#x41;&#150;</p><script>x<y</script><!-- c -->")
    put("html_text", "pre.html", "\x01<pre>line one\nline two\n\n\n\nline &lt;three&gt;</pre><li>x</li><tr><td>y")

    # Lyric files whose offset tag is rewritten: the offset comes from the end (a flag, then 4 bytes or 4 bytes
    # of a small range).
    lrc = "[ar:Blur]\r\n[ti:Tender]\r\n[offset:+250]\r\n[00:12.50]Tender is the night\r\n[00:17.00]Lying by your side\r\n"
    put("lrc_offset", "tagged.lrc", lrc.encode() + struct.pack("<i", 1200) + b"\x01")
    put("lrc_offset", "untagged_lf.lrc", lrc.replace("[offset:+250]\r\n", "").replace("\r\n", "\n").encode() +
        struct.pack("<i", -300) + b"\x00")
    put("lrc_offset", "utf16.lrc", b"\xff\xfe" + "[ti:x][OFFSET:-40]\r\n[00:01.00]a\r\n".encode("utf-16-le") +
        struct.pack("<i", 0) + b"\x01")
    put("lrc_offset", "utf16be.lrc", b"\xfe\xff" + "[offset:7\n[00:01.00]a".encode("utf-16-be") + struct.pack("<i", 70) + b"\x00")

    # Publishing to the lyric database: a challenge target, then the track's texts and its length.
    put("lrclib_publish", "track.bin", (fdp_string("000000FF") + fdp_string("Tender") + fdp_string("Blur") +
        fdp_string("13") + fdp_string("Tender is the night\nLying by your side") +
        "[00:12.50]Tender is the night\n[00:17.00]Lying by your side\n").encode() + struct.pack("<i", 460))

    # ID3v1: the first byte picks the code page (odd: a tag is put at the end).
    tag = b"TAG" + b"Tender".ljust(30, b"\0") + b"Blur".ljust(30, b"\0") + b"13".ljust(30, b"\0") + b"1999" + \
        b"comment".ljust(28, b"\0") + b"\x00\x05\x11"
    put("id3v1", "tag.bin", b"\x00" + b"\xff\xfb\x90\x00" * 8 + tag)
    put("id3v1", "cp1253.bin", b"\x03" + b"TAG" + "Ο Μπάλλος".encode("cp1253").ljust(30, b" ") + b"\xd3" * 30 + b"\0" * 65)


if __name__ == "__main__":
    main()
