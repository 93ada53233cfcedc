#pragma once

#include <QByteArray>

class QTextDocument;

// Reads an RTF document into a text document, replacing its content.
// Understood: groups; \b \i \ul \ulnone \strike \plain; \par \line \tab
// \pard \qc \ql \qr \qj; indents \li \fi \ri and tab stops \tx (\tqr \tqc),
// in twips, as block margins and tab positions at the screen's resolution;
// \fs (text without it is 12 pt, as in word processors); \f with the font
// table (\fonttbl, \fcharset), text without a font of its own in the
// default font (\deff, or \f0 when not given; the window's font when the
// table lacks it); \cf with the colour table (\colortbl); \'hh
// in the document's code page (\ansicpg, Windows-1251 by default, or the
// current font's \fcharset); \u with \uc skipping; \~ \- \_ and a few
// typographic symbols; \bin. A list item's number (\listtext, \pntext) is
// text in the size of the text after it; the paragraph's settings return
// after its group. Tables (\trowd, \cellx, \intbl, \cell, \row) become
// tables of the document: a row's cells in columns as wide as their \cellx
// edges give (a cell spans the columns of the rows above it that it covers),
// with thin borders when the rows have borders; a table within a cell
// (\nestcell) has its cells separated by tabs.
// Destinations that carry no text (\*, \info, \stylesheet, \pict, \pn,
// headers, footnotes, field instructions ...) are skipped; unknown words are
// ignored.
// Returns false, leaving the document untouched, when data does not start
// with "{\rtf". Malformed input is read as far as it goes: braces need not
// balance, nesting is bounded, and nothing recurses.
bool ReadRtf(const QByteArray &data, QTextDocument *document);
