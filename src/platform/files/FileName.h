#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// File names are bytes; the program's paths are text. Names are decoded as UTF-8, and a
// name that is not valid UTF-8 (a disc with Latin-1 names mounted without conversion) must
// still open. So the text form is lossless: each byte that is not part of a valid UTF-8
// sequence becomes one escape character, the lone surrogate U+DC80..U+DCFF for the bytes
// 0x80..0xFF. Valid UTF-8 never yields a lone surrogate, so the escapes cannot be confused
// with real characters, and a valid name's text is exactly what Qt would decode.
namespace FileName {

// The lossless text of a file name or path.
QString fromBytes(QByteArrayView bytes);

// The bytes the text names: UTF-8, with each escape turned back into its byte, so
// toBytes(fromBytes(b)) == b for any bytes without a NUL. Empty when the text names no
// file: it holds a NUL or a lone surrogate that is not an escape.
std::optional<QByteArray> toBytes(QStringView text);

// The text as shown to people: every lone surrogate, escapes included, becomes U+FFFD,
// one code unit for one, so positions in the shown text are those in the lossless text.
QString forDisplay(QStringView text);

} // namespace FileName
