// Text that comes from outside the program: names as the system gives them,
// which are bytes and need not be UTF-8, and any such text (a name, a line
// of a file, a device's reason) as a one-line message can show it.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// A name given as bytes, kept whole: UTF-8 is decoded, and every byte that
// is not part of a UTF-8 character is kept as a code point of its own
// (U+DC80 to U+DCFF, which no UTF-8 text holds), so that nameBytes() gives
// the very same bytes back.
QString nameFromBytes(QByteArrayView bytes);
QByteArray nameBytes(QStringView name);

// `text` on one line of a terminal or a message, in a form that can be read
// only one way and turned back into the text's bytes: a backslash as "\\",
// a C0 control or DEL as "\n", "\r", "\t" or "\x1B", and the bytes
// nameFromBytes() kept as "\xFF" (so "\xHH" is always the byte 0xHH);
// every character that shows nothing or moves what follows it (C1 controls,
// format and direction marks, line and paragraph separators, blanks other
// than the space, fillers, unassigned and private code points) as "\u202E"
// or, beyond U+FFFF, "\U000E0001"; everything else as it is.
QString escapedText(QStringView text);
