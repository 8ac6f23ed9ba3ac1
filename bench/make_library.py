#!/usr/bin/env python3
"""Writes a generated collection of small FictionBook books for the library benchmark: ARCHIVES
ZIP archives of PER_ARCHIVE books each, LOOSE loose books in nested folders and EPUBS EPUBs, with
Russian and English authors, titles and series drawn from a seeded generator.
usage: make_library.py FOLDER ARCHIVES PER_ARCHIVE LOOSE EPUBS [FIRST_ARCHIVE]"""
import os
import random
import sys
import zipfile

RU_FIRST = ['Лев', 'Фёдор', 'Антон', 'Михаил', 'Анна', 'Марина', 'Иван', 'Сергей', 'Ольга',
            'Юрий', 'Алексей', 'Елена', 'Николай', 'Татьяна', 'Борис', 'Пётр', 'Ксения']
RU_LAST = ['Толстой', 'Достоевский', 'Чехов', 'Булгаков', 'Ахматова', 'Цветаева', 'Бунин',
           'Есенин', 'Берггольц', 'Трифонов', 'Гончаров', 'Лесков', 'Шукшин', 'Пришвин',
           'Ёлкин', 'Королёв', 'Паустовский', 'Гаршин', 'Куприн', 'Замятин']
EN_FIRST = ['John', 'Mary', 'Arthur', 'Agatha', 'Charles', 'Jane', 'Oscar', 'Virginia',
            'Thomas', 'Emily', 'George', 'Herbert', 'Edith', 'Walter', 'Ruth']
EN_LAST = ['Smith', 'Austen', 'Dickens', 'Christie', 'Wilde', 'Woolf', 'Hardy', 'Bronte',
           'Orwell', 'Wells', 'Wharton', 'Scott', 'Eliot', 'Conrad', 'Kipling', 'Stevenson']
RU_WORDS = ['ночь', 'дорога', 'ветер', 'дом', 'море', 'берег', 'сад', 'зима', 'ёлка', 'письмо',
            'город', 'станция', 'мост', 'огонь', 'тень', 'утро', 'река', 'степь', 'звезда', 'ёж']
EN_WORDS = ['night', 'road', 'wind', 'house', 'sea', 'shore', 'garden', 'winter', 'letter',
            'city', 'station', 'bridge', 'fire', 'shadow', 'morning', 'river', 'star', 'island']


def book(rng, n):
    russian = rng.random() < 0.6
    first, last, words = (RU_FIRST, RU_LAST, RU_WORDS) if russian else (EN_FIRST, EN_LAST, EN_WORDS)
    title = ' '.join(rng.choice(words) for _ in range(rng.randint(1, 4))).capitalize() + f' {n}'
    authors = [(rng.choice(first), rng.choice(last)) for _ in range(rng.choice([1, 1, 1, 2]))]
    series = ''
    if rng.random() < 0.4:
        series = f'<sequence name="{rng.choice(words).capitalize()} {rng.randint(1, 300)}" number="{rng.randint(1, 12)}"/>'
    body = ' '.join(rng.choice(words) for _ in range(rng.randint(200, 600)))
    author_xml = ''.join(f'<author><first-name>{f}</first-name><last-name>{l}</last-name></author>'
                         for f, l in authors)
    return (f'<?xml version="1.0" encoding="utf-8"?>\n<FictionBook><description><title-info>'
            f'<genre>prose</genre>{author_xml}<book-title>{title}</book-title>'
            f'<lang>{"ru" if russian else "en"}</lang>{series}</title-info></description>'
            f'<body><section><p>{body}</p></section></body></FictionBook>\n').encode()


def epub(rng, path, n):
    russian = rng.random() < 0.5
    first, last, words = (RU_FIRST, RU_LAST, RU_WORDS) if russian else (EN_FIRST, EN_LAST, EN_WORDS)
    name = f'{rng.choice(first)} {rng.choice(last)}'
    title = ' '.join(rng.choice(words) for _ in range(3)).capitalize() + f' {n}'
    opf = (f'<?xml version="1.0" encoding="utf-8"?><package version="2.0"><metadata>'
           f'<dc:title>{title}</dc:title><dc:creator opf:role="aut">{name}</dc:creator>'
           f'<dc:language>{"ru" if russian else "en"}</dc:language>'
           f'<meta name="calibre:series" content="{rng.choice(words)}"/>'
           f'<meta name="calibre:series_index" content="{rng.randint(1, 9)}"/></metadata>'
           f'<manifest><item id="t" href="t.xhtml" media-type="application/xhtml+xml"/></manifest>'
           f'<spine><itemref idref="t"/></spine></package>')
    with zipfile.ZipFile(path, 'w') as z:
        z.writestr('mimetype', 'application/epub+zip', compress_type=zipfile.ZIP_STORED)
        z.writestr('META-INF/container.xml', '<container><rootfiles><rootfile '
                   'full-path="OEBPS/content.opf"/></rootfiles></container>', zipfile.ZIP_DEFLATED)
        z.writestr('OEBPS/content.opf', opf, zipfile.ZIP_DEFLATED)
        z.writestr('OEBPS/t.xhtml', f'<html><body><p>{title}</p></body></html>', zipfile.ZIP_DEFLATED)


def main():
    folder, archives, per, loose, epubs = sys.argv[1], *map(int, sys.argv[2:6])
    first_archive = int(sys.argv[6]) if len(sys.argv) > 6 else 0
    rng = random.Random(27 + first_archive)
    n = first_archive * per
    os.makedirs(f'{folder}/archives', exist_ok=True)
    for a in range(first_archive, first_archive + archives):
        with zipfile.ZipFile(f'{folder}/archives/fb2-{a:04d}.zip', 'w', zipfile.ZIP_DEFLATED,
                             compresslevel=1) as z:
            for _ in range(per):
                z.writestr(f'{n:07d}.fb2', book(rng, n))
                n += 1
    for i in range(loose):
        d = f'{folder}/loose/{i % 10}/{i // 10 % 50}'
        os.makedirs(d, exist_ok=True)
        with open(f'{d}/book-{i}.fb2', 'wb') as f:
            f.write(book(rng, 10_000_000 + i))
    for i in range(epubs):
        d = f'{folder}/epub/{i % 20}'
        os.makedirs(d, exist_ok=True)
        epub(rng, f'{d}/book-{i}.epub', 20_000_000 + i)


main()
