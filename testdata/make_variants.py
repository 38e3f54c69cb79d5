#!/usr/bin/env python3
"""Writes the generated test books of testdata/generated/.

One short book (public-domain texts: Tolstoy, Pushkin, Hugo, Goethe, Prus,
Asnyk) in every text encoding the converter has a table for, in UTF-16 and
an encoding only iconv knows, with and without a byte order mark or an XML
declaration, with a namespace prefix on every element, zipped, and under
capitalised encoding names; zip archives that must be refused; and a book of
awkward markup written for this repository.
The images (JPEG and PNG covers, RGB and palette PNGs) are drawn here, so
every byte of the output comes from this script. The output is deterministic:
run it again and `git status` shows no change.

Usage: python3 testdata/make_variants.py
"""

import base64
import os
import re
import struct
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "generated")
ZIP_TIME = (2020, 1, 1, 0, 0, 0)


# --- Images -----------------------------------------------------------------

def jpeg(width, height):
    """A baseline greyscale JPEG whose blocks are all mid-grey.

    One quantisation table of ones, a DC and an AC Huffman table with one
    one-bit code each (DC difference 0, end of block), so every 8x8 block is
    coded as the two bits 00.
    """
    def segment(marker, payload):
        return b"\xff" + bytes([marker]) + struct.pack(">H", len(payload) + 2) + payload

    blocks = ((width + 7) // 8) * ((height + 7) // 8)
    bits = "00" * blocks
    bits += "1" * (-len(bits) % 8)
    scan = bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
    one_code = bytes([1] + [0] * 15) + b"\x00"
    return (b"\xff\xd8"
            + segment(0xE0, b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")
            + segment(0xDB, b"\x00" + b"\x01" * 64)
            + segment(0xC0, b"\x08" + struct.pack(">HH", height, width) + b"\x01\x01\x11\x00")
            + segment(0xC4, b"\x00" + one_code)
            + segment(0xC4, b"\x10" + one_code)
            + segment(0xDA, b"\x01\x01\x00\x00\x3f\x00")
            + scan + b"\xff\xd9")


def png_chunk(kind, payload):
    return (struct.pack(">I", len(payload)) + kind + payload
            + struct.pack(">I", zlib.crc32(kind + payload) & 0xFFFFFFFF))


def png_rgb(width, height):
    """An RGB PNG with a diagonal colour ramp."""
    rows = b"".join(
        b"\x00" + b"".join(bytes([(x * 255) // width, (y * 255) // height, 128]) for x in range(width))
        for y in range(height))
    return (b"\x89PNG\r\n\x1a\n"
            + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + png_chunk(b"IDAT", zlib.compress(rows, 9))
            + png_chunk(b"IEND", b""))


def png_palette_transparent(width, height):
    """An indexed PNG whose second palette entry is fully transparent."""
    palette = bytes([0, 0, 0, 0, 0, 0, 200, 30, 30])
    rows = b"".join(b"\x00" + bytes((x + y) % 3 for x in range(width)) for y in range(height))
    return (b"\x89PNG\r\n\x1a\n"
            + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
            + png_chunk(b"PLTE", palette)
            + png_chunk(b"tRNS", bytes([255, 0, 255]))
            + png_chunk(b"IDAT", zlib.compress(rows, 9))
            + png_chunk(b"IEND", b""))


GIF_1X1 = base64.b64decode("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==")


def binary(image_id, content_type, data):
    text = base64.b64encode(data).decode("ascii")
    lines = "\n".join(text[i:i + 76] for i in range(0, len(text), 76))
    return f'<binary id="{image_id}" content-type="{content_type}">{lines}</binary>\n'


# --- The short book in three languages ---------------------------------------

RUSSIAN = {
    "lang": "ru",
    "first": "Лев", "last": "Толстой",
    "title": "Анна Каренина",
    "annotation": "Роман о семье Облонских и о любви Анны. Ещё одна строка с буквой ё.",
    "chapters": [
        ("Часть первая", [
            "Все счастливые семьи похожи друг на друга, каждая несчастливая семья несчастлива по-своему.",
            "Все смешалось в доме Облонских. Жена узнала, что муж был в связи с бывшею в их доме "
            "француженкою-гувернанткой, и объявила мужу, что не может жить с ним в одном доме.",
            "Положение это продолжалось уже третий день и мучительно чувствовалось и самими супругами, "
            "и всеми членами семьи, и домочадцами{note}.",
        ]),
        ("Часть вторая", [
            "Жена не выходила из своих комнат, мужа третий день не было дома. Дети бегали по всему дому, "
            "как потерянные; англичанка поссорилась с экономкой.",
            "Повар ушёл ещё вчера со двора, во время обеда; чёрная кухарка и кучер просили расчёта.",
        ]),
    ],
    "poem": ["Я помню чудное мгновенье:", "Передо мной явилась ты,",
             "Как мимолётное виденье,", "Как гений чистой красоты."],
    "note": "Примечание к первой части: Облонские жили в Москве.",
}

FRENCH = {
    "lang": "fr",
    "first": "Victor", "last": "Hugo",
    "title": "Les Misérables",
    "annotation": "Roman de Victor Hugo. Première partie : Fantine, où l'évêque de Digne reçoit Jean Valjean.",
    "chapters": [
        ("Première partie", [
            "En 1815, M. Charles-François-Bienvenu Myriel était évêque de Digne.",
            "C'était un vieillard d'environ soixante-quinze ans ; il occupait le siège de Digne "
            "depuis 1806{note}.",
            "Über allen Gipfeln ist Ruh, in allen Wipfeln spürest du kaum einen Hauch.",
        ]),
        ("Deuxième partie", [
            "Quoique ce détail ne touche en aucune manière au fond même de ce que nous avons à raconter, "
            "il n'est peut-être pas inutile, ne fût-ce que pour être exact en tout, d'indiquer ici "
            "les bruits et les propos qui avaient couru sur son compte.",
            "Naïve garçon, façade, «guillemets», âge, hôtel, île, cœur.",
        ]),
    ],
    "poem": ["Demain, dès l'aube, à l'heure où blanchit la campagne,", "Je partirai.",
             "Vois-tu, je sais que tu m'attends.", "J'irai par la forêt, j'irai par la montagne."],
    "note": "Note de l'éditeur : Digne est une ville de Provence.",
}

POLISH = {
    "lang": "pl",
    "first": "Adam", "last": "Asnyk",
    "title": "Między nami nic nie było",
    "annotation": "Wiersz Adama Asnyka i początek powieści Bolesława Prusa.",
    "chapters": [
        ("Część pierwsza", [
            "W początkach roku 1878, kiedy świat polityczny zajmował się pokojem San Stefano, wyborem "
            "nowego papieża albo szansami europejskiej wojny, warszawscy kupcy tudzież inteligencja "
            "pewnej okolicy Krakowskiego Przedmieścia niemniej gorąco zajmowali się przyszłością "
            "galanteryjnego sklepu{note}.",
            "Źródło, żółw, gęś, łąka, ćma, dźwięk, ńa, óśmy.",
        ]),
        ("Część druga", [
            "Nic nas z sobą nie łączyło — prócz wiosennych marzeń zdradnych.",
        ]),
    ],
    "poem": ["Między nami nic nie było!", "Żadnych zwierzeń, wyznań żadnych!",
             "Nic nas z sobą nie łączyło —", "Prócz wiosennych marzeń zdradnych;"],
    "note": "Przypis: Krakowskie Przedmieście to ulica w Warszawie.",
}

# Characters a code page lacks are replaced before encoding.
LATIN1_FALLBACK = {"œ": "oe", "—": "-"}


def book(text, encoding_name, with_images=True):
    note_link = '<a l:href="#n1" type="note">[1]</a>'
    chapters = []
    for number, (title, paragraphs) in enumerate(text["chapters"], 1):
        body = "\n".join("<p>" + p.replace("{note}", note_link) + "</p>" for p in paragraphs)
        extra = ""
        if number == 1:
            stanza = "".join(f"<v>{v}</v>" for v in text["poem"])
            extra = f"\n<poem><stanza>{stanza}</stanza></poem>"
            if with_images:
                extra += '\n<image l:href="#picture.png"/>'
        chapters.append(f'<section><title><p>{title}</p></title>\n{body}{extra}\n</section>')
    # A PNG cover, larger than the thumbnail made of it.
    cover = '<coverpage><image l:href="#cover.png"/></coverpage>' if with_images else ""
    images = ""
    if with_images:
        images = binary("cover.png", "image/png", png_rgb(90, 160)) + binary("picture.png", "image/png",
                                                                             png_rgb(24, 16))
    return f"""<?xml version="1.0" encoding="{encoding_name}"?>
<FictionBook xmlns="http://www.gribuser.ru/xml/fictionbook/2.0" xmlns:l="http://www.w3.org/1999/xlink">
<description>
<title-info><genre>prose_classic</genre>
<author><first-name>{text["first"]}</first-name><last-name>{text["last"]}</last-name></author>
<book-title>{text["title"]}</book-title>
<annotation><p>{text["annotation"]}</p></annotation>
{cover}<lang>{text["lang"]}</lang></title-info>
<document-info><author><nickname>tavorin</nickname></author><id>tavorin-test-{text["lang"]}</id><version>1.0</version></document-info>
</description>
<body>
<title><p>{text["first"]} {text["last"]}</p><p>{text["title"]}</p></title>
{chr(10).join(chapters)}
</body>
<body name="notes">
<section id="n1"><title><p>1</p></title><p>{text["note"]}</p></section>
</body>
{images}</FictionBook>
"""


def prefixed(text):
    """Every element of the book with the prefix fb: of the FB2 namespace."""
    text = re.sub(r"<(/?)(?![?!])([A-Za-z][A-Za-z-]*)", r"<\1fb:\2", text)
    return text.replace('xmlns="http', 'xmlns:fb="http')


def encode(text, codec):
    if codec in ("latin-1",):
        for char, replacement in LATIN1_FALLBACK.items():
            text = text.replace(char, replacement)
    return text.encode(codec)


# --- The markup regression book ----------------------------------------------

def regression_book():
    """Awkward but legal input: escapes in the title and the table of contents,
    no-break spaces, Vietnamese and CJK text, characters outside the BMP, links
    of every kind, a table and unknown elements, and images the converter must
    keep (JPEG declared as image/jpg, a palette PNG with transparency) or skip
    (GIF, bytes that are no image)."""
    words = ("The quick brown fox jumps over the lazy dog while the river keeps running "
             "past the old mill and the miller counts his sacks of flour one by one").split()
    filler = [" ".join(words[i % len(words):] + words[:i % len(words)]) + "." for i in range(24)]
    annotation = " ".join(filler[:12])
    vietnamese = "Tiếng Việt có dấu: mỹ thuật, lỵ sở, kỷ niệm, những ngữ pháp."
    cjk = "中文段落：穷则变，变则通，通则久。"
    astral = "Outside the plane: \U0001F600 grin, \U0001D538 double-struck, \U00020000 ideograph."
    return f"""<?xml version="1.0" encoding="utf-8"?>
<FictionBook xmlns="http://www.gribuser.ru/xml/fictionbook/2.0" xmlns:l="http://www.w3.org/1999/xlink">
<description>
<title-info><genre>prose_contemporary</genre><genre>humor</genre>
<author><first-name>Ada</first-name><last-name>Quill</last-name></author>
<author><first-name>Ben</first-name><last-name>Marlow</last-name></author>
<book-title>Tom &#38; Huck &lt;Tales&gt; and "Quotes"</book-title>
<annotation><p>{annotation}</p><p>Second paragraph &amp; more.</p></annotation>
<coverpage><image l:href="#cover.jpg"/></coverpage>
<lang>en</lang><sequence name="River Tales" number="2"/></title-info>
<document-info><author><first-name>Ada</first-name><last-name>Quill</last-name></author>
<program-used>hand</program-used><id>tavorin-regression-1</id><version>1.1</version></document-info>
<publish-info><publisher>Mill &amp; Sons</publisher><year>2020</year></publish-info>
</description>
<body>
<title><p>Tom &amp; Huck</p></title>
<epigraph><p>Rivers run, mills turn.</p><text-author>Old Saying</text-author></epigraph>
<section><title><p>One &#38; Two</p><p>The &lt;Beginning&gt;</p></title>
<p>{filler[0]}</p>
<p>No-break&#160;spaces&#160;here and a literal\u00a0one, AT&amp;T, 3 &lt; 4 &gt; 2.</p>
<p>A note link<a l:href="#n1" type="note">[1]</a> and another<a l:href="#n2" type="note">[2]</a>.</p>
<p>An external link <a l:href="http://example.com/page">example site</a> stays as text.</p>
<p>A link without target <a l:href="">nowhere</a> is kept as text.</p>
<p>A jump to <a l:href="#anchor1">the anchored paragraph</a> further down.</p>
<p><emphasis>Emphasis</emphasis>, <strong>strong</strong>, x<sup>2</sup> and H<sub>2</sub>O.</p>
<empty-line/>
<subtitle>A subtitle</subtitle>
<cite><p>{filler[1]}</p><text-author>Cited Person</text-author></cite>
<image l:href="#palette.png"/>
<p>Text before an inline image <image l:href="#palette.png"/> and text after it.</p>
<p><image l:href="#photo.jpg"/></p>
<p>The paragraph after a paragraph that holds only an image.</p>
<table><tr><th>Head</th><th>Cell</th></tr><tr><td>TableWordOne</td><td>TableWordTwo</td></tr></table>
<p>{vietnamese}</p>
<p>{cjk}</p>
<p>{astral}</p>
</section>
<section><title><p>Three</p></title>
{chr(10).join("<p>" + f + "</p>" for f in filler[2:14])}
<image l:href="#photo.jpg"/>
<image l:href="#anim.gif"/>
<image l:href="#fake.jpg"/>
<section><title><p>Three point one</p></title>
<p id="anchor1">The anchored paragraph with an id.</p>
{chr(10).join("<p>" + f + "</p>" for f in filler[14:])}
<poem><title><p>A Poem</p></title><stanza><v>Roses by the river,</v><v>Flour on the floor.</v></stanza>
<stanza><v>Wheels that never shiver,</v><v>Turning evermore.</v></stanza><text-author>The Miller</text-author></poem>
</section>
</section>
</body>
<body name="notes">
<title><p>Notes</p></title>
<section id="n1"><title><p>1</p></title><p>First note with &amp; and &lt;.</p></section>
<section id="n2"><title><p>2</p></title><p>Second note.</p><p>Its second paragraph.</p></section>
</body>
{binary("cover.jpg", "image/jpeg", jpeg(120, 160))}{binary("palette.png", "image/png", png_palette_transparent(30, 20))}{binary("photo.jpg", "image/jpg", jpeg(40, 24))}{binary("anim.gif", "image/gif", GIF_1X1)}{binary("fake.jpg", "image/jpeg", b"asdf")}</FictionBook>
"""


def cjk_tag_lookalike_book():
    """CJK text in which U+7A00 is followed by U+4EF5: in UTF-16LE the bytes
    00 7A F5 4E hold 7A F5, the code of an LRF text tag. calibre looks for
    tags in raw text by the byte F5 and misreads this; the book itself is
    sound."""
    text = "中文段落" + chr(0x7A00) + chr(0x4EF5) + "字。穷则变，变则通，通则久。"
    return f"""<?xml version="1.0" encoding="utf-8"?>
<FictionBook xmlns="http://www.gribuser.ru/xml/fictionbook/2.0" xmlns:l="http://www.w3.org/1999/xlink">
<description><title-info><genre>prose</genre><author><first-name>Ada</first-name><last-name>Quill</last-name></author>
<book-title>Lookalike</book-title><lang>zh</lang></title-info></description>
<body><section><title><p>One</p></title><p>{text}</p></section></body>
</FictionBook>
"""


# --- Writing -----------------------------------------------------------------

def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def write_zip(name, members):
    """members: list of (name, bytes); a name ending in '/' is a folder entry."""
    path = os.path.join(OUT, name)
    with zipfile.ZipFile(path, "w") as archive:
        for member, data in members:
            info = zipfile.ZipInfo(member, ZIP_TIME)
            info.external_attr = (0o40755 << 16) | 0x10 if member.endswith("/") else 0o644 << 16
            info.compress_type = zipfile.ZIP_STORED if member.endswith("/") else zipfile.ZIP_DEFLATED
            archive.writestr(info, data)


def main():
    os.makedirs(OUT, exist_ok=True)
    utf8_ru = book(RUSSIAN, "utf-8").encode("utf-8")
    variants = {
        "ru_utf8.fb2": utf8_ru,
        "ru_utf8_bom.fb2": b"\xef\xbb\xbf" + utf8_ru,
        "ru_windows1251.fb2": encode(book(RUSSIAN, "windows-1251"), "cp1251"),
        "ru_koi8r.fb2": encode(book(RUSSIAN, "koi8-r"), "koi8_r"),
        "fr_windows1252.fb2": encode(book(FRENCH, "windows-1252"), "cp1252"),
        "fr_iso88591.fb2": encode(book(FRENCH, "iso-8859-1"), "latin-1"),
        "pl_windows1250.fb2": encode(book(POLISH, "windows-1250"), "cp1250"),
        "ru_utf16le_bom.fb2": b"\xff\xfe" + book(RUSSIAN, "UTF-16").encode("utf-16-le"),
        "ru_utf16be.fb2": book(RUSSIAN, "UTF-16").encode("utf-16-be"),
        "ru_cp866.fb2": encode(book(RUSSIAN, "IBM866"), "cp866"),
        "ru_no_declaration.fb2": utf8_ru[utf8_ru.index(b"\n") + 1:],
        "ru_prefixed.fb2": prefixed(book(RUSSIAN, "utf-8")).encode("utf-8"),
        # Encoding names in capitals.
        "ru_KOI8R_name_koi8r_bytes.fb2": encode(book(RUSSIAN, "KOI8-R", with_images=False), "koi8_r"),
        "fr_ISO88591_name_latin1_bytes.fb2": encode(book(FRENCH, "ISO-8859-1", with_images=False), "latin-1"),
        "en_regression_markup.fb2": regression_book().encode("utf-8"),
        "zh_calibre_tag_lookalike.fb2": cjk_tag_lookalike_book().encode("utf-8"),
    }
    for name, data in variants.items():
        write(name, data)

    write_zip("ru_utf8.fb2.zip", [("ru_utf8.fb2", utf8_ru)])
    write_zip("ru_windows1251.fb2.zip", [("ru_windows1251.fb2", variants["ru_windows1251.fb2"])])
    write_zip("ru_utf8_in_folder.fb2.zip", [("books/", b""), ("books/ru_utf8.fb2", utf8_ru)])
    # Archives the converter refuses.
    write_zip("refused_two_members.zip", [("a.fb2", utf8_ru), ("b.fb2", utf8_ru)])
    write_zip("refused_only_folder.zip", [("empty-folder-with-a-long-name-for-the-header/", b"")])
    write_zip("refused_member_not_xml.zip", [("notes.txt", b"Plain text, no XML declaration here.\n" * 4)])


if __name__ == "__main__":
    main()
