#pragma once

#include <QImage>
#include <QString>

// Reads a Windows bitmap file. A file of 0 bytes gives a null image; every
// other failure raises AppError with the message a user sees:
//   "Cannot open file <path>"     the file is missing or cannot be read
//   "Bitmap image is not valid"   it does not start with "BM" (however short it
//                                 is) or cannot be decoded
//   "Stream read error"           it starts with "BM" but ends before its
//                                 header or pixels do
// One-bit pictures come back in QImage::Format_Mono, so the caller can tell
// them apart (their transparent colour is white). A picture comes back with
// an alpha channel only when its alpha is in use: a 32-bit picture whose
// alpha is 0 everywhere or 255 everywhere comes back opaque.
QImage LoadBitmapFile(const QString &path);

// Decodes bitmap file contents already in memory; same rules, no open error.
QImage DecodeBitmap(const QByteArray &data);
