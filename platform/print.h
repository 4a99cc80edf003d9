// printf-style formatting into UTF-16 and 8-bit buffers. The format strings
// of the program's texts (language files, file formats) use this one set:
// %s (UTF-16 string), %hs (8-bit string), %c (UTF-16 unit), %d %i %u %x %X
// with flags '-', '0', '+', ' ', a width and a precision (also '*'), 'l' and
// 'h' size prefixes (ignored, arguments are 32-bit), %I64d/%lld/%llu (64-bit)
// and %%. The output is always terminated and cut at the buffer; the result
// is the number of units written without the zero: 0 without a buffer (null
// or a size below 1), where nothing is written.
#pragma once
#include <stdarg.h>

#include "platform/types.h"

int Fmt_Print(wch* buf, int size, const wch* fmt, ...);
int Fmt_PrintV(wch* buf, int size, const wch* fmt, va_list ap);
int Fmt_PrintA(char* buf, int size, const char* fmt, ...);
int Fmt_PrintVA(char* buf, int size, const char* fmt, va_list ap);
