// File stream: the one read stream and the one write stream through which
// every file of the program passes, with little-endian integers, text in three
// encodings and the byte-pair run-length coding of layout bodies.
//
// Every operation returns a small code: 0 ok, 1 not found / end of file /
// failed write, 2 bad file / read error / short write, 3 already open or not
// open. A read error or a failed write closes the stream before the code is
// returned.
//
// Writing never destroys the old file first: the stream writes a temporary
// file in the target's folder and moves it over the target only when
// Fio_CloseWrite completes without error. Fio_CancelWrite (and any write
// error) throws the temporary file away and leaves the old file as it was.
// The temporary name is made of the target's path and the process id, so
// that programs saving into one folder at once never share one.
//
// Fio_CloseWrite of a file stream closes the info box that was on top when
// the stream opened (callers open one before writing a file), and only while
// it is still on top; a memory stream, or a stream opened with no box open,
// closes none.
//
// Files are named by a name and a FolderIndex (see Fio_FolderPath).
#pragma once
#include "platform/types.h"

// ---------------------------------------------------------------- folders
enum FolderIndex {
  FOLDER_PROGRAM = 0,
  FOLDER_SETTINGS = 1,
  FOLDER_LAYOUTS = 2,
  FOLDER_PICTURES = 3,
  FOLDER_EXPORTS = 4,
  FOLDER_LOGS = 5,
  FOLDER_SCRIPTS = 6,
  FOLDER_ZOOM2 = 20,
  FOLDER_ZOOM2F = 21,
  FOLDER_ZOOM2G = 22,
  FOLDER_ZOOM4 = 23,
  FOLDER_ZOOM4F = 24,
  FOLDER_ZOOM4G = 25,
  FOLDER_ZOOM1 = 26,
  FOLDER_ZOOM1F = 27,
  FOLDER_ZOOM1G = 28,
  FOLDER_SOUND = 30,
  FOLDER_FULLPATH = 100
};

// Open flags.
enum {
  FIO_SKIP_TO_CTRLZ = 1,  // read: skip characters up to and including the first 26
  FIO_PROGRESS = 2,       // read: progress in the top info box while reading
  FIO_UTF16LE = 4,        // read: a byte-order mark is required; write: UTF-16LE text
  FIO_UTF16BE = 8,        // write: UTF-16BE text
  FIO_ANSI = 16,          // write: 8-bit text
  FIO_WRITE_BOM = 32      // write: a byte-order mark first
};

// Sets a base folder path (0..6); the path must end with a separator or be
// empty. 0 ok, 1 bad index, 2 too long.
int Fio_SetFolderPath(int folder, const wch* path);
int Fio_FolderPath(int folder, wch* buf, int size);
// Full path of name in folder; 0 ok, 1 when it would reach 260 characters
// or the folder is unknown.
int Fio_BuildPath(const wch* name, int folder, wch* buf);

// ---------------------------------------------------------------- streams
int Fio_InitBuffers(void);
void Fio_FreeBuffers(void);

int Fio_OpenRead(const wch* name, int flags, int folder);
int Fio_OpenWrite(const wch* name, int flags, int folder);
// Full path of the temporary file a write of name in folder is made in
// before it takes the name's place (unique to the target and the process);
// 0 ok, 1 when the path cannot be built.
int Fio_TempPath(const wch* name, int folder, wch* buf);
// In-memory streams: a read over bytes the caller keeps alive while the stream
// is open, and a write into a growing heap block taken by Fio_TakeWriteMemory.
int Fio_OpenReadMemory(const u8* data, u32 size);
int Fio_OpenWriteMemory(void);
// After Fio_CloseWrite of a memory stream: the bytes (a Heap block the caller
// frees with Heap_Free) and their number; null when there are none.
u8* Fio_TakeWriteMemory(u32* size);
int Fio_IsReadOpen(void);
int Fio_IsWriteOpen(void);

void Fio_SetTextMode(int flags);
void Fio_SetReadEncoding(u16 value);
void Fio_BeginReadRle(void);
void Fio_BeginWriteRle(void);
int Fio_CloseRead(void);
int Fio_CloseWrite(void);
// Closes the write stream without keeping anything written; 3 when not open.
int Fio_CancelWrite(void);

int Fio_ReadU16(u16* value);
int Fio_ReadU32(u32* value);
int Fio_WriteU16(u16 value);
int Fio_WriteU32(u32 value);
u32 Fio_ReadBlock(void* buf, u32 n);
int Fio_WriteBlock(const void* buf, u32 n);
int Fio_ReadChar(u32* ch);
int Fio_WriteChar(u32 ch);
int Fio_WriteString(const wch* s);
// Text by a Fmt_Print format (platform/print.h), cut at FIO_FORMAT_MAX
// units, written as Fio_WriteString writes it.
enum { FIO_FORMAT_MAX = 1023 };
int Fio_WriteFormat(const wch* fmt, ...);
// A name in a binary record: its UTF-16 units as 2-byte fields, then a zero
// unit.
int Fio_WriteZeroEnded(const wch* s);
int Fio_WriteCrLf(void);
int Fio_WriteSeparator(void);
int Fio_ReadToken(wch* buf, int size);
int Fio_SeekRead(i32 n);

// ---------------------------------------------------------------- fields
// Binary records are read and written as a run of fields of 1, 2 or 4 bytes,
// little-endian, through a FioFields that keeps the first failing code: once
// it holds one, reads deliver 0 and read nothing, and writes write nothing,
// so a reader or writer checks the code once where it must act on what it
// has (before a check of a value or at its end).
struct FioFields {
  int error;  // 0, or the first stream code that was not 0
};

// One field of bytes (1, 2 or 4) into value (unsigned, or a field of 1 or 2
// bytes sign-extended); the stream's code. value is 0 when the read failed.
int Fio_ReadField(u32* value, int bytes);
int Fio_ReadSignedField(i32* value, int bytes);
// The same through fields that keep the first failing code.
u32 Fio_GetField(FioFields* in, int bytes);
i32 Fio_GetSignedField(FioFields* in, int bytes);
// Reads n bytes and keeps none of them.
void Fio_SkipBytes(FioFields* in, u32 n);
// The low bytes (1, 2 or 4) of value.
void Fio_PutField(FioFields* out, u32 value, int bytes);
// Takes the code of another call into the fields' state; the state's code.
int Fio_KeepCode(FioFields* fields, int code);

// ---------------------------------------------------------------- whole files
int Fio_FileExists(const wch* name, int folder);
i32 Fio_GetFileSize(const wch* name, int folder);
int Fio_GetFileTime(const wch* name, int folder, int* year, int* second, int* minute, int* hour, int* day,
                    int* month);
int Fio_SetFileTime(const wch* name, int folder, int year, int second, int minute, int hour, int day, int month);
int Fio_DeleteFile(const wch* name, int folder);
int Fio_RenameFile(const wch* oldName, const wch* newName, int folder);
int Fio_CopyFile(const wch* sourcePath, const wch* targetPath);
void Fio_StripExtension(wch* path);
void Fio_AddExtension(wch* path, const wch* ext);
int Fio_GetExtension(const wch* path, wch* buf);
int Fio_IsUtf16File(const wch* name, int folder);
int Fio_ConvertToAnsi(const wch* name, int folder);

// ---------------------------------------------------------------- fast paths
// The stream records are shared with the inline byte paths below, which serve
// the common case (a raw stream with bytes in its buffer) without a call.
enum { FIO_BUFFER_SIZE = 16384 };

struct FioReadStream {
  int handle = -1;  // -1 closed, -2 memory
  u8* buf;
  u32 pos;
  u32 avail;
  u32 block;
  int progress;
  int raw;
  int byteOrder;  // 0 8-bit, 1 UTF-16LE, 2 UTF-16BE
  u32 pending;    // pairs still to deliver
  u8 pairA, pairB;
  int toggle;  // 1: the second byte of the pair comes next
  const u8* mem;
  u32 memSize, memPos;
};

struct FioWriteStream {
  int handle = -1;  // -1 closed, -2 memory
  u8* buf;
  u32 fill;
  u32 block;
  int raw;
  int textMode;
  int haveA, haveB, half;
  u8 a, b;
  u32 k;
  int error;
  u8* mem;
  u32 memSize, memCap;
  wch target[OS_MAX_PATH];
  wch temp[OS_MAX_PATH + 16];
  // Info boxes open when a file stream opened: the top one is the caller's
  // progress box, which the block writes update and the close takes down.
  int infoDepth;
};

extern FioReadStream g_fioRead;
extern FioWriteStream g_fioWrite;

int Fio_ReadByteSlow(u8* out);
int Fio_WriteByteSlow(u8 byte);

inline int Fio_ReadByte(u8* out) {
  FioReadStream& s = g_fioRead;
  if (s.raw && s.avail) {  // avail is 0 while closed
    *out = s.buf[s.pos++];
    s.avail--;
    return 0;
  }
  return Fio_ReadByteSlow(out);
}

inline int Fio_WriteByte(u8 byte) {
  FioWriteStream& s = g_fioWrite;
  if (s.raw && s.fill < FIO_BUFFER_SIZE) {  // raw is 0 while closed
    s.buf[s.fill++] = byte;
    return 0;
  }
  return Fio_WriteByteSlow(byte);
}

// Fio_ReadU32 for loops over many words: inline while a raw stream holds the
// word's four bytes in its buffer.
inline int Fio_ReadU32Fast(u32* value) {
  FioReadStream& s = g_fioRead;
  if (s.raw && s.avail >= 4) {
    const u8* b = s.buf + s.pos;
    *value = u32(b[0]) | u32(b[1]) << 8 | u32(b[2]) << 16 | u32(b[3]) << 24;
    s.pos += 4;
    s.avail -= 4;
    return 0;
  }
  return Fio_ReadU32(value);
}
