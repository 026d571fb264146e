#!/usr/bin/python3
"""Makes the page into one file that opens from disk (file://), where a page may fetch nothing
beside it: the loader goes inline, the icon becomes a data address, and the program's script and
wasm are embedded compressed, handed to the loader's fetch as if they had been downloaded.
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
    # The loader fetches exactly these two; anything else would still go to the network.
    shim = f"""
    const embeddedFiles = {{
      '{PROGRAM}.js': ['text/javascript', '{embedded(os.path.join(site, PROGRAM + '.js'))}'],
      '{PROGRAM}.wasm': ['application/wasm', '{embedded(os.path.join(site, PROGRAM + '.wasm'))}'],
    }};
    const fetchFromNetwork = window.fetch.bind(window);
    window.fetch = (resource, options) => {{
      const file = embeddedFiles[String(resource).split('/').pop()];
      if (!file) return fetchFromNetwork(resource, options);
      return fetchFromNetwork('data:application/gzip;base64,' + file[1]).then((response) =>
          new Response(response.body.pipeThrough(new DecompressionStream('gzip')),
                       {{ headers: {{ 'Content-Type': file[0] }} }}));
    }};
"""
    replacements = [
        (f'href="{PROGRAM}.png"', f'href="data:image/png;base64,{icon}"'),
        ('<script src="qtloader.js" onload="start()"></script>',
         f'<script>{shim}\n{loader}\n    start();\n  </script>'),
    ]
    for old, new in replacements:
        if page.count(old) != 1:
            sys.exit(f'{PROGRAM}.html: expected {old!r} once')
        page = page.replace(old, new)
    if '</script' in loader:
        sys.exit('qtloader.js would end its inline script early')
    with open(output, 'w', encoding='utf-8') as file:
        file.write(page)


if __name__ == '__main__':
    main()
