#include "level_json.h"

#include <string.h>

#include <nlohmann/json.hpp>

#include "level_file.h"
#include "level_image.h"
#include "portals.h"

namespace {

// Insertion order, so a document keeps the order of the file's fields.
typedef nlohmann::ordered_json Json;

// One error in the document aborts the parse with its place and reason.
struct DocumentError {
    std::string text;
};

// The deepest a level document goes: the document, a table, a record.
const size_t DEEPEST_NESTING = 3;

// More lines than this only repeat the same mistake.
const size_t MOST_PROBLEMS = 20;

const char* const SECTOR_FIELDS[] = {"left", "top", "right", "bottom", "floorHeight", "ceilingHeight"};
const char* const PORTAL_FIELDS[] = {"offsetX", "offsetY", "length", "sector", "twin"};
const char* const DOCUMENT_FIELDS[] = {"size", "version", "startX", "startY", "sectorCount", "portalCount",
                                       "sectors", "portals", "truncated", "trailingBytes"};

// A record on one line: {"left": 0, "top": 0}.
std::string DumpOneLine(const Json& record)
{
    std::string text = "{";
    for (auto it = record.begin(); it != record.end(); ++it) {
        if (it != record.begin())
            text += ", ";
        text += Json(it.key()).dump() + ": " + it.value().dump();
    }
    return text + "}";
}

Json SectorJson(const Sector& s)
{
    return Json{
        {"left", s.left},
        {"top", s.top},
        {"right", s.right},
        {"bottom", s.bottom},
        {"floorHeight", s.floorHeight},
        {"ceilingHeight", s.ceilingHeight},
    };
}

Json PortalJson(const Portal& p)
{
    return Json{
        {"offsetX", p.offsetX},
        {"offsetY", p.offsetY},
        {"length", p.length},
        {"sector", p.sector},
        {"twin", p.twin},
    };
}

std::string DumpTable(const std::vector<Json>& records)
{
    if (records.empty())
        return "[]";
    std::string text = "[";
    for (size_t i = 0; i < records.size(); i++)
        text += (i ? ",\n    " : "\n    ") + DumpOneLine(records[i]);
    return text + "\n  ]";
}

// A key as written in a place: plain when it is a plain word, else quoted.
std::string KeyName(const std::string& key)
{
    bool plain = !key.empty();
    for (char c : key)
        plain = plain && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_');
    return plain ? key : Json(key).dump();
}

std::string Member(const std::string& place, const std::string& key)
{
    return place.empty() ? KeyName(key) : place + "." + KeyName(key);
}

std::string Element(const std::string& place, size_t index)
{
    return place + "[" + std::to_string(index) + "]";
}

// A value as it stood in the document, cut short when long.
std::string Shown(const Json& value)
{
    std::string text = value.dump();
    return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

// Follows the parser through the document to refuse a key given twice and
// nesting no level document has, naming the place.
class DocumentWatcher {
public:
    bool operator()(int, Json::parse_event_t event, Json& parsed)
    {
        switch (event) {
        case Json::parse_event_t::object_start:
        case Json::parse_event_t::array_start: {
            if (frames_.size() == DEEPEST_NESTING)
                throw DocumentError{ChildPlace() + ": nested deeper than a level document goes"};
            Frame frame{event == Json::parse_event_t::array_start, "", 0, {}, ""};
            if (!frames_.empty())
                frame.place = ChildPlace();
            frames_.push_back(frame);
            break;
        }
        case Json::parse_event_t::key: {
            Frame& frame = frames_.back();
            std::string key = parsed.get<std::string>();
            for (const std::string& seen : frame.keys) {
                if (seen == key)
                    throw DocumentError{Member(frame.place, key) + ": given twice"};
            }
            frame.keys.push_back(key);
            frame.key = key;
            break;
        }
        case Json::parse_event_t::value:
            if (!frames_.empty() && frames_.back().array)
                frames_.back().next++;
            break;
        case Json::parse_event_t::object_end:
        case Json::parse_event_t::array_end:
            frames_.pop_back();
            if (!frames_.empty() && frames_.back().array)
                frames_.back().next++;
            break;
        }
        return true;
    }

private:
    struct Frame {
        bool array;
        std::string place;
        size_t next;                    // arrays: the index of the next element
        std::vector<std::string> keys;  // objects: the keys so far
        std::string key;                // objects: the key of the value being read
    };

    // The place of the value being read; the document itself has none.
    std::string ChildPlace() const
    {
        const Frame& frame = frames_.back();
        return frame.array ? Element(frame.place, frame.next) : Member(frame.place, frame.key);
    }

    std::vector<Frame> frames_;
};

class Checker {
public:
    explicit Checker(std::vector<std::string>* problems) : problems_(problems) {}

    void Add(const std::string& place, const std::string& why)
    {
        if (problems_->size() < MOST_PROBLEMS)
            problems_->push_back(place + ": " + why);
        else
            more_++;
    }

    void Finish()
    {
        if (more_ > 0)
            problems_->push_back("and " + std::to_string(more_) + " more");
    }

    bool Failed() const { return !problems_->empty(); }

    // A whole number in 0..largest; says why not otherwise.
    bool TakeNumber(const Json& object, const std::string& place, const char* key, unsigned largest,
                    unsigned* value)
    {
        std::string at = Member(place, key);
        auto it = object.find(key);
        if (it == object.end()) {
            Add(at, "missing");
            return false;
        }
        const Json& v = *it;
        std::string range = "0.." + std::to_string(largest);
        if (v.is_number_unsigned() && v.get<uint64_t>() <= largest) {
            *value = static_cast<unsigned>(v.get<uint64_t>());
            return true;
        }
        if (v.is_number_integer())
            Add(at, Shown(v) + " is not in " + range);
        else
            Add(at, Shown(v) + " is not a whole number in " + range);
        return false;
    }

    void RefuseUnknownKeys(const Json& object, const std::string& place, const char* const* known, size_t count)
    {
        for (auto it = object.begin(); it != object.end(); ++it) {
            bool found = false;
            for (size_t i = 0; i < count && !found; i++)
                found = it.key() == known[i];
            if (!found)
                Add(Member(place, it.key()), "unknown key");
        }
    }

    // A record with exactly the given fields, the first wide of them 16-bit
    // numbers and the rest bytes.
    void TakeRecord(const Json& record, const std::string& place, const char* const* fields, int count, int wide,
                    unsigned* values)
    {
        if (!record.is_object()) {
            Add(place, Shown(record) + " is not an object");
            return;
        }
        for (int f = 0; f < count; f++)
            TakeNumber(record, place, fields[f], f < wide ? 65535 : 255, &values[f]);
        RefuseUnknownKeys(record, place, fields, count);
    }

    // The table's records, when it is an array of at most largest objects.
    const Json* TakeTable(const Json& document, const char* key, size_t largest)
    {
        auto it = document.find(key);
        if (it == document.end())
            return nullptr;
        if (!it->is_array()) {
            Add(key, Shown(*it) + " is not an array");
            return nullptr;
        }
        if (it->size() > largest) {
            Add(key, std::to_string(it->size()) + " entries, at most " + std::to_string(largest));
            return nullptr;
        }
        return &*it;
    }

private:
    std::vector<std::string>* problems_;
    size_t more_ = 0;
};

void TakeSectors(const Json& table, Checker* checker, Level* level)
{
    for (size_t i = 0; i < table.size(); i++) {
        unsigned v[6] = {};
        checker->TakeRecord(table[i], Element("sectors", i), SECTOR_FIELDS, 6, 4, v);
        level->sectors[i] = Sector{static_cast<uint16_t>(v[0]), static_cast<uint16_t>(v[1]),
                                   static_cast<uint16_t>(v[2]), static_cast<uint16_t>(v[3]),
                                   static_cast<uint8_t>(v[4]), static_cast<uint8_t>(v[5])};
    }
    level->sectorCount = static_cast<uint16_t>(table.size());
}

void TakePortals(const Json& table, Checker* checker, Level* level)
{
    for (size_t i = 0; i < table.size(); i++) {
        unsigned v[5] = {};
        checker->TakeRecord(table[i], Element("portals", i), PORTAL_FIELDS, 5, 5, v);
        level->portals[i] = Portal{static_cast<uint16_t>(v[0]), static_cast<uint16_t>(v[1]),
                                   static_cast<uint16_t>(v[2]), static_cast<uint16_t>(v[3]),
                                   static_cast<uint16_t>(v[4])};
    }
    level->portalCount = static_cast<uint16_t>(table.size());
}

// A count a JSON document states must be the length of its table.
void CheckCount(const Json& document, const char* key, const char* tableKey, const Json* table, Checker* checker)
{
    auto it = document.find(key);
    if (it == document.end() || document.find(tableKey) == document.end())
        return;
    unsigned count = 0;
    if (!checker->TakeNumber(document, "", key, 65535, &count) || !table)
        return;
    if (count != table->size())
        checker->Add(key, std::to_string(count) + ", but " + tableKey + " holds " + std::to_string(table->size()));
}

// The fields `info --json` derives from the file agree with the level that
// will be written, or are left out.
void CheckDerivedFields(const Json& document, const Json* sectors, const Json* portals, Checker* checker)
{
    CheckCount(document, "sectorCount", "sectors", sectors, checker);
    if (document.contains("portalCount") && !document.contains("portals"))
        checker->Add("portalCount", "given without portals; leave both out to have the portals built");
    else
        CheckCount(document, "portalCount", "portals", portals, checker);
    if (document.contains("size") && !document.contains("portals"))
        checker->Add("size", "given without portals; leave both out to have the portals built");
    auto truncated = document.find("truncated");
    if (truncated != document.end() && *truncated != Json(false))
        checker->Add("truncated", Shown(*truncated) + " is not false: build writes whole levels only");
    auto trailing = document.find("trailingBytes");
    if (trailing != document.end() && !(trailing->is_number_unsigned() && trailing->get<uint64_t>() == 0))
        checker->Add("trailingBytes", Shown(*trailing) + " is not 0: build writes whole levels only");
}

}  // namespace

std::string FormatSectorJson(const Sector& sector)
{
    return DumpOneLine(SectorJson(sector));
}

std::string FormatLevelJson(const unsigned char* bytes, size_t available, uint64_t fileSize)
{
    LevelImage image;
    ReadLevelImage(bytes, available, fileSize, &image);
    Json header;
    header["size"] = image.size;
    const char* const fields[] = {"version", "startX", "startY", "sectorCount", "portalCount"};
    const unsigned values[] = {image.version, image.startX, image.startY, image.sectorCount, image.portalCount};
    for (int i = 0; i < 5; i++)
        header[fields[i]] = image.hasHeader ? Json(values[i]) : Json(nullptr);
    std::vector<Json> sectors, portals;
    for (size_t i = 0; i < image.sectorsPresent; i++)
        sectors.push_back(SectorJson(GetImageSector(image, i)));
    for (size_t i = 0; i < image.portalsPresent; i++)
        portals.push_back(PortalJson(GetImagePortal(image, i)));
    bool truncated = !image.hasHeader || image.size < image.claimedSize;
    uint64_t trailing = image.hasHeader && image.size > image.claimedSize ? image.size - image.claimedSize : 0;

    std::string text = "{\n";
    for (auto it = header.begin(); it != header.end(); ++it)
        text += "  " + Json(it.key()).dump() + ": " + it.value().dump() + ",\n";
    text += "  \"sectors\": " + DumpTable(sectors) + ",\n";
    text += "  \"portals\": " + DumpTable(portals) + ",\n";
    text += "  \"truncated\": " + Json(truncated).dump() + ",\n";
    text += "  \"trailingBytes\": " + Json(trailing).dump() + "\n}\n";
    return text;
}

bool BuildLevelFromJson(const char* text, size_t size, Level* level, JsonBuild* build,
                        std::vector<std::string>* problems)
{
    problems->clear();
    Json document;
    try {
        DocumentWatcher watcher;
        document = Json::parse(text, text + size, std::ref(watcher));
    } catch (const DocumentError& e) {
        problems->push_back(e.text);
        return false;
    } catch (const Json::exception& e) {
        // The library's text without its label: "[json.exception.parse_error.101]
        // parse error at line 1, column 2: ..." and, for a number no double
        // holds, "[json.exception.out_of_range.406] number overflow parsing '1e400'".
        const char* what = e.what();
        const char* at = strstr(what, "parse error at ");
        const char* label = strstr(what, "] ");
        if (at)
            problems->push_back(at + strlen("parse error at "));
        else if (label)
            problems->push_back(label + 2);
        else
            problems->push_back(what);
        return false;
    }
    if (!document.is_object()) {
        problems->push_back("document: " + Shown(document) + " is not an object");
        return false;
    }

    static Level built;  // filled here, copied to level only when whole
    built = NewLevel();
    Checker checker(problems);
    checker.RefuseUnknownKeys(document, "", DOCUMENT_FIELDS, sizeof DOCUMENT_FIELDS / sizeof *DOCUMENT_FIELDS);
    unsigned version = 0, startX = 0, startY = 0;
    checker.TakeNumber(document, "", "version", 255, &version);
    checker.TakeNumber(document, "", "startX", 65535, &startX);
    checker.TakeNumber(document, "", "startY", 65535, &startY);
    built.version = static_cast<uint8_t>(version);
    built.startX = static_cast<uint16_t>(startX);
    built.startY = static_cast<uint16_t>(startY);

    const Json* sectors = checker.TakeTable(document, "sectors", MAX_SECTORS);
    if (!document.contains("sectors"))
        checker.Add("sectors", "missing");
    if (sectors)
        TakeSectors(*sectors, &checker, &built);
    const Json* portals = checker.TakeTable(document, "portals", MAX_PORTALS);
    if (portals)
        TakePortals(*portals, &checker, &built);
    CheckDerivedFields(document, sectors, portals, &checker);

    JsonBuild result = {document.contains("portals"), 0};
    if (!checker.Failed() && !result.portalsGiven)
        result.leftOut = BuildPortals(&built);
    auto stated = document.find("size");
    if (!checker.Failed() && stated != document.end()) {
        unsigned size = 0;
        if (checker.TakeNumber(document, "", "size", 0xFFFFFFFFu, &size) && size != LevelFileSize(&built))
            checker.Add("size", std::to_string(size) + ", but the level is " +
                                    std::to_string(LevelFileSize(&built)) + " bytes");
    }
    checker.Finish();
    if (checker.Failed())
        return false;
    built.fileName = level->fileName;
    built.modified = level->modified;
    *level = built;
    *build = result;
    return true;
}
