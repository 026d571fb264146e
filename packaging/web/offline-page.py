#!/usr/bin/python3
"""Makes the page into one file that opens from disk (file://), where a page may fetch nothing
beside it: the program's script and the loader go inline, the icon becomes a data address, and
the wasm is embedded compressed and handed to the loader compiled.
    offline-page.py SITE-FOLDER OUTPUT.html"""

import base64
import gzip
import os
import sys

PROGRAM = 'electron-wave'


def embedded(path):
    with open(path, 'rb') as file:
        return base64.b64encode(gzip.compress(file.read(), 9, mtime=0)).decode()


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    site, output = sys.argv[1:]

    def read(name):
        with open(os.path.join(site, name), encoding='utf-8') as file:
            return file.read()

    page = read(f'{PROGRAM}.html')
    loader = read('qtloader.js')
    with open(os.path.join(site, f'{PROGRAM}.png'), 'rb') as file:
        icon = base64.b64encode(file.read()).decode()
    script = read(f'{PROGRAM}.js')
    module = f"""
    const embeddedModule = fetch('data:application/gzip;base64,{embedded(os.path.join(site, PROGRAM + '.wasm'))}')
        .then((response) => new Response(response.body.pipeThrough(new DecompressionStream('gzip')))
            .arrayBuffer())
        .then((bytes) => WebAssembly.compile(bytes));
"""
    replacements = [
        (f'href="{PROGRAM}.png"', f'href="data:image/png;base64,{icon}"'),
        # Nothing beside the file to install it from, nor a worker to keep it: it is kept as a file.
        ('  <link rel="manifest" href="manifest.webmanifest">\n', ''),
        (f'  <link rel="apple-touch-icon" href="{PROGRAM}-192.png">\n', ''),
        (f'<script src="{PROGRAM}.js"></script>', f'<script>{script}\n  </script>'),
        ('<script src="qtloader.js" onload="start()"></script>',
         f'<script>{loader}\n{module}\n    start(embeddedModule);\n  </script>'),
    ]
    for old, new in replacements:
        if page.count(old) != 1:
            sys.exit(f'{PROGRAM}.html: expected {old!r} once')
        page = page.replace(old, new)
    for name, text in ((f'{PROGRAM}.js', script), ('qtloader.js', loader)):
        if '</script' in text:
            sys.exit(f'{name} would end its inline script early')
    with open(output, 'w', encoding='utf-8') as file:
        file.write(page)


if __name__ == '__main__':
    main()
