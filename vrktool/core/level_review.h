// A review of the levels a range of commits touches, on the bytes of each
// level's two sides: what changed, what check finds at the head, the
// compare picture, and the two summaries `vrktool review` writes (Markdown
// for people and a CI's page, JSON for machines). Reading git is the
// command's; everything here works on text and bytes.
#ifndef QUILLMARCH_LEVEL_REVIEW_H
#define QUILLMARCH_LEVEL_REVIEW_H

#include <string>
#include <vector>

#include "map_picture.h"

// One path of `git diff --name-status -z`: status A, M, D, T, R or C (R and
// C with their similarity), the old path and the new one (the same for A, M,
// D and T).
struct ChangedPath {
    char status;
    int similarity;  // R and C only, else 0
    std::string oldPath;
    std::string newPath;
};

// Splits git's -z output (status NUL path NUL, or status NUL old NUL new NUL
// for R and C). False when it does not have that form.
bool ParseNameStatus(const std::string& output, std::vector<ChangedPath>* paths);

// A side of a change: absent for an added level's old side and a removed
// level's new one.
struct LevelSide {
    bool present;
    std::vector<unsigned char> bytes;
};

struct LevelReview {
    ChangedPath path;
    std::string oldRefusal;  // why the old side does not load; empty when it loads or is absent
    std::string newRefusal;  // likewise the new side
    bool compared;           // both sides there loaded: the counts and the diff hold
    int sectorsAdded;
    int sectorsRemoved;
    int sectorsChanged;
    bool startMoved;
    std::string diffLines;              // vrktool diff's lines
    std::string diffJson;               // vrktool diff --json's document
    std::vector<std::string> problems;  // check's lines for the level at the head
    std::string stem;                   // "03-hall": the row's files are stem.png and stem.diff
    std::string picture;                // the compare picture's file name; empty when none
    std::string pictureNote;            // why there is none, or what it shows instead
    std::string picture3d;              // the 3D compare picture's file name; empty when none
};

// Compares the two sides, checks the new one and draws the compare picture
// into picture at the scale (width 0 when there is none). An added level is
// compared with an empty one at its own start, a removed level likewise, so
// every sector shows as added or removed. row numbers the files.
void ReviewLevel(const ChangedPath& path, const LevelSide& before, const LevelSide& after, int scale, size_t row,
                 LevelReview* review, MapPicture* picture);

// The 3D compare picture of a change (render --view 3d --compare, seen from
// the south-east) at the scale; false when there is none: the new side does
// not load, or the picture would be larger than vrktool draws.
bool DrawReviewPicture3d(const LevelSide& before, const LevelSide& after, int scale, MapPicture* picture);

// The range as the summaries name it.
struct ReviewRange {
    std::string base;       // as given
    std::string head;       // as given
    std::string mergeBase;  // the commit ids
    std::string headCommit;
};

// The problems check reported over all levels.
int CountReviewProblems(const std::vector<LevelReview>& reviews);

// index.md: a heading, one table row per level with its counts, problems and
// picture links, then each level's diff lines and problems.
std::string FormatReviewIndex(const ReviewRange& range, const std::vector<LevelReview>& reviews);

// review.json: the same facts, with the diff as diff --json gives it, and
// every file the review wrote in files (so a later run knows its own).
std::string FormatReviewJson(const ReviewRange& range, const std::vector<LevelReview>& reviews,
                             const std::vector<std::string>& files);

// The files a review.json says its run wrote; false when the text is no
// review.json.
bool ReadReviewFiles(const std::string& json, std::vector<std::string>* files);

#endif
