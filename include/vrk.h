/* vrk.h: a reader of VRK Engine level files (.vrk), in one C99 header.

   In exactly one C or C++ file of the program:
       #define VRK_IMPLEMENTATION
       #include "vrk.h"
   and include it plainly everywhere else. It needs nothing but <stddef.h>
   and <stdint.h>, never allocates and keeps no state: the caller owns the
   vrk_level record (about 12 KiB; static or on the heap rather than on a
   small stack) and the bytes of the file.

       static vrk_level level;
       vrk_warnings warnings;
       vrk_result result = vrk_read(&level, bytes, size, &warnings);
       if (result != VRK_OK)
           fprintf(stderr, "%s\n", vrk_result_message(result));

   The format, little-endian throughout: a 9-byte header (version u8,
   start column u16, start row u16, sector count u16, portal count u16),
   then 10 bytes per sector (left, top, right, bottom u16; floor and
   ceiling height u8), then 10 bytes per portal (offset x, offset y,
   length, owning sector, twin u16). Right and bottom are one past the
   last cell covered.

   The verdict is the editor's: a file is refused when it is shorter than
   the header, claims more than 256 sectors or ends before its last sector
   record. A version other than 2 is read anyway, with a warning. Portals
   are not needed to accept a file: those stored whole are read (up to
   1024), and vrk_build_portals derives the table the editor saves. */
#ifndef VRK_H
#define VRK_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    VRK_VERSION = 2, /* the version the editor writes */
    VRK_HEADER_SIZE = 9,
    VRK_RECORD_SIZE = 10, /* a sector or a portal */
    VRK_MAX_SECTORS = 256,
    VRK_MAX_PORTALS = 1024,
    VRK_MESSAGE_SIZE = 64 /* room for any message below, its 0 included */
};

typedef enum vrk_result {
    VRK_OK = 0,
    VRK_NO_HEADER,        /* fewer bytes than the 9-byte header */
    VRK_TOO_MANY_SECTORS, /* the header claims more than 256 sectors */
    VRK_CUT_SHORT,        /* the bytes end before the last sector record */
    VRK_NO_LEVEL          /* a null level, or null bytes with a size */
} vrk_result;

typedef struct vrk_sector {
    uint16_t left, top, right, bottom; /* cells; right and bottom one past */
    uint8_t floor_height, ceiling_height;
} vrk_sector;

typedef struct vrk_portal {
    uint16_t offset_x; /* the edge's start minus the owning sector's left */
    uint16_t offset_y; /* the edge's start minus the owning sector's top */
    uint16_t length;   /* in cells */
    uint16_t sector;   /* the owning sector's slot */
    uint16_t twin;     /* the index of the same edge seen from the other side */
} vrk_portal;

typedef struct vrk_level {
    uint16_t version;          /* a byte in the file */
    uint16_t start_x, start_y; /* the start cell */
    uint16_t sector_count;
    uint16_t portals_claimed; /* the header's portal count */
    uint16_t portal_count;    /* portal records read: whole ones, at most 1024 */
    vrk_sector sectors[VRK_MAX_SECTORS];
    vrk_portal portals[VRK_MAX_PORTALS];
} vrk_level;

/* What a read found worth saying without refusing the file. */
typedef struct vrk_warnings {
    int other_version; /* the header's version is not VRK_VERSION */
    unsigned version;  /* the header's version (0 without a header) */
} vrk_warnings;

/* Reads size bytes into *level. On VRK_OK the level holds the header, the
   sectors and the stored portals; slots past the counts are left as they
   were. On a refusal *level is untouched. warnings may be null; when given
   it is filled on every outcome from what the header says, so a refused
   file with another version warns too, as the editor does. Never looks at
   a byte at or past bytes + size. */
vrk_result vrk_read(vrk_level* level, const void* bytes, size_t size, vrk_warnings* warnings);

/* The message of a result: the editor's own "Map contains too many
   sectors." for that refusal. A static string; never null. */
const char* vrk_result_message(vrk_result result);

/* "Expected map version 2, file is version N." into text, cut to capacity
   (VRK_MESSAGE_SIZE is always enough). Returns the length of the full
   message. */
size_t vrk_version_message(unsigned version, char* text, size_t capacity);

/* Replaces the portal table with the one the editor derives and saves: for
   each sector slot i in turn, each slot j that has not yet found an edge
   and shares an edge of positive length with i (tried above, right, below
   and left of i) gives a pair of portals, i's then j's, twins of each
   other. Pairs past 512 are left out; returns how many were (0 normally).
   Uses at most the first 256 sectors. */
int vrk_build_portals(vrk_level* level);

#ifdef __cplusplus
}
#endif

#endif /* VRK_H */

#ifdef VRK_IMPLEMENTATION
#ifndef VRK_IMPLEMENTED
#define VRK_IMPLEMENTED

/* Casts that neither C nor C++ compilers warn about. */
#ifdef __cplusplus
#define VRK_CAST(type, value) static_cast<type>(value)
#define VRK_BYTES(pointer)    static_cast<const unsigned char*>(pointer)
#else
#define VRK_CAST(type, value) ((type)(value))
#define VRK_BYTES(pointer)    ((const unsigned char*)(pointer))
#endif

#ifdef __cplusplus
extern "C" {
#endif

static uint16_t vrk_i_u16(const unsigned char* p)
{
    return VRK_CAST(uint16_t, p[0] | p[1] << 8);
}

vrk_result vrk_read(vrk_level* level, const void* bytes, size_t size, vrk_warnings* warnings)
{
    const unsigned char* p = VRK_BYTES(bytes);
    size_t sectors, portals, i;
    if (warnings) {
        warnings->other_version = 0;
        warnings->version = 0;
    }
    if (!level || (!p && size > 0))
        return VRK_NO_LEVEL;
    if (size < VRK_HEADER_SIZE)
        return VRK_NO_HEADER;
    if (warnings) {
        warnings->version = p[0];
        warnings->other_version = p[0] != VRK_VERSION;
    }
    sectors = vrk_i_u16(p + 5);
    if (sectors > VRK_MAX_SECTORS)
        return VRK_TOO_MANY_SECTORS;
    if ((size - VRK_HEADER_SIZE) / VRK_RECORD_SIZE < sectors)
        return VRK_CUT_SHORT;

    level->version = p[0];
    level->start_x = vrk_i_u16(p + 1);
    level->start_y = vrk_i_u16(p + 3);
    level->sector_count = VRK_CAST(uint16_t, sectors);
    level->portals_claimed = vrk_i_u16(p + 7);
    p += VRK_HEADER_SIZE;
    for (i = 0; i < sectors; i++, p += VRK_RECORD_SIZE) {
        vrk_sector* s = &level->sectors[i];
        s->left = vrk_i_u16(p);
        s->top = vrk_i_u16(p + 2);
        s->right = vrk_i_u16(p + 4);
        s->bottom = vrk_i_u16(p + 6);
        s->floor_height = p[8];
        s->ceiling_height = p[9];
    }
    portals = (size - VRK_HEADER_SIZE) / VRK_RECORD_SIZE - sectors;
    if (portals > level->portals_claimed)
        portals = level->portals_claimed;
    if (portals > VRK_MAX_PORTALS)
        portals = VRK_MAX_PORTALS;
    level->portal_count = VRK_CAST(uint16_t, portals);
    for (i = 0; i < portals; i++, p += VRK_RECORD_SIZE) {
        vrk_portal* q = &level->portals[i];
        q->offset_x = vrk_i_u16(p);
        q->offset_y = vrk_i_u16(p + 2);
        q->length = vrk_i_u16(p + 4);
        q->sector = vrk_i_u16(p + 6);
        q->twin = vrk_i_u16(p + 8);
    }
    return VRK_OK;
}

const char* vrk_result_message(vrk_result result)
{
    switch (result) {
    case VRK_OK:
        return "The level was read.";
    case VRK_NO_HEADER:
        return "The file is shorter than the 9-byte header.";
    case VRK_TOO_MANY_SECTORS:
        return "Map contains too many sectors.";
    case VRK_CUT_SHORT:
        return "The file ends before its last sector record.";
    case VRK_NO_LEVEL:
        return "No level record, or no bytes, was given.";
    }
    return "Unknown result.";
}

size_t vrk_version_message(unsigned version, char* text, size_t capacity)
{
    /* Built by hand: no <stdio.h> for one number. */
    const char* head = "Expected map version 2, file is version ";
    char digits[12];
    size_t n = 0, length = 0, d = 0;
    do {
        digits[d++] = VRK_CAST(char, '0' + version % 10);
        version /= 10;
    } while (version > 0);
    while (head[length])
        length++;
    length += d + 1;
    for (; capacity > 0 && n + 1 < capacity && head[n]; n++)
        text[n] = head[n];
    while (capacity > 0 && n + 1 < capacity && d > 0)
        text[n++] = digits[--d];
    if (capacity > 0 && n + 1 < capacity && d == 0)
        text[n++] = '.';
    if (capacity > 0)
        text[n] = 0;
    return length;
}

static int vrk_i_max(int a, int b) { return a > b ? a : b; }
static int vrk_i_min(int a, int b) { return a < b ? a : b; }

/* [aStart, aEnd) and [bStart, bEnd) share a stretch of positive length. */
static int vrk_i_share(int aStart, int aEnd, int bStart, int bEnd)
{
    return vrk_i_max(aStart, bStart) < vrk_i_min(aEnd, bEnd);
}

static void vrk_i_set(int edge[4], int x0, int y0, int x1, int y1)
{
    edge[0] = x0;
    edge[1] = y0;
    edge[2] = x1;
    edge[3] = y1;
}

/* The edge p shares with s, from s's side: above, right, below, left. */
static int vrk_i_edge(const vrk_sector* s, const vrk_sector* p, int edge[4])
{
    if (s->top == p->bottom && vrk_i_share(s->left, s->right, p->left, p->right))
        vrk_i_set(edge, vrk_i_max(s->left, p->left), s->top, vrk_i_min(s->right, p->right), s->top);
    else if (s->right == p->left && vrk_i_share(s->top, s->bottom, p->top, p->bottom))
        vrk_i_set(edge, s->right, vrk_i_max(s->top, p->top), s->right, vrk_i_min(s->bottom, p->bottom));
    else if (s->bottom == p->top && vrk_i_share(s->left, s->right, p->left, p->right))
        vrk_i_set(edge, vrk_i_max(s->left, p->left), s->bottom, vrk_i_min(s->right, p->right), s->bottom);
    else if (s->left == p->right && vrk_i_share(s->top, s->bottom, p->top, p->bottom))
        vrk_i_set(edge, s->left, vrk_i_max(s->top, p->top), s->left, vrk_i_min(s->bottom, p->bottom));
    else
        return 0;
    return 1;
}

static vrk_portal vrk_i_portal(const int edge[4], const vrk_sector* owner, int slot, int twin)
{
    vrk_portal portal;
    portal.offset_x = VRK_CAST(uint16_t, edge[0] - owner->left);
    portal.offset_y = VRK_CAST(uint16_t, edge[1] - owner->top);
    /* The edge is on one axis and runs forward: its length is the sum. */
    portal.length = VRK_CAST(uint16_t, edge[2] - edge[0] + edge[3] - edge[1]);
    portal.sector = VRK_CAST(uint16_t, slot);
    portal.twin = VRK_CAST(uint16_t, twin);
    return portal;
}

int vrk_build_portals(vrk_level* level)
{
    unsigned char found[VRK_MAX_SECTORS] = {0};
    int n = vrk_i_min(level->sector_count, VRK_MAX_SECTORS);
    int m = 0, leftOut = 0, i, j;
    for (i = 0; i < n; i++) {
        for (j = 0; j < n; j++) {
            int edge[4];
            /* A slot that found an edge is not asked again from the other side. */
            if (j == i || found[j] || !vrk_i_edge(&level->sectors[i], &level->sectors[j], edge))
                continue;
            found[i] = 1;
            if (m == VRK_MAX_PORTALS) {
                leftOut++;
                continue;
            }
            level->portals[m] = vrk_i_portal(edge, &level->sectors[i], i, m + 1);
            level->portals[m + 1] = vrk_i_portal(edge, &level->sectors[j], j, m);
            m += 2;
        }
    }
    level->portal_count = VRK_CAST(uint16_t, m);
    return leftOut;
}

#ifdef __cplusplus
}
#endif

#endif /* VRK_IMPLEMENTED */
#endif /* VRK_IMPLEMENTATION */
