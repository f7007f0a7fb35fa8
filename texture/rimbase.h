/*
 * rimbase.h - the host's multi-band image library RimBase.dll, as the
 * library calls it. C calling convention, plain C names; every function
 * returns 0 for success or one of the RM_ERR_* codes.
 *
 * An open image is known by a 32-bit handle, non-zero while it is open.
 * rmCloseRimFileForRead ends it; the handle is not valid afterwards.
 */
#ifndef RIMBASE_H
#define RIMBASE_H

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned int RMHANDLE;

#define RM_OK              0
#define RM_ERR_ARGUMENT    1   /* a null pointer where one is needed        */
#define RM_ERR_NOT_FOUND   2   /* no data file, or no header beside it       */
#define RM_ERR_HEADER      3   /* the header cannot be read or is malformed  */
#define RM_ERR_HANDLE      4   /* not the handle of an open image            */
#define RM_ERR_TOO_MANY    5   /* too many images open at once               */

/* Opens an image for reading: fills *handle (0 on failure). */
int __cdecl rmOpenRimFileForRead(const char* fileName, RMHANDLE* handle);
/* The number of bands of an open image. */
int __cdecl rmGetBands(RMHANDLE handle, int* bands);
/* The image's default display bands, 0-based: red, green, blue. */
int __cdecl rmGetRGBDisplayBandNo(RMHANDLE handle, int* red, int* green, int* blue);
/* Closes an open image. */
int __cdecl rmCloseRimFileForRead(RMHANDLE handle);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* RIMBASE_H */
