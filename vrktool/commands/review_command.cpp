// vrktool review: every level that differs between the merge base of BASE
// and HEAD and HEAD, compared, checked and drawn into a folder of its own,
// with a Markdown summary a CI can post as it is and the same as JSON.
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "level_review.h"
#include "platform.h"
#include "png_file.h"
#include "tool_commands.h"

namespace {

struct ReviewArgs {
    std::vector<std::string> range;  // BASE [HEAD]
    std::string out;
    long scale = 2;
};
ReviewArgs g_args;  // this run's arguments

const char INDEX_NAME[] = "index.md";
const char JSON_NAME[] = "review.json";

void DefineReview(CLI::App* command)
{
    command->add_option("BASE", g_args.range, "the branch or commit the changes go into, and HEAD (default HEAD)")
        ->type_name("BASE [HEAD]")
        ->expected(1, 2)
        ->required();
    command->add_option("-o", g_args.out, "the folder to write into: new, empty, or one an earlier review wrote")
        ->type_name("DIR")
        ->required();
    command->add_option("--scale", g_args.scale, "enlarge each picture's pixels to N x N, N 1 to 8 (default 2)")
        ->type_name("N")
        ->check(WHOLE_NUMBER)
        ->check(CLI::Range(1L, 8L).description(""));
    command->footer("Run inside a git work tree. For each .vrk that differs between the merge base of BASE and "
                    "HEAD and HEAD (added, modified, removed, renamed as git detects renames), writes into DIR the "
                    "render --compare picture and diff's lines, runs check on each level as HEAD holds it, and "
                    "writes DIR/index.md and DIR/review.json. Nothing outside DIR is written; a DIR holding files "
                    "an earlier review did not write is refused. Exit code 0 when check finds no problem, 1 when "
                    "it finds some, 2 when the range, the repository or DIR cannot be used.\n\n" +
                    command->get_footer());
}

// What git prints; false (git's own message on stderr) when it failed.
bool AskGit(const std::vector<std::string>& args, std::string* answer)
{
    std::vector<std::string> command = {"git"};
    command.insert(command.end(), args.begin(), args.end());
    return RunProgram(command, answer) == 0;
}

// What git prints on its one line; false when git failed or printed none.
bool AskGitLine(const std::vector<std::string>& args, std::string* line)
{
    if (!AskGit(args, line))
        return false;
    while (!line->empty() && (line->back() == '\n' || line->back() == '\r'))
        line->pop_back();
    return !line->empty();
}

bool ResolveCommit(const std::string& name, std::string* commit)
{
    return AskGitLine({"rev-parse", "--verify", "--quiet", "--end-of-options", name + "^{commit}"}, commit);
}

bool ReadSide(const std::string& commit, const std::string& path, LevelSide* side)
{
    std::string bytes;
    side->present = true;
    if (!AskGit({"cat-file", "blob", commit + ":" + path}, &bytes)) {
        fprintf(stderr, "vrktool review: git could not read %s at %s\n", path.c_str(), commit.c_str());
        return false;
    }
    side->bytes.assign(bytes.begin(), bytes.end());
    return true;
}

// The 3D compare picture, as render --view 3d --compare draws it.
bool Draw3dComparePicture(const LevelSide& before, const LevelSide& after, std::vector<unsigned char>* png)
{
    MapPicture picture;
    return DrawReviewPicture3d(before, after, static_cast<int>(g_args.scale), &picture) && EncodePng(picture, png);
}

// DIR may be new, empty, or hold only files an earlier review wrote (which
// go now); anything else is refused, so that a mistyped name never empties
// a folder.
bool PrepareFolder(const std::string& dir)
{
    std::vector<std::string> names;
    if (!PathExists(dir)) {
        if (MakeFolder(dir))
            return true;
        fprintf(stderr, "%s: unable to make the folder\n", dir.c_str());
        return false;
    }
    if (!ListFolderNames(dir, &names)) {
        fprintf(stderr, "%s: not a folder that can be read\n", dir.c_str());
        return false;
    }
    if (names.empty())
        return true;
    std::vector<std::string> ours;
    LevelFileBytes json;
    if (ReadInputFile(dir + "/" + JSON_NAME, 1 << 24, &json))
        ReadReviewFiles(std::string(json.bytes.begin(), json.bytes.end()), &ours);
    for (const std::string& name : names) {
        if (std::find(ours.begin(), ours.end(), name) == ours.end()) {
            fprintf(stderr, "%s: holds %s, which vrktool review did not write; name a new or empty folder\n",
                    dir.c_str(), name.c_str());
            return false;
        }
    }
    for (const std::string& name : names) {
        if (!RemoveFile(dir + "/" + name)) {
            fprintf(stderr, "%s/%s: unable to remove the earlier review's file\n", dir.c_str(), name.c_str());
            return false;
        }
    }
    return true;
}

struct ReviewFile {
    std::string name;
    std::vector<unsigned char> bytes;
};

std::vector<unsigned char> TextBytes(const std::string& text)
{
    return std::vector<unsigned char>(text.begin(), text.end());
}

int RunReview()
{
    ReviewRange range;
    range.base = g_args.range[0];
    range.head = g_args.range.size() > 1 ? g_args.range[1] : "HEAD";
    std::string inside;
    if (!AskGit({"rev-parse", "--is-inside-work-tree"}, &inside) || inside.compare(0, 4, "true") != 0) {
        fprintf(stderr, "vrktool review: run it inside a git work tree (git must be on PATH)\n");
        return TOOL_FAILED;
    }
    std::string baseCommit, mergeBase;
    for (const std::string* name : {&range.base, &range.head}) {
        if (!ResolveCommit(*name, name == &range.base ? &baseCommit : &range.headCommit)) {
            fprintf(stderr, "vrktool review: %s: no such commit\n", name->c_str());
            return TOOL_FAILED;
        }
    }
    if (!AskGitLine({"merge-base", baseCommit, range.headCommit}, &mergeBase)) {
        fprintf(stderr, "vrktool review: %s and %s have no merge base\n", range.base.c_str(), range.head.c_str());
        return TOOL_FAILED;
    }
    range.mergeBase = mergeBase;
    std::string listing;
    std::vector<ChangedPath> paths;
    if (!AskGit({"diff", "-z", "--name-status", "-M", "--no-ext-diff", mergeBase, range.headCommit, "--",
                 ":(top)*.vrk"},
                &listing) ||
        !ParseNameStatus(listing, &paths)) {
        fprintf(stderr, "vrktool review: git did not list the changed levels\n");
        return TOOL_FAILED;
    }

    // Everything is read and drawn before DIR is touched: a range that
    // cannot be read leaves no folder behind.
    std::vector<LevelReview> reviews;
    std::vector<ReviewFile> files;
    for (size_t i = 0; i < paths.size(); i++) {
        const ChangedPath& path = paths[i];
        LevelSide before = {false, {}}, after = {false, {}};
        if ((path.status != 'A' && !ReadSide(mergeBase, path.oldPath, &before)) ||
            (path.status != 'D' && !ReadSide(range.headCommit, path.newPath, &after)))
            return TOOL_FAILED;
        LevelReview review;
        MapPicture picture;
        ReviewLevel(path, before, after, static_cast<int>(g_args.scale), i + 1, &review, &picture);
        if (!review.picture.empty()) {
            ReviewFile png = {review.picture, {}};
            if (!EncodePng(picture, &png.bytes)) {
                fprintf(stderr, "%s: unable to encode the picture\n", review.picture.c_str());
                return TOOL_FAILED;
            }
            files.push_back(png);
        }
        ReviewFile picture3d = {review.stem + "-3d.png", {}};
        if (Draw3dComparePicture(before, after, &picture3d.bytes)) {
            review.picture3d = picture3d.name;
            files.push_back(picture3d);
        }
        if (!review.diffLines.empty())
            files.push_back({review.stem + ".diff", TextBytes(review.diffLines)});
        reviews.push_back(review);
    }
    files.push_back({INDEX_NAME, TextBytes(FormatReviewIndex(range, reviews))});
    std::vector<std::string> names = {JSON_NAME};
    for (const ReviewFile& file : files)
        names.push_back(file.name);
    // review.json first: whatever a failed run leaves, it names as its own.
    files.insert(files.begin(), {JSON_NAME, TextBytes(FormatReviewJson(range, reviews, names))});

    if (!PrepareFolder(g_args.out))
        return TOOL_FAILED;
    for (const ReviewFile& file : files) {
        if (!WriteOutputFile(g_args.out + "/" + file.name, file.bytes, "review file"))
            return TOOL_FAILED;
    }
    int problems = CountReviewProblems(reviews);
    printf("%s/%s: %zu %s changed, %d %s found by check\n", g_args.out.c_str(), INDEX_NAME, reviews.size(),
           reviews.size() == 1 ? "level" : "levels", problems, problems == 1 ? "problem" : "problems");
    return problems > 0 ? TOOL_FOUND : TOOL_DONE;
}

}  // namespace

const ToolCommand REVIEW_COMMAND = {"review", "compare, check and draw every level a branch changes, for a review",
                                    DefineReview, RunReview};
