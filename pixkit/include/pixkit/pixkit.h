/* SPDX-License-Identifier: LGPL-2.1-or-later */
/*
 * Pixkit: reads and writes picture files and owns the storage of every
 * image record the program holds.
 *
 * The interface is plain C (C99 or C++). Nothing throws across it: a
 * function that fails returns a record whose Bits is NULL (and whose
 * Storage is NULL for newdib), or 0 where it returns a number.
 *
 * Records are plain values. Functions that take an existing record take a
 * pointer to it and never change the caller's copy; functions that make a
 * record return it by value. Copying a record shares its storage, which is
 * released exactly once with deldib() on any copy.
 *
 * Structs that grow. A struct of this header that may gain fields in a
 * later version (the settings a call takes, and what a call fills in)
 * starts with uint32_t struct_size. The caller sets it to the size of the
 * struct as the pixkit.h it is built against declares it, best through the
 * struct's Init function, which also sets every other field to its default
 * (zero). New fields only ever go at the end, so a program built against
 * an older pixkit.h hands in a shorter struct:
 *   - the library reads only the fields that lie wholly inside struct_size
 *     and takes the default for every field behind it;
 *   - the library writes only inside struct_size, never past it;
 *   - a struct_size below PIXKIT_STRUCT_SIZE_MIN (0 included: a struct
 *     zeroed without its Init function) is refused: the call fails with
 *     PIXKIT_REASON_STRUCT_SIZE where it reports a reason, returns 0 where
 *     it returns a number, and writes nothing into the struct;
 *   - a struct_size larger than this library knows is taken, and the
 *     fields it does not know are not read; a program that needs a newer
 *     field needs the library version that brought it.
 */
#ifndef PIXKIT_PIXKIT_H
#define PIXKIT_PIXKIT_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#if defined(PIXKIT_BUILDING_LIBRARY)
#define PIXKIT_API __attribute__((visibility("default")))
#else
#define PIXKIT_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The smallest struct_size taken: the size member and the field after it,
 * which every version of every such struct declares. */
#define PIXKIT_STRUCT_SIZE_MIN 8u

/* Device-independent bitmap header, 40 bytes, as stored in BMP files. */
typedef struct PixkitBitmapInfoHeader {
  uint32_t biSize;         /* 40 */
  int32_t biWidth;         /* 1 .. 32768 */
  int32_t biHeight;        /* 1 .. 32768; rows are stored bottom-up */
  uint16_t biPlanes;       /* 1 */
  uint16_t biBitCount;     /* 1, 4, 8, 16 (5-5-5), 24 or 32 */
  uint32_t biCompression;  /* 0: uncompressed */
  uint32_t biSizeImage;    /* RowBytes * biHeight */
  int32_t biXPelsPerMeter; /* resolution as read from the file, else 0 */
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed; /* colour table entries for 1, 4 and 8 bits */
  uint32_t biClrImportant;
} PixkitBitmapInfoHeader;

/* One colour table entry: blue, green, red, reserved. */
typedef struct PixkitRgbQuad {
  uint8_t rgbBlue;
  uint8_t rgbGreen;
  uint8_t rgbRed;
  uint8_t rgbReserved;
} PixkitRgbQuad;

/* Header followed by the colour table. Records always carry room for 256
 * entries behind the header. */
typedef struct PixkitBitmapInfo {
  PixkitBitmapInfoHeader bmiHeader;
  PixkitRgbQuad bmiColors[256];
} PixkitBitmapInfo;

/* One palette entry in LOGPALETTE order: red, green, blue, flags. */
typedef struct PixkitPaletteEntry {
  uint8_t peRed;
  uint8_t peGreen;
  uint8_t peBlue;
  uint8_t peFlags;
} PixkitPaletteEntry;

typedef struct PixkitLogPalette {
  uint16_t palVersion;    /* 0x300 */
  uint16_t palNumEntries; /* 1 .. 256 */
  PixkitPaletteEntry palPalEntry[256];
} PixkitLogPalette;

/* A palette made by CreatePalette(); opaque to callers. */
typedef struct PixkitPalette *PixkitPaletteHandle;

/* The image record. Field order and widths are fixed; the reserved fields
 * belong to the library. With 8-byte pointers the offsets are
 * Info 0, Storage 8, Bits 24, RowBytes 32, HasPalette 36, LogPalette 38,
 * PaletteHandle 1072. */
typedef struct TDibImage {
  PixkitBitmapInfo *Info; /* header and colour table (blue, green, red) */
  void *Storage;          /* non-NULL while the record holds an image */
  void *LibraryReserved1;
  uint8_t *Bits;      /* first byte of the bottom memory row, or NULL */
  int32_t RowBytes;   /* bytes from one memory row to the next, multiple of 4 */
  uint8_t HasPalette; /* 1 for 1, 4 and 8 bits per pixel */
  uint8_t LibraryReserved2;
  PixkitLogPalette LogPalette; /* palette copy in red, green, blue order */
#if UINTPTR_MAX > 0xFFFFFFFFu
  uint8_t LibraryReserved3[6];
#else
  uint8_t LibraryReserved3[2];
#endif
  PixkitPaletteHandle PaletteHandle; /* made from LogPalette */
  uint8_t LibraryReserved4[32];
} TDibImage;

/* Format codes understood by SaveDib. */
enum {
  PIXKIT_FORMAT_BMP = 3,
  PIXKIT_FORMAT_DIB = 4,
  PIXKIT_FORMAT_GIF = 5,
  PIXKIT_FORMAT_IFF = 6,
  PIXKIT_FORMAT_JIF = 7,
  PIXKIT_FORMAT_JPG = 8,
  PIXKIT_FORMAT_LBM = 9,
  PIXKIT_FORMAT_PCX = 10,
  PIXKIT_FORMAT_RLE = 11,
  PIXKIT_FORMAT_TGA = 12,
  PIXKIT_FORMAT_TIF = 13,
  PIXKIT_FORMAT_JP2 = 14
};

/* Loads the first picture of the file at path (format found from the
 * content). reserved is 0. owner is handed to the progress handler
 * registered for it, if any. The record is at the file's own bit count:
 * palette pictures at 1, 4 or 8 bits, others at 24, or 32 with a real
 * alpha channel. Only regular files are read, with ordinary reads, and
 * only as far as the picture needs: the format is found from the first
 * bytes and the size in the header is checked against the limits before
 * the pixel data is read, so a load holds the picture and a small part of
 * the file, never the whole file. A named pipe or device is refused without
 * waiting, and a file that shrinks under the part being read is a failed
 * load. On failure the record's Bits and Storage are NULL and
 * nothing needs releasing (deldib on it is harmless). The caller owns the
 * record and releases it with deldib. */
PIXKIT_API TDibImage OpenDib(const char *path, int reserved, void *owner);

/* Writes the record to path in the format of the code (PIXKIT_FORMAT_*).
 * The file is written to a temporary file in the target's folder, flushed
 * to the disk and renamed over the target only when complete; an older file
 * survives a failed write. Where the system allows, the temporary file has
 * no name until it is complete, so an interrupted save leaves nothing
 * behind; elsewhere it is a short hidden name of its own, so that target
 * names up to the system's limit can be written (PixkitRemoveLeftoverSaves
 * clears such names that a killed save left behind). A symbolic link at
 * path is replaced by the new file, never written through: the file it
 * names stays as it is. An existing target whose permission bits forbid
 * writing is left alone.
 * Returns 1 when the whole file was written, 0 otherwise. The record is not
 * changed and stays the caller's. */
PIXKIT_API int SaveDib(const TDibImage *dib, const char *path, int format, void *owner);

/* Removes from folder the hidden temporary files of saves that were killed
 * between naming the finished file and renaming it over their target. Only
 * names this library gives are removed, and only those of processes of
 * this machine (and process namespace) that no longer exist: a save still
 * at work, here or on another machine sharing the folder, keeps its file.
 * Returns the number of files removed; a folder that is missing or cannot
 * be read gives 0. Meant to be called once per folder before a batch of
 * saves into it. */
PIXKIT_API int PixkitRemoveLeftoverSaves(const char *folder);

/* Why a load or a save failed. */
enum {
  PIXKIT_REASON_NONE = 0,           /* no failure */
  PIXKIT_REASON_NOT_FOUND = 1,      /* the file, or a folder on its path, does not exist */
  PIXKIT_REASON_NO_PERMISSION = 2,  /* access refused, a read-only disk, or a write-protected target */
  PIXKIT_REASON_NOT_REGULAR = 3,    /* a folder, named pipe, device or the like, not a file */
  PIXKIT_REASON_UNKNOWN_FORMAT = 4, /* load: the content is in no format the library reads */
  PIXKIT_REASON_DAMAGED = 5,        /* load: the content is damaged or cut short */
  PIXKIT_REASON_TOO_LARGE = 6,      /* over the size limits, out of memory, or too large for the format */
  PIXKIT_REASON_DISK_FULL = 7,      /* save: no space left on the disk, or the quota is used up */
  PIXKIT_REASON_NAME_TOO_LONG = 8,  /* the path or one of its names is too long */
  PIXKIT_REASON_IO_ERROR = 9,       /* any other error the system reported while reading or writing */
  PIXKIT_REASON_CHANGED = 10,       /* load: the file became shorter while it was read */
  PIXKIT_REASON_NO_PICTURE = 11,    /* save: the record holds no picture, or the format code is unknown */
  PIXKIT_REASON_ENCODER = 12,       /* save: the format's encoder failed for another reason */
  PIXKIT_REASON_STRUCT_SIZE = 13    /* a struct handed in states a struct_size below PIXKIT_STRUCT_SIZE_MIN */
};

/* OpenDib, and in addition stores why the load failed in *reason
 * (PIXKIT_REASON_*, PIXKIT_REASON_NONE on success) when reason is not NULL.
 * Opening does not wait: a named pipe or device is refused as
 * PIXKIT_REASON_NOT_REGULAR. */
PIXKIT_API TDibImage OpenDibEx(const char *path, int reserved, void *owner, int *reason);

/* SaveDib, and in addition stores why the save failed in *reason
 * (PIXKIT_REASON_*, PIXKIT_REASON_NONE on success) when reason is not NULL. */
PIXKIT_API int SaveDibEx(const TDibImage *dib, const char *path, int format, void *owner, int *reason);

/* Quality (1..100, clamped) of later JPEG writes that do not name their
 * own. The default is 75. GetJPEGQual gives the value in force. */
PIXKIT_API void SetJPEGQual(int quality);
PIXKIT_API int GetJPEGQual(void);

/* File-dialog filter of every readable format, "description|patterns|...",
 * zero-terminated, owned by the library and valid for its lifetime. */
PIXKIT_API const char *GetDIBOpenFilter(void);

/* Makes a record of width x height (both >= 1) at 1, 4, 8, 16, 24 or 32
 * bits per pixel, every pixel zero. For 1, 4 and 8 bits the palette is
 * copied from the first palette_count entries of palette_source's colour
 * table when palette_source is not NULL (further entries default), else the
 * library's default palette: black and white at 1 bit, the 16 VGA colours
 * at 4 bits, a 6x7x6 colour cube with greys at 8 bits. On failure Storage
 * and Bits are NULL. */
PIXKIT_API TDibImage newdib(int width, int height, int bit_count, const PixkitBitmapInfo *palette_source,
                            int palette_count);

/* Releases the storage and palette handle of a record made by this library.
 * Records whose Storage is NULL are ignored, and so is a record released
 * before or any copy of a released record: a second deldib is harmless and
 * reads nothing of the released storage. */
PIXKIT_API void deldib(const TDibImage *dib);

/* Pixel (x, y), (0, 0) the top-left pixel: the palette index for 1, 4 and
 * 8 bits, red + 256 * green + 65536 * blue for 16, 24 and 32 bits (alpha in
 * bits 24-31 at 32 bits). Outside the picture, or without pixels: 0. */
PIXKIT_API uint32_t getpixel(const TDibImage *dib, int x, int y);

/* Sets pixel (x, y) from a value in the form getpixel returns. Outside the
 * picture, or without pixels, nothing happens. */
PIXKIT_API void setpixel(const TDibImage *dib, int x, int y, uint32_t value);

/* Makes a palette from palNumEntries entries of log (1..256). NULL on
 * failure. Release with DeletePalette. */
PIXKIT_API PixkitPaletteHandle CreatePalette(const PixkitLogPalette *log);
PIXKIT_API void DeletePalette(PixkitPaletteHandle palette);

/* The index of the palette entry nearest to colour (red in bits 0-7, green
 * 8-15, blue 16-23): the smallest squared RGB distance, the lowest index
 * among equals. 0 for a NULL handle. */
PIXKIT_API uint32_t GetNearestPaletteIndex(PixkitPaletteHandle palette, uint32_t colour);

/* A helper for one caller that looks up many colours in one palette, such as
 * a dithering pass: FindNearestPaletteIndex gives exactly what
 * GetNearestPaletteIndex gives, faster, by remembering what it worked out.
 * The palette must outlive the finder. A finder is used by one thread at a
 * time; each thread makes its own. CreateNearestFinder returns NULL for a
 * NULL palette or when out of memory; FindNearestPaletteIndex gives 0 for a
 * NULL finder. Release with DeleteNearestFinder. */
typedef struct PixkitNearestFinder *PixkitNearestFinderHandle;
PIXKIT_API PixkitNearestFinderHandle CreateNearestFinder(PixkitPaletteHandle palette);
PIXKIT_API uint32_t FindNearestPaletteIndex(PixkitNearestFinderHandle finder, uint32_t colour);
PIXKIT_API void DeleteNearestFinder(PixkitNearestFinderHandle finder);

/* A finder's cell table, for a loop that cannot afford a call per colour.
 * The colour cube is cut into 64 x 64 x 64 cells of 4 levels a side,
 * numbered by red, then green, then blue (PixkitNearestCellOf). A word holds the indices of the entries that
 * can be nearest inside its cell, in its four bytes, ascending, a shorter list repeating its last index. A
 * word whose low byte exceeds its high byte holds no such list (not worked out yet, or too long): ask
 * FindNearestPaletteIndex, which may fill the word in. colours holds every
 * palette entry as red, green, blue and a zero byte. Both pointers stay
 * valid until DeleteNearestFinder and are read only by the finder's thread.
 * GetNearestCells returns 0 and leaves cells alone for a NULL finder.
 * The struct carries no size: its shape is bound to the inline lookups
 * below, which callers compile in, so a different table would come as a
 * struct and functions of its own. */
typedef struct PixkitNearestCells {
  const uint32_t *words;  /* 262144 words */
  const uint8_t *colours; /* 256 x 4 bytes */
} PixkitNearestCells;
PIXKIT_API int GetNearestCells(PixkitNearestFinderHandle finder, PixkitNearestCells *cells);

static inline uint32_t PixkitNearestCellOf(uint32_t r, uint32_t g, uint32_t b) {
  return ((r & 0xFCu) << 10) | ((g & 0xFCu) << 4) | (b >> 2);
}

/* The nearest of the four entries of a list word to (r, g, b), 0..255 each.
 * Distance and index form one key, so the smallest key is the smallest
 * distance and, among equals, the lowest index. */
static inline uint32_t PixkitNearestOfFour(const uint8_t *colours, uint32_t word, int r, int g, int b) {
  uint32_t keys[4];
  for (int k = 0; k < 4; ++k) {
    const uint32_t i = (word >> (8 * k)) & 255u;
    const uint8_t *e = colours + 4 * i;
    const int dr = r - e[0], dg = g - e[1], db = b - e[2];
    keys[k] = ((uint32_t)(dr * dr + dg * dg + db * db) << 8) | i;
  }
  const uint32_t low = keys[0] < keys[1] ? keys[0] : keys[1];
  const uint32_t high = keys[2] < keys[3] ? keys[2] : keys[3];
  return (low < high ? low : high) & 255u;
}

/* What FindNearestPaletteIndex gives for (r, g, b), 0..255 each, without a
 * call when the cell's list is made. */
static inline uint32_t PixkitFindNearestInCells(const PixkitNearestCells *cells,
                                                PixkitNearestFinderHandle finder, int r, int g, int b) {
  const uint32_t word = cells->words[PixkitNearestCellOf((uint32_t)r, (uint32_t)g, (uint32_t)b)];
  if ((word & 255u) <= (word >> 24)) return PixkitNearestOfFour(cells->colours, word, r, g, b);
  return FindNearestPaletteIndex(finder, (uint32_t)r | ((uint32_t)g << 8) | ((uint32_t)b << 16));
}

/* Called with the owner and a percentage 0..100 while a picture of that
 * owner is loaded or saved. Register NULL to stop. */
typedef void (*PixkitProgressFn)(void *owner, int percent);
PIXKIT_API void SetDibProgressHandler(void *owner, PixkitProgressFn handler);

/* What one OpenDibWith or SaveDibWith call uses in place of the library's
 * settings, so that several threads can load and save with their own
 * values at once. PixkitCallOptionsInit gives the library's settings. */
typedef struct PixkitCallOptions {
  uint32_t struct_size;      /* sizeof(PixkitCallOptions), see "Structs that grow" above */
  int jpeg_quality;          /* 1..100 (clamped); 0: the value SetJPEGQual set */
  PixkitProgressFn progress; /* called on the calling thread with progress_owner;
                                NULL: the handler registered for progress_owner */
  void *progress_owner;
} PixkitCallOptions;

static inline PixkitCallOptions PixkitCallOptionsInit(void) {
  PixkitCallOptions options;
  memset(&options, 0, sizeof options);
  options.struct_size = (uint32_t)sizeof options;
  return options;
}

/* OpenDibEx and SaveDibEx with per-call options (NULL: the library's
 * settings, no progress). Options of a refused struct_size fail the call
 * with PIXKIT_REASON_STRUCT_SIZE. */
PIXKIT_API TDibImage OpenDibWith(const char *path, const PixkitCallOptions *options, int *reason);
PIXKIT_API int SaveDibWith(const TDibImage *dib, const char *path, int format,
                           const PixkitCallOptions *options, int *reason);

/* Formats that only SaveDibAs writes (SaveDib refuses them, as before). */
enum { PIXKIT_FORMAT_PNG = 15, PIXKIT_FORMAT_WEBP = 16, PIXKIT_FORMAT_AVIF = 17 };

/* Chroma subsampling of a JPEG write. */
enum {
  PIXKIT_CHROMA_DEFAULT = 0, /* what SaveDib writes: 4:2:0 */
  PIXKIT_CHROMA_444 = 1,
  PIXKIT_CHROMA_422 = 2,
  PIXKIT_CHROMA_420 = 3
};

/* Which of the metadata kept from the load a write carries. */
enum {
  PIXKIT_METADATA_ALL = 0,            /* EXIF and ICC profile, as SaveDib */
  PIXKIT_METADATA_NO_GPS_SERIALS = 1, /* EXIF without its GPS directory and serial numbers, XMP
                                         without its exif:GPS properties and extended XMP */
  PIXKIT_METADATA_NONE = 2            /* no EXIF, XMP, IPTC or comments; the ICC profile stays,
                                         it says what the colours are */
};

/* How SaveDibAs encodes. Take PixkitSaveSettingsInit, then set the
 * format: that is SaveDibWith's file for the formats SaveDib knows. */
typedef struct PixkitSaveSettings {
  uint32_t struct_size;      /* sizeof(PixkitSaveSettings), see "Structs that grow" above */
  int format;                /* PIXKIT_FORMAT_* */
  int quality;               /* JPEG 1..100 (0: the call options' quality); WebP, AVIF 0..100 */
  int jpeg_chroma;           /* PIXKIT_CHROMA_* */
  int jpeg_progressive;      /* 1: progressive scans */
  int jpeg_optimize_huffman; /* 1: Huffman tables made for the picture */
  int png_compression;       /* 0..9; zlib's level */
  int webp_lossless;         /* 1: lossless WebP (quality then sets the effort) */
  int avif_speed;            /* 0 (slowest, smallest) .. 10 */
  int metadata;              /* PIXKIT_METADATA_* */
  int icc_in_all_formats;    /* 1: the ICC profile also into TIFF (tag 34675) and JP2 (colour
                                specification method 2); 0: as SaveDib, which leaves it out there */
  int xmp_iptc_comments;     /* 1: a JPEG source's XMP (extended XMP too), IPTC (APP13) and comments
                                into JPEG outputs, as metadata allows; 0: as SaveDib, without them */
} PixkitSaveSettings;

static inline PixkitSaveSettings PixkitSaveSettingsInit(void) {
  PixkitSaveSettings settings;
  memset(&settings, 0, sizeof settings);
  settings.struct_size = (uint32_t)sizeof settings;
  return settings;
}

/* SaveDibWith with the encoder settings of settings (NULL fails with
 * PIXKIT_REASON_NO_PICTURE, a refused struct_size with
 * PIXKIT_REASON_STRUCT_SIZE). Formats 3..14 as SaveDib, and a settings value
 * with only the format set writes SaveDibWith's very bytes; PNG, WebP and
 * AVIF at 24 bits, or 32 with alpha; PNG also at 1, 4 and 8 bits with the
 * palette. The EXIF block is written upright into JPEG, PNG (eXIf), WebP
 * and AVIF, the ICC profile into JPEG, PNG (iCCP), WebP and AVIF, and with
 * settings->icc_in_all_formats into TIFF and JP2 too, as
 * settings->metadata allows; an EXIF block that does not hold together
 * enough to take the GPS position out is left out whole. Returns 1 when
 * the whole file was written, 0 otherwise with *reason set (when not NULL). */
PIXKIT_API int SaveDibAs(const TDibImage *dib, const char *path, const PixkitSaveSettings *settings,
                         const PixkitCallOptions *options, int *reason);

/* Asked once the picture's upright size is known, before its pixels are
 * decoded: the decoder may deliver a smaller picture (a JPEG shrinks by its
 * DCT scaling by 1/8 steps) as long as it stays at least *min_width x
 * *min_height. Leaving them at width x height asks for the full size. */
typedef void (*PixkitFitFn)(void *owner, int32_t width, int32_t height, int32_t *min_width,
                            int32_t *min_height);

/* What OpenDibAs may do beyond OpenDibWith, and what it tells about the
 * source. PixkitLoadSettingsInit gives OpenDibWith's load. */
typedef struct PixkitLoadSettings {
  uint32_t struct_size; /* sizeof(PixkitLoadSettings), see "Structs that grow" above */
  int more_formats;     /* 1: also WebP, HEIC/HEIF and AVIF content */
  PixkitFitFn fit;      /* NULL: the full size */
  void *fit_owner;
  /* Filled in by the load: */
  int32_t source_width; /* upright size as stored, before any shrinking */
  int32_t source_height;
  int source_format;       /* PIXKIT_FORMAT_* of the content (PNG, WEBP, AVIF too); 0 unknown;
                              HEIC/HEIF is PIXKIT_SOURCE_HEIF */
  int source_jpeg_quality; /* JPEG: the IJG quality its quantisation tables were scaled
                              with, 1..100; 0 for other content */
  int source_jpeg_chroma;  /* JPEG in colour: PIXKIT_CHROMA_444, _422 or _420 as its colour
                              planes are sampled; 0 for other content or other sampling */
} PixkitLoadSettings;

static inline PixkitLoadSettings PixkitLoadSettingsInit(void) {
  PixkitLoadSettings settings;
  memset(&settings, 0, sizeof settings);
  settings.struct_size = (uint32_t)sizeof settings;
  return settings;
}

/* source_format of HEIC/HEIF content, which no SaveDib writes. */
enum { PIXKIT_SOURCE_HEIF = 100 };

/* OpenDibWith under settings (NULL: OpenDibWith). Alpha of PNG, WebP, HEIF
 * and AVIF sources comes as a 32-bit record. The fields the load fills in
 * are written as far as settings->struct_size reaches; settings of a
 * refused struct_size fail the load with PIXKIT_REASON_STRUCT_SIZE and are
 * left as they are. */
PIXKIT_API TDibImage OpenDibAs(const char *path, PixkitLoadSettings *settings,
                               const PixkitCallOptions *options, int *reason);

/* Copies the metadata the library keeps with from (EXIF, ICC profile, a
 * JPEG's XMP, IPTC and comments) to to, replacing to's. Returns 1 when done, 0 when either record is not one
 * of the library's. Neither record's pixels change. */
PIXKIT_API int PixkitCopyMetadata(const TDibImage *from, const TDibImage *to);

/* The ICC profile kept with the record: *profile points into the record's
 * storage (valid until the record changes or is released), *size its
 * bytes; 0 and NULL when it has none. */
PIXKIT_API int PixkitGetIccProfile(const TDibImage *dib, const uint8_t **profile, size_t *size);

/* Replaces the ICC profile kept with the record (size 0: none). Returns 1
 * when done, 0 for a record not of the library or without memory. */
PIXKIT_API int PixkitSetIccProfile(const TDibImage *dib, const uint8_t *profile, size_t size);

/* Largest picture any reader accepts, checked before allocating. Defaults:
 * 32768 pixels a side, 250 million pixels. Meant for tests and fuzzing;
 * values below 1 restore the defaults. */
PIXKIT_API void PixkitSetLimits(int32_t max_side, int64_t max_pixels);

/* When and with what a photo was taken. */
typedef struct PixkitCaptureInfo {
  uint32_t struct_size;      /* set by the caller: sizeof(PixkitCaptureInfo), see "Structs that grow" above */
  int32_t has_capture_time;  /* 1: the fields below hold the EXIF DateTimeOriginal */
  int32_t year;              /* 1..9999, as the camera wrote it (its own clock, no zone) */
  int32_t month;             /* 1..12 */
  int32_t day;               /* 1..31, a day the month has */
  int32_t hour;              /* 0..23 */
  int32_t minute;            /* 0..59 */
  int32_t second;            /* 0..60 */
  char make[64];             /* EXIF Make, UTF-8, zero-terminated, blanks trimmed; "" when absent */
  char model[64];            /* EXIF Model, the same way */
  int32_t has_modified_time; /* 1: modified_time holds the file's modification time */
  int64_t modified_time;     /* seconds since 1970-01-01 00:00 UTC */
} PixkitCaptureInfo;

static inline PixkitCaptureInfo PixkitCaptureInfoInit(void) {
  PixkitCaptureInfo info;
  memset(&info, 0, sizeof info);
  info.struct_size = (uint32_t)sizeof info;
  return info;
}

/* Fills *info from the file at path: DateTimeOriginal, Make and Model from
 * a JPEG's EXIF block (APP1) or from a TIFF file's directories, and the
 * file's modification time for any file. Only the directories and the
 * short values named there are read, never the pixels. Fields the file
 * does not have, or that do not hold together, are left zero or empty.
 * info->struct_size stays as the caller set it, and only the fields inside
 * it are written. Returns 1 when the file was opened (a regular file;
 * opening does not wait), 0 otherwise with *info all zero, or untouched
 * for a refused struct_size. Safe to call from several threads at once;
 * nothing needs releasing. */
PIXKIT_API int PixkitReadCaptureInfo(const char *path, PixkitCaptureInfo *info);

/* Stamping a JPEG while keeping, bit for bit in their coefficients, the
 * 8 x 8 blocks the stamp does not touch. */

/* A rectangle of pixels, [left, right) x [top, bottom). */
typedef struct PixkitRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
} PixkitRect;

/* A JPEG whose blocks can be kept: 8 bits a sample, Huffman-coded, grey or
 * YCbCr. width and height are the picture's upright, as OpenDib gives it. */
typedef struct PixkitJpegBlocksInfo {
  uint32_t struct_size; /* set by the caller: sizeof(PixkitJpegBlocksInfo), see "Structs that grow" above */
  int32_t width;
  int32_t height;
} PixkitJpegBlocksInfo;

static inline PixkitJpegBlocksInfo PixkitJpegBlocksInfoInit(void) {
  PixkitJpegBlocksInfo info;
  memset(&info, 0, sizeof info);
  info.struct_size = (uint32_t)sizeof info;
  return info;
}

/* Reads the header of the JPEG at path (only the header). Returns 1 and
 * fills *info (when not NULL) when its blocks can be kept; 0 for any other
 * file (CMYK, arithmetic-coded, 12 bits, not a JPEG, unreadable), *info
 * then zero. As for PixkitReadCaptureInfo, struct_size stays and only the
 * fields inside it are written; a refused struct_size gives 0 and leaves
 * *info untouched. */
PIXKIT_API int PixkitProbeJpegBlocks(const char *path, PixkitJpegBlocksInfo *info);

/* Receives the upright picture as a 24-bit record of its full size in which
 * the pixels of every MCU to be coded again hold the decoded picture (the
 * others are zero), to stamp in place. The record stays the library's.
 * Returns 1 to go on, 0 to give the save up (PIXKIT_BLOCKS_DECLINED). */
typedef int (*PixkitStampBlocksFn)(void *owner, TDibImage *picture);

/* PixkitSaveJpegKeepingBlocks gave the save up before writing anything:
 * the source is not such a JPEG (any more), the rectangles cover more than
 * half of it, where coding every block again is the faster way, the stamp
 * asked so, or the source could not be read as far as needed. */
enum { PIXKIT_BLOCKS_DECLINED = -1 };

/* Writes the JPEG at source to target (saved as SaveDib saves) with the
 * source's quantisation tables and sampling: the MCUs under the upright
 * rectangles rects[0 .. rect_count) are decoded, handed to stamp, and
 * quantised again; every other block keeps the source's coefficients. The
 * stored orientation stays, and with it the EXIF block; the ICC profile is
 * kept. Returns 1 when written, 0 on failure (*reason as for SaveDibEx),
 * PIXKIT_BLOCKS_DECLINED when nothing was done. options as for
 * SaveDibWith (its quality is not used; a refused struct_size gives 0
 * with PIXKIT_REASON_STRUCT_SIZE). */
PIXKIT_API int PixkitSaveJpegKeepingBlocks(const char *source, const char *target, const PixkitRect *rects,
                                           int rect_count, PixkitStampBlocksFn stamp, void *stamp_owner,
                                           const PixkitCallOptions *options, int *reason);

#ifdef __cplusplus
}
#endif

#endif /* PIXKIT_PIXKIT_H */
