#pragma once

// Shared by the fuzz targets: turning the fuzzer's bytes into texts.
//
// Bytes are read as UTF-8, so that a corpus file is readable text and a bad
// sequence arrives as the replacement character, as QString::fromUtf8 makes
// it. UTF-8 never holds the byte 0xFF: 0xFF followed by two bytes stands for
// that one UTF-16 unit (big-endian), which is how a lone surrogate or a NUL
// deep inside a line gets in.

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tavelin::fuzz {

QString fuzzText(const std::uint8_t *data, std::size_t size);

// The text split at every occurrence of the separator, empty parts kept.
QStringList fuzzParts(const QString &text, QChar separator);

// A QCoreApplication for the whole run: Qt finds its SQL drivers through it.
void ensureApplication();

// Prints the text (escaped to ASCII) and aborts, for the fuzzer to record the input.
[[noreturn]] void fail(const char *what, const QString &detail = QString());

inline void check(bool condition, const char *what, const QString &detail = QString())
{
    if (!condition)
        fail(what, detail);
}

} // namespace tavelin::fuzz
