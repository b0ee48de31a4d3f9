// vrktool render: the map view as a PNG, its options, what it refuses, --compare.
#include <stdint.h>

#include <algorithm>
#include <stdio.h>

#include <string>
#include <vector>

#include "png_read.h"
#include "vrktool_cli.h"

namespace {

std::string DescribePixel(uint32_t p)
{
    return "(" + std::to_string(p >> 16) + ", " + std::to_string((p >> 8) & 0xFF) + ", " + std::to_string(p & 0xFF) +
           ")";
}

void ExpectPixel(const PngPicture& picture, int x, int y, uint32_t expected, const std::string& what)
{
    ASSERT_TRUE(x < picture.width && y < picture.height) << what;
    uint32_t seen = picture.pixels[static_cast<size_t>(y) * picture.width + x];
    EXPECT_EQ(DescribePixel(expected), DescribePixel(seen)) << what << " at (" << x << ", " << y << ")";
}

}  // namespace

// The picture's size and a few telling pixels with each option; that every
// pixel is the editor's is checked against the editor's own drawing.
TEST_F(VrktoolCli, RenderDrawsTheMapViewWithItsOptions)
{
    std::string level = Write("two.vrk", SerializeToBytes(TwoCells()));  // [0, 1) and [1, 2) x [0, 1), floors 128 and 10
    std::string out = levels.Path("two.png");
    const struct {
        Args options;
        int width, height, scale;
        int x, y;
        uint32_t colour;
        const char* what;
        bool stacked = false;  // drawn from the level of one cell above another
    } cases[] = {
        {{}, 48, 32, 1, 16, 8, 0xFF0000, "left outline of sector 1"},
        {{}, 48, 32, 1, 24, 8, 0x000000, "inside sector 1"},
        {{}, 48, 32, 1, 32, 20, 0x00007F, "grid line right of the sectors"},
        {{"--size", "20", "70"}, 20, 70, 1, 19, 64, 0x00007F, "grid row 64 of a 20 x 70 view"},
        {{"--scale", "3"}, 144, 96, 3, 24, 8, 0x000000, "inside sector 1, enlarged"},
        {{"--scale", "3"}, 144, 96, 3, 16, 8, 0xFF0000, "left outline of sector 1, enlarged"},
        {{"--portals"}, 48, 32, 1, 15, 8, 0xFFFF00, "the shared edge, sector 0's side"},
        {{"--portals"}, 48, 32, 1, 16, 8, 0xFFFF00, "the shared edge, sector 1's side"},
        {{"--portals"}, 48, 32, 1, 17, 8, 0x000000, "beside the shared edge"},
        {{"--shade", "floor"}, 48, 32, 1, 24, 8, 0x0A0A0A, "sector 1 shaded by its floor, 10"},
        {{"--shade", "ceiling", "--scale", "2"}, 96, 64, 2, 24, 8, 0xFAFAFA, "sector 1 by its ceiling, 250"},
        // One cell above the other: both portals of the edge lie along it.
        {{"--portals"}, 32, 48, 1, 8, 15, 0xFFFF00, "the edge below the upper cell", true},
        {{"--portals"}, 32, 48, 1, 8, 16, 0xFFFF00, "the edge above the lower cell", true},
        {{"--portals"}, 32, 48, 1, 0, 24, 0xFF0000, "no stub down the lower cell's side", true},
    };
    Level stacked = TwoCells();
    stacked.sectors[1] = MakeSector(0, 1, 1, 2);
    BuildPortals(&stacked);
    std::string stackedLevel = Write("stacked.vrk", SerializeToBytes(stacked));
    for (const auto& c : cases) {
        Args args = {"render", c.stacked ? stackedLevel : level, "-o", out};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ToolRun run = Run(args);
        ASSERT_EQ(0, run.exitCode) << c.what << ": " << run.err;
        EXPECT_EQ("", run.err);
        PngPicture picture;
        ASSERT_TRUE(ReadPngFile(out, &picture)) << c.what;
        EXPECT_EQ(c.width, picture.width) << c.what;
        EXPECT_EQ(c.height, picture.height) << c.what;
        for (int dy = 0; dy < c.scale; dy++)
            for (int dx = 0; dx < c.scale; dx++)
                ExpectPixel(picture, c.x * c.scale + dx, c.y * c.scale + dy, c.colour, c.what);
    }
}

// What the editor cannot open gets `check`'s lines and exit 1, what cannot
// be read exit 2; neither leaves a picture. An old version is drawn after
// the reader's warning, as the editor does.
TEST_F(VrktoolCli, RenderRefusesWhatIsNotALevel)
{
    Bytes cut = SerializeToBytes(TwoCells());
    cut.resize(20);
    std::string file = Write("cut.vrk", cut);
    std::string out = levels.Path("out.png");
    ToolRun run = Run({"render", file, "-o", out});
    EXPECT_EQ(2, run.exitCode) << "a file that is no level is an input the command cannot use";
    EXPECT_EQ(file + ": truncated: 20 bytes, 2 sectors and 2 portals need 49\n", run.err);
    ToolRun check = Run({"check", file});
    EXPECT_EQ(check.out, run.err) << "the same lines as check";

    ToolRun missing = Run({"render", levels.Path("missing.vrk"), "-o", out});
    EXPECT_EQ(2, missing.exitCode);
    EXPECT_EQ(0u, missing.err.find(levels.Path("missing.vrk") + ": cannot be read: ")) << missing.err;

    Level far = TwoCells();
    far.sectors[1] = MakeSector(1, 0, 65535, 1);
    file = Write("far.vrk", SerializeToBytes(far));
    run = Run({"render", file, "-o", out});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ(file + ": a picture of 1048576 x 32 pixels is larger than vrktool makes (16384 pixels a side, "
                     "67108864 in all); choose a part with --size W H\n",
              run.err);
    run = Run({"render", file, "-o", out, "--size", "8193", "8193"});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ(file + ": a picture of 8193 x 8193 pixels is larger than vrktool makes (16384 pixels a side, "
                     "67108864 in all); choose a part with --size W H\n",
              run.err);
    EXPECT_EQ((std::vector<std::string>{"cut.vrk", "far.vrk"}), levels.Names()) << "no picture, no temporary file";
    EXPECT_EQ(0, Run({"render", file, "-o", out, "--size", "64", "32"}).exitCode) << "a part of it is drawn";

    Level old = TwoCells();
    old.version = 1;
    file = Write("old.vrk", SerializeToBytes(old));
    run = Run({"render", file, "-o", out});
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(file + ": Expected map version 2, file is version 1.\n", run.err);

    run = Run({"render", Write("two.vrk", SerializeToBytes(TwoCells())), "-o", levels.Path("no such folder/x.png")});
    EXPECT_EQ(2, run.exitCode);
    EXPECT_EQ(0u, run.err.find(levels.Path("no such folder/x.png") + ": unable to write picture to file: ")) << run.err;
}

// The new level's picture with the changes marked; every other pixel is the
// plain picture's, and the picture covers the old level too.
TEST_F(VrktoolCli, RenderCompareMarksTheChanges)
{
    std::string before = Write("before.vrk", SerializeToBytes(MakeBuiltLevel({HALL, EAST, SOUTH}, 1, 1)));
    std::string after = Write("after.vrk", SerializeToBytes(MakeBuiltLevel({HALL, WithHeights(SOUTH, 4, 96),
                                                                            MakeSector(0, 6, 2, 8)})));
    std::string marked = levels.Path("marked.png"), plain = levels.Path("plain.png");
    ASSERT_EQ(0, Run({"render", after, "-o", marked, "--compare", before}).exitCode);
    ASSERT_EQ(0, Run({"render", after, "-o", plain, "--size", "208", "176"}).exitCode);
    PngPicture m, p;
    ASSERT_TRUE(ReadPngFile(marked, &m) && ReadPngFile(plain, &p));
    EXPECT_EQ(208, m.width) << "one cell past the removed room at column 12";
    EXPECT_EQ(176, m.height);
    ExpectPixel(m, 8 * 16 + 1, 3 * 16, 0xFF00FF, "the removed room's left edge, one pixel in");
    ExpectPixel(m, 3 * 16, 10 * 16 - 2, 0xFF8000, "the changed room's bottom edge, one pixel in");
    ExpectPixel(m, 1, 7 * 16, 0x00FFFF, "the added room's left edge");
    ExpectPixel(m, 24, 24, 0xFFFFFF, "the old start cell's middle");
    ExpectPixel(m, 40, 40, 0x00FF00, "the new start cell's middle");
    ASSERT_EQ(p.pixels.size(), m.pixels.size());
    size_t differing = 0;
    for (size_t i = 0; i < m.pixels.size(); i++) {
        uint32_t c = m.pixels[i];
        if (c == p.pixels[i])
            continue;
        differing++;
        EXPECT_TRUE(c == 0xFF00FF || c == 0xFF8000 || c == 0x00FFFF || c == 0xFFFFFF)
            << "pixel " << i % m.width << ", " << i / m.width << ": " << DescribePixel(c);
    }
    EXPECT_GT(differing, 0u);

    // The removed room the lowest, in the first slot: the picture reaches down to it.
    std::string lower = Write("lower.vrk", SerializeToBytes(MakeBuiltLevel({SOUTH, HALL})));
    std::string hall = Write("hall.vrk", SerializeToBytes(MakeBuiltLevel({HALL})));
    ASSERT_EQ(0, Run({"render", hall, "-o", marked, "--compare", lower}).exitCode);
    ASSERT_TRUE(ReadPngFile(marked, &m));
    EXPECT_EQ(176, m.height) << "one cell below the removed room at row 10";
    ExpectPixel(m, 3 * 16, 10 * 16 - 2, 0xFF00FF, "the removed room's bottom edge, one pixel in");
}

// The 3D view from the south-east: a cell is 8 pixels across and 4 down
// along each map axis, a height unit 1.75 pixels up, and the picture's
// corner 8 pixels beyond the highest and leftmost points. For HALL and
// EAST that corner is HALL's ceiling at (0, 0) upward and its corner
// (0, 6) leftward: pixel x = 8 (x - y) + 56, pixel y = 4 (x + y) - 1.75 h + 176.
TEST_F(VrktoolCli, RenderView3dShowsHeightsAndChanges)
{
    Level level = MakeBuiltLevel({HALL, EAST}), raised = MakeBuiltLevel({HALL, WithHeights(EAST, 40, 80)});
    std::string low = Write("low.vrk", SerializeToBytes(level)), high = Write("high.vrk", SerializeToBytes(raised));
    std::string lowPng = outputs.Path("low.png"), highPng = outputs.Path("high.png");
    ASSERT_EQ(0, Run({"render", low, "-o", lowPng, "--view", "3d"}).exitCode);
    ASSERT_EQ(0, Run({"render", high, "-o", highPng, "--view", "3d"}).exitCode);
    PngPicture a, b;
    ASSERT_TRUE(ReadPngFile(lowPng, &a) && ReadPngFile(highPng, &b));
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    // EAST spans x - y from 3 to 11 and x + y from 9 to 17, heights 8 to 80.
    int differing = 0, outside = 0;
    for (int y = 0; y < a.height; y++) {
        for (int x = 0; x < a.width; x++) {
            if (a.pixels[size_t(y) * a.width + x] == b.pixels[size_t(y) * a.width + x])
                continue;
            differing++;
            outside += x < 3 * 8 + 56 || x > 11 * 8 + 56 || y < 9 * 4 - 140 + 176 || y > 17 * 4 - 14 + 176;
        }
    }
    EXPECT_GT(differing, 100) << "pixels that show EAST's floor raised from 8 to 40";
    EXPECT_EQ(0, outside) << "pixels changed outside EAST's part of the picture";
    ExpectPixel(a, 56, 4 * 5 + 176, 0x00FF00, "the middle (2.5, 2.5) of the start cell on HALL's floor, 0");
    ExpectPixel(a, 56, 4 * 5 + 176 - 6, 0x1E3250, "HALL's floor beyond the start cell, the lowest: dark blue");

    // The changes in the colours of the map view's compare picture, and none
    // of them against the level itself.
    std::string after = Write("after.vrk", SerializeToBytes(MakeBuiltLevel({HALL, WithHeights(SOUTH, 4, 96),
                                                                            MakeSector(0, 6, 2, 8)},
                                                                           1, 1)));
    std::string before = Write("before.vrk", SerializeToBytes(MakeBuiltLevel({HALL, EAST, SOUTH})));
    const struct {
        std::string old;
        std::vector<uint32_t> colours;
    } rows[] = {
        {before, {0x00FFFF, 0xFF00FF, 0xFF8000, 0xFFFFFF}},
        {after, {}},
    };
    for (const auto& row : rows) {
        std::string png = outputs.Path("compare.png");
        ASSERT_EQ(0, Run({"render", after, "-o", png, "--view", "3d", "--compare", row.old, "--from", "nw"}).exitCode);
        PngPicture m;
        ASSERT_TRUE(ReadPngFile(png, &m));
        std::vector<uint32_t> seen;
        for (uint32_t colour : {0x00FFFFu, 0xFF00FFu, 0xFF8000u, 0xFFFFFFu}) {
            if (std::find(m.pixels.begin(), m.pixels.end(), colour) != m.pixels.end())
                seen.push_back(colour);
        }
        EXPECT_EQ(row.colours, seen) << "the marks against " << row.old;
    }
    ToolRun run = Run({"render", low, "-o", lowPng, "--view", "3d", "--size", "10", "10"});
    EXPECT_EQ(2, run.exitCode);
    EXPECT_EQ("vrktool render: --view 3d takes neither --size, --portals nor --shade\n", run.err);
}
