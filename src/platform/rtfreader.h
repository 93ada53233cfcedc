#pragma once

#include <QByteArray>

class QTextDocument;

// Reads an RTF document into a text document, replacing its content.
// Understood: groups; \b \i \ul \ulnone \strike \plain; \par \line \tab
// \pard \qc \ql \qr \qj; \fs; \f with the font table (\fonttbl, \fcharset);
// \cf with the colour table (\colortbl); \'hh in the document's code page
// (\ansicpg, Windows-1251 by default, or the current font's \fcharset);
// \u with \uc skipping; \~ \- \_ and a few typographic symbols; \bin.
// Destinations that carry no text (\*, \info, \stylesheet, \pict, headers,
// footnotes, field instructions ...) are skipped; unknown words are ignored.
// Returns false, leaving the document untouched, when data does not start
// with "{\rtf". Malformed input is read as far as it goes: braces need not
// balance, nesting is bounded, and nothing recurses.
bool ReadRtf(const QByteArray &data, QTextDocument *document);
