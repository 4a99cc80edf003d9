// Plain integer and character types shared by every module.
// Strings are UTF-16 (char16_t) everywhere in portable code; they become
// wchar_t only at a Win32 call inside the Os_ layer.
#pragma once
#include <cstddef>
#include <cstdint>

typedef uint8_t u8;
typedef uint16_t u16;
typedef uint32_t u32;
typedef uint64_t u64;
typedef int8_t i8;
typedef int16_t i16;
typedef int32_t i32;
typedef int64_t i64;
typedef char16_t wch;

// Longest full path the program handles, in UTF-16 units with the zero.
enum { OS_MAX_PATH = 260 };
