/*
 * Error codes returned by the stand-in archiver libraries (libunlha32.so and its siblings).
 * 0 is success; FindFirst/FindNext also return -1 for "no (more) member". Every other value
 * below is an error; callers pass them on unchanged.
 */
#ifndef TUNELET_ARCHIVER_ERRORS_H
#define TUNELET_ARCHIVER_ERRORS_H

/* ARC_MAX_TOTAL_BYTES and its result ARC_ERROR_TOTAL_TOO_LARGE (0x8016), and
 * ARC_ERROR_NOT_SUPPORTED (0x8002), are part of the call contract. */
#include "archive/ArchiverApi.h"

#define ARC_OK 0
#define ARC_NO_MORE_MEMBERS (-1)

/* The command line: malformed, unknown command, no archive named. */
#define ARC_ERROR_COMMAND_LINE 0x8001
/* ARC_ERROR_NOT_SUPPORTED (0x8002), a command this library cannot carry out, is part of the
 * call contract. */
/* An @response file could not be read, or is too large. */
#define ARC_ERROR_RESPONSE_FILE 0x8003
/* A command was called while another one of the same library was still running. */
#define ARC_ERROR_BUSY 0x8004

/* The archive is missing, unreadable, or not of this library's format. */
#define ARC_ERROR_ARCHIVE_OPEN 0x8010
/* A damaged header, truncated member data or a checksum mismatch. */
#define ARC_ERROR_ARCHIVE_DAMAGED 0x8011
/* A member would be written outside the target folder (absolute path, "..", a link leaving
 * it, or an existing link in the way). Nothing is written. */
#define ARC_ERROR_UNSAFE_MEMBER 0x8012
/* A member declares a size beyond what the library handles (4 GiB and above). */
#define ARC_ERROR_MEMBER_TOO_LARGE 0x8013
/* ExtractMem: no member matched the name. */
#define ARC_ERROR_NOT_FOUND 0x8014
/* ExtractMem: the member does not fit into the caller's buffer (the buffer holds its
 * first bytes and the written-size counter says how many). */
#define ARC_ERROR_BUFFER_TOO_SMALL 0x8015

/* A folder or file could not be created or written. */
#define ARC_ERROR_WRITE 0x8020
/* Packing: a source file could not be read, or no file matched. */
#define ARC_ERROR_SOURCE 0x8021

/* The progress receiver asked to stop. */
#define ARC_ERROR_CANCELLED 0x8030

/* An unknown or closed archive handle. */
#define ARC_ERROR_HANDLE 0x8040
/* FindNext without a preceding FindFirst. */
#define ARC_ERROR_FIND_ORDER 0x8041

#endif
