#!/usr/bin/python3
"""Cuts a proportional Japanese gothic down to the glyphs that the program's texts use: every
translated text of the Japanese translation, the window's title and printable ASCII, so that the
browser build, whose Qt ships only Latin faces, can show them; and the full-width forms and the
minus sign that Wave Num reads as ASCII, as a Japanese input method types them.
  usage: japanese-font.py TRANSLATION.ts FONT OUTPUT"""
import sys
import xml.etree.ElementTree as ElementTree

from fontTools import subset

translation, font, output = sys.argv[1:4]
texts = ["".join(element.itertext()) for element in ElementTree.parse(translation).iter("translation")]
characters = (set("".join(texts)) | set("電子波自己干渉") | {chr(c) for c in range(0x20, 0x7F)}
              | {chr(c) for c in range(0xFF01, 0xFF5F)} | {"\u2212"})
options = subset.Options()
options.layout_features = ["*"]
options.name_IDs = ["*"]  # the family name, by which the program asks for the face
fonts = subset.load_font(font, options)
subsetter = subset.Subsetter(options)
subsetter.populate(text="".join(sorted(characters)))
subsetter.subset(fonts)
subset.save_font(fonts, output, options)
