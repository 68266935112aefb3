#pragma once

#include <QByteArray>

// Scanning byte strings character by character. Text that is not valid UTF-8 is read as
// Shift-JIS, whose double-byte characters may carry '\' or '[' as their second byte; in
// valid UTF-8 no such byte is ever part of a multi-byte character.
namespace doublebyte
{

bool isLeadByte(unsigned char c);

// Byte length of the character that starts at index i.
qsizetype charLength(const QByteArray &text, qsizetype i, bool shiftJis);

bool readsAsShiftJis(const QByteArray &text);

// True when the last character is a single-byte '\'.
bool endsWithBackslash(const QByteArray &text);

} // namespace doublebyte
