#pragma once

#include <QString>
#include <QStringView>

class QIODevice;

namespace tavelin {
class SheetModel;
}

namespace tavelin::host {

// Each writes every cell of the sheet, row 0 to the last row and column 0 to
// the last column, headings included, as UTF-8 to an open device. They return
// false when the device refused a write; its errorString() says why.

// RFC 4180: a field is quoted when it holds a comma, a quote, CR or LF, and
// its quotes are doubled. LF ends every row, the last one too. No byte-order mark.
bool writeCsv(const SheetModel &sheet, QIODevice &out);

// {"rows": R, "columns": C, "cells": [[{"text": ..., "fore": N, "back": N}, ...], ...]}:
// one array per row, colours as 0x00BBGGRR numbers, null where none was set.
bool writeJson(const SheetModel &sheet, QIODevice &out);

// An aligned table for a terminal: columns as wide as their widest cell in
// display columns, two blanks apart, numbers right-aligned, no trailing blanks.
bool writeTextTable(const SheetModel &sheet, QIODevice &out);

// Terminal columns the text takes: two for East Asian wide and full-width
// characters, none for combining marks and controls, one for the rest.
int displayWidth(QStringView text);

} // namespace tavelin::host
