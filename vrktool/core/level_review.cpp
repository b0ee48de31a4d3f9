#include "level_review.h"
#include "level_view3d.h"

#include <stdlib.h>

#include <nlohmann/json.hpp>

#include "compare_picture.h"
#include "level_check.h"
#include "level_diff.h"
#include "level_file.h"
#include "level_load.h"

namespace {

const char REVIEW_MARK[] = "vrktool review";

void KeepProblem(const char* problem, void* context)
{
    static_cast<std::vector<std::string>*>(context)->push_back(problem);
}

void IgnoreNote(const char*, void*) {}

// Loads a side as the commands that compare levels do: what the editor
// opens, with the portals the file stores. On refusal, reason gets check's
// lines for the bytes.
bool LoadSide(const LevelSide& side, Level* level, std::string* reason)
{
    const std::vector<unsigned char>& bytes = side.bytes;
    std::vector<LoadWarning> warnings;
    if (!LoadLevelBytes(bytes, level, &warnings)) {
        std::vector<std::string> problems;
        CheckLevelBytes(bytes.data(), bytes.size(), KeepProblem, &problems);
        for (const std::string& problem : problems)
            *reason += (reason->empty() ? "" : "; ") + problem;
        if (reason->empty())
            *reason = "unable to read level from file";
        return false;
    }
    TakeStoredPortals(bytes, bytes.size(), level);
    return true;
}

// A file name part that is safe everywhere and in a Markdown link.
std::string SafeName(const std::string& path)
{
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".vrk") == 0)
        name.resize(name.size() - 4);
    std::string safe;
    for (char c : name) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '_' || c == '.';
        safe += plain ? c : '_';
    }
    return safe.substr(0, 60);
}

const char* DescribeStatus(char status)
{
    switch (status) {
    case 'A':
        return "added";
    case 'D':
        return "removed";
    case 'R':
        return "renamed";
    case 'C':
        return "copied";
    case 'T':
        return "type changed";
    default:
        return "modified";
    }
}

// A path inside a Markdown table cell's code span.
std::string MarkdownPath(const std::string& path)
{
    std::string text;
    for (char c : path) {
        if (c == '|')
            text += "\\|";
        else
            text += c == '`' || c == '\n' ? '\'' : c;
    }
    return "`" + text + "`";
}

std::string ShownPath(const ChangedPath& path)
{
    if (path.oldPath != path.newPath)
        return MarkdownPath(path.oldPath) + " → " + MarkdownPath(path.newPath);
    return MarkdownPath(path.newPath);
}

std::string Count(const LevelReview& review, int count)
{
    return review.compared ? std::to_string(count) : "?";
}

}  // namespace

bool ParseNameStatus(const std::string& output, std::vector<ChangedPath>* paths)
{
    paths->clear();
    std::vector<std::string> fields;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\0', start);
        if (end == std::string::npos)
            return false;
        fields.push_back(output.substr(start, end - start));
        start = end + 1;
    }
    for (size_t i = 0; i < fields.size();) {
        const std::string& status = fields[i];
        if (status.empty() || std::string("AMDTRC").find(status[0]) == std::string::npos)
            return false;
        ChangedPath path = {status[0], 0, "", ""};
        bool two = path.status == 'R' || path.status == 'C';
        if (i + (two ? 2 : 1) >= fields.size())
            return false;
        if (two)
            path.similarity = std::atoi(status.c_str() + 1);
        path.oldPath = fields[i + 1];
        path.newPath = fields[i + (two ? 2 : 1)];
        if (path.oldPath.empty() || path.newPath.empty())
            return false;
        paths->push_back(path);
        i += two ? 3 : 2;
    }
    return true;
}

void ReviewLevel(const ChangedPath& path, const LevelSide& before, const LevelSide& after, int scale, size_t row,
                 LevelReview* review, MapPicture* picture)
{
    *review = LevelReview();
    review->path = path;
    std::string number = std::to_string(row);
    review->stem = std::string(number.size() < 2 ? 2 - number.size() : 0, '0') + number + "-" +
                   SafeName(path.newPath);
    picture->width = picture->height = 0;
    picture->pixels.clear();

    static Level old, current;  // large tables, one review at a time
    bool oldLoads = before.present && LoadSide(before, &old, &review->oldRefusal);
    bool newLoads = after.present && LoadSide(after, &current, &review->newRefusal);
    if (after.present)
        CheckLevelFile(after.bytes.data(), after.bytes.size(), after.bytes.size(), KeepProblem,
                       &review->problems, IgnoreNote);
    // The side that is not there is an empty level with the other's start,
    // so the picture shows every sector as added or removed, and no move.
    if (!before.present && newLoads) {
        old = NewLevel();
        old.startX = current.startX;
        old.startY = current.startY;
        oldLoads = true;
    }
    if (!after.present && oldLoads) {
        current = NewLevel();
        current.startX = old.startX;
        current.startY = old.startY;
        newLoads = true;
    }

    long width = 0, height = 0;
    if (oldLoads && newLoads) {
        LevelDiff diff = DiffLevels(old, current);
        review->compared = true;
        review->sectorsAdded = static_cast<int>(diff.added.size());
        review->sectorsRemoved = static_cast<int>(diff.removed.size());
        review->sectorsChanged = static_cast<int>(diff.changed.size());
        review->startMoved = diff.startMoved;
        review->diffLines = FormatLevelDiff(old, current, diff);
        review->diffJson = FormatLevelDiffJson(old, current, diff);
        GetCompareSize(old, current, &width, &height);
    } else if (newLoads) {
        review->pictureNote = "the old side does not load: the new level as it is, nothing marked";
        GetDefaultPictureSize(current, &width, &height);
    } else {
        review->pictureNote = "the new side does not load: no picture";
        return;
    }
    long side = MAX_PICTURE_SIDE, most = MAX_PICTURE_PIXELS;
    if (width * scale > side || height * scale > side || (width * scale) * (height * scale) > most) {
        review->pictureNote = "too large to draw (" + std::to_string(width * scale) + " x " +
                              std::to_string(height * scale) + " pixels)";
        return;
    }
    DrawMapView(current, SHADE_NONE, static_cast<int>(width), static_cast<int>(height), picture);
    if (review->compared)
        MarkLevelChanges(old, current, picture);
    ScalePicture(picture, scale);
    review->picture = review->stem + ".png";
}

bool DrawReviewPicture3d(const LevelSide& before, const LevelSide& after, int scale, MapPicture* picture)
{
    static Level old, current;  // large tables, one review at a time
    std::string reason;
    bool oldLoads = before.present && LoadSide(before, &old, &reason);
    bool newLoads = after.present && LoadSide(after, &current, &reason);
    if (after.present && !newLoads)
        return false;
    // The side that is not there is an empty level with the other's start,
    // as in the map picture; an old side that does not load marks nothing.
    if (!after.present) {
        if (!oldLoads)
            return false;
        current = NewLevel();
        current.startX = old.startX;
        current.startY = old.startY;
    }
    if (!before.present) {
        old = NewLevel();
        old.startX = current.startX;
        old.startY = current.startY;
        oldLoads = true;
    }
    View3d view;
    Frame3dView(current, oldLoads ? &old : nullptr, FROM_SE, &view);
    long side = MAX_PICTURE_SIDE, most = MAX_PICTURE_PIXELS;
    if (view.width * scale > side || view.height * scale > side || (view.width * scale) * (view.height * scale) > most)
        return false;
    Draw3dView(current, view, picture);
    if (oldLoads)
        Mark3dChanges(old, current, view, picture);
    ScalePicture(picture, scale);
    return true;
}

int CountReviewProblems(const std::vector<LevelReview>& reviews)
{
    int count = 0;
    for (const LevelReview& review : reviews)
        count += static_cast<int>(review.problems.size());
    return count;
}

std::string FormatReviewIndex(const ReviewRange& range, const std::vector<LevelReview>& reviews)
{
    int problems = CountReviewProblems(reviews);
    std::string text = "# Level review\n\n";
    text += MarkdownPath(range.base) + "..." + MarkdownPath(range.head) + " (merge base " +
            range.mergeBase.substr(0, 12) + ", head " + range.headCommit.substr(0, 12) + "): " +
            std::to_string(reviews.size()) + (reviews.size() == 1 ? " level" : " levels") + " changed, " +
            std::to_string(problems) + (problems == 1 ? " problem" : " problems") + " found by check.\n\n";
    if (reviews.empty())
        return text + "No `.vrk` file differs.\n";
    text += "| level | change | sectors added | sectors removed | sectors changed | start moved | problems | "
            "picture |\n"
            "|---|---|---|---|---|---|---|---|\n";
    for (const LevelReview& review : reviews) {
        std::string change = DescribeStatus(review.path.status);
        if (!review.oldRefusal.empty())
            change += ", old side does not load";
        if (!review.newRefusal.empty())
            change += ", new side does not load";
        std::string picture = review.picture.empty() ? "none" : "[" + review.picture + "](" + review.picture + ")";
        if (!review.picture3d.empty())
            picture += ", [3D](" + review.picture3d + ")";
        text += "| " + ShownPath(review.path) + " | " + change + " | " + Count(review, review.sectorsAdded) +
                " | " + Count(review, review.sectorsRemoved) + " | " + Count(review, review.sectorsChanged) +
                " | " + (review.compared ? (review.startMoved ? "yes" : "no") : "?") + " | " +
                std::to_string(review.problems.size()) + " | " + picture + " |\n";
    }
    for (const LevelReview& review : reviews) {
        text += "\n## " + ShownPath(review.path) + "\n\n";
        if (!review.oldRefusal.empty())
            text += "The old side does not load: " + review.oldRefusal + "\n\n";
        if (!review.newRefusal.empty())
            text += "The new side does not load: " + review.newRefusal + "\n\n";
        if (!review.pictureNote.empty())
            text += "Picture: " + review.pictureNote + ".\n\n";
        if (review.compared)
            text += review.diffLines.empty() ? "No difference in the levels' records.\n\n"
                                             : "```\n" + review.diffLines + "```\n\n";
        if (review.path.status == 'D') {
            text += "check: not run, the level is gone at the head.\n";
        } else {
            text += review.problems.empty() ? "check: no problems.\n" : "check:\n\n";
            for (const std::string& problem : review.problems)
                text += "- " + problem + "\n";
        }
    }
    return text;
}

std::string FormatReviewJson(const ReviewRange& range, const std::vector<LevelReview>& reviews,
                             const std::vector<std::string>& files)
{
    using Json = nlohmann::ordered_json;
    Json levels = Json::array();
    for (const LevelReview& review : reviews) {
        Json level;
        level["status"] = DescribeStatus(review.path.status);
        level["path"] = review.path.newPath;
        level["oldPath"] = review.path.oldPath;
        if (review.path.similarity != 0)
            level["similarity"] = review.path.similarity;
        // null: the side is not there (an added level's old one, a removed level's new one).
        level["oldLoads"] = review.path.status == 'A' ? Json(nullptr) : Json(review.oldRefusal.empty());
        level["newLoads"] = review.path.status == 'D' ? Json(nullptr) : Json(review.newRefusal.empty());
        level["oldRefusal"] = review.oldRefusal.empty() ? Json(nullptr) : Json(review.oldRefusal);
        level["newRefusal"] = review.newRefusal.empty() ? Json(nullptr) : Json(review.newRefusal);
        Json none(nullptr);
        level["sectorsAdded"] = review.compared ? Json(review.sectorsAdded) : none;
        level["sectorsRemoved"] = review.compared ? Json(review.sectorsRemoved) : none;
        level["sectorsChanged"] = review.compared ? Json(review.sectorsChanged) : none;
        level["startMoved"] = review.compared ? Json(review.startMoved) : none;
        level["diff"] = review.compared ? Json::parse(review.diffJson) : none;
        level["problems"] = review.problems;
        level["picture"] = review.picture.empty() ? none : Json(review.picture);
        level["picture3d"] = review.picture3d.empty() ? none : Json(review.picture3d);
        levels.push_back(level);
    }
    Json document;
    document["madeBy"] = REVIEW_MARK;
    document["base"] = range.base;
    document["head"] = range.head;
    document["mergeBase"] = range.mergeBase;
    document["headCommit"] = range.headCommit;
    document["problems"] = CountReviewProblems(reviews);
    document["levels"] = levels;
    document["files"] = files;
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

bool ReadReviewFiles(const std::string& json, std::vector<std::string>* files)
{
    files->clear();
    nlohmann::ordered_json document = nlohmann::ordered_json::parse(json, nullptr, false);
    if (!document.is_object() || document.value("madeBy", "") != REVIEW_MARK || !document["files"].is_array())
        return false;
    for (const nlohmann::ordered_json& file : document["files"]) {
        if (!file.is_string())
            return false;
        files->push_back(file.get<std::string>());
    }
    return true;
}
