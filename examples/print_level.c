/* Loads a level with vrk.h and prints it, as an engine would read one:
       print_level FILE.vrk
   The lines are those of `vrktool info` for a level the editor opens, then
   whether the stored portals are the ones the editor would derive. Build:
       cc $(pkg-config --cflags vrk) print_level.c -o print_level */
#include <stdio.h>
#include <string.h>

#define VRK_IMPLEMENTATION
#include <vrk.h>

/* A header, every sector and every portal a level may hold. */
static unsigned char bytes[VRK_HEADER_SIZE + VRK_RECORD_SIZE * (VRK_MAX_SECTORS + VRK_MAX_PORTALS)];
static vrk_level level, derived;

int main(int argc, char** argv)
{
    FILE* file;
    size_t size, total;
    unsigned char rest[4096];
    vrk_warnings warnings;
    vrk_result result;
    int i;
    if (argc != 2) {
        fprintf(stderr, "usage: print_level FILE.vrk\n");
        return 2;
    }
    file = fopen(argv[1], "rb");
    if (!file) {
        perror(argv[1]);
        return 1;
    }
    /* Bytes past those a level can hold are only counted. */
    size = fread(bytes, 1, sizeof bytes, file);
    total = size;
    while ((i = (int)fread(rest, 1, sizeof rest, file)) > 0)
        total += (size_t)i;
    fclose(file);

    result = vrk_read(&level, bytes, size, &warnings);
    if (warnings.other_version) {
        char text[VRK_MESSAGE_SIZE];
        vrk_version_message(warnings.version, text, sizeof text);
        fprintf(stderr, "%s\n", text);
    }
    if (result != VRK_OK) {
        fprintf(stderr, "%s: %s\n", argv[1], vrk_result_message(result));
        return 1;
    }

    printf("size %lu\nversion %u\nstart %u %u\nsectors %u\nportals %u\n", (unsigned long)total, level.version,
           level.start_x, level.start_y, level.sector_count, level.portals_claimed);
    for (i = 0; i < level.sector_count; i++) {
        const vrk_sector* s = &level.sectors[i];
        printf("sector %d: left %u top %u right %u bottom %u floorHeight %u ceilingHeight %u\n", i, s->left, s->top,
               s->right, s->bottom, s->floor_height, s->ceiling_height);
    }
    for (i = 0; i < level.portal_count; i++) {
        const vrk_portal* p = &level.portals[i];
        printf("portal %d: offsetX %u offsetY %u length %u sector %u twin %u\n", i, p->offset_x, p->offset_y,
               p->length, p->sector, p->twin);
    }

    derived = level;
    vrk_build_portals(&derived);
    if (derived.portal_count == level.portal_count &&
        memcmp(derived.portals, level.portals, sizeof(vrk_portal) * derived.portal_count) == 0)
        printf("derived portals: %u, as stored\n", derived.portal_count);
    else
        printf("derived portals: %u, not as stored\n", derived.portal_count);
    return 0;
}
