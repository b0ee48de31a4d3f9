#include "level_json.h"

#include <string.h>

#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

#include <nlohmann/json.hpp>

#include "level_file.h"
#include "raw_level.h"
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

// The parser reads the text through this iterator, which keeps where it
// is, so each value's own text can be found again for messages.
class TrackedText {
public:
    typedef std::input_iterator_tag iterator_category;
    typedef char value_type;
    typedef std::ptrdiff_t difference_type;
    typedef const char* pointer;
    typedef const char& reference;

    TrackedText(const char* at, const char** cursor) : at_(at), cursor_(cursor) {}
    const char& operator*() const { return *at_; }
    TrackedText& operator++()
    {
        *cursor_ = ++at_;
        return *this;
    }
    bool operator==(const TrackedText& other) const { return at_ == other.at_; }
    bool operator!=(const TrackedText& other) const { return at_ != other.at_; }

private:
    const char* at_;
    const char** cursor_;
};

// Where a value stands in the text: [start, end).
struct TextSpan {
    size_t start, end;
};

// The unknown keys of one object, in the document's order: the first few
// by name, the rest only counted.
struct UnknownKeys {
    std::vector<std::string> names;
    size_t count = 0;
};

// Builds the document from the parser's events. A key given twice, or
// nesting no level document has, stops the parse with its place. Only the
// keys a level document knows are kept in the document and its records;
// the others are noted by place and their values left out, so neither a
// lookup nor an insertion ever walks a long list of keys. Each value's
// place in the text is kept for the messages that quote it.
class DocumentReader {
public:
    DocumentReader(const char* text, const char** cursor) : text_(text), cursor_(cursor) {}

    bool null() { return TakeScalar(Json(nullptr), false); }
    bool boolean(bool value) { return TakeScalar(Json(value), false); }
    bool number_integer(Json::number_integer_t value) { return TakeScalar(Json(value), true); }
    bool number_unsigned(Json::number_unsigned_t value) { return TakeScalar(Json(value), true); }
    bool number_float(Json::number_float_t value, const std::string&) { return TakeScalar(Json(value), true); }
    bool string(std::string& value) { return TakeScalar(Json(value), false); }
    bool binary(Json::binary_t&) { return TakeScalar(Json(), false); }
    bool start_object(size_t) { return Open(false); }
    bool start_array(size_t) { return Open(true); }
    bool end_object() { return Close(); }
    bool end_array() { return Close(); }

    bool key(std::string& key)
    {
        Frame& frame = frames_.back();
        Advance();
        if (!frame.keys.insert(key).second)
            throw DocumentError{Member(frame.place, key) + ": given twice"};
        frame.key = key;
        frame.keep = frame.known == nullptr;
        for (size_t i = 0; frame.known && i < frame.knownCount && !frame.keep; i++)
            frame.keep = key == frame.known[i];
        if (!frame.keep && frame.known) {
            UnknownKeys& unknown = unknown_[frame.place];
            if (unknown.names.size() < MOST_PROBLEMS)
                unknown.names.push_back(key);
            unknown.count++;
        }
        return true;
    }

    bool parse_error(size_t, const std::string&, const nlohmann::detail::exception& e)
    {
        // The library's text without its label: "[json.exception.parse_error.101]
        // parse error at line 1, column 2: ..." and, for a number no double
        // holds, "[json.exception.out_of_range.406] number overflow parsing '1e400'".
        const char* what = e.what();
        const char* at = strstr(what, "parse error at ");
        const char* label = strstr(what, "] ");
        error = at ? at + strlen("parse error at ") : label ? label + 2
                                                            : what;
        return false;
    }

    // The value's own text, on one line, cut short when long.
    std::string Shown(const std::string& place) const
    {
        auto it = spans_.find(place);
        if (it == spans_.end())
            return "?";
        std::string text(text_ + it->second.start, it->second.end - it->second.start);
        for (char& c : text) {
            if (c == '\n' || c == '\r' || c == '\t')
                c = ' ';
        }
        if (text.size() <= 40)
            return text;
        size_t cut = 37;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            cut--;  // never inside a character
        return text.substr(0, cut) + "...";
    }

    // Whether the value's text is a plain whole number, signed or not.
    bool IsWrittenWhole(const std::string& place) const
    {
        std::string text = Shown(place);
        size_t digits = text[0] == '-' ? 1 : 0;
        return text.size() > digits && text.find_first_not_of("0123456789", digits) == std::string::npos;
    }

    const UnknownKeys* FindUnknownKeys(const std::string& place) const
    {
        auto it = unknown_.find(place);
        return it == unknown_.end() ? nullptr : &it->second;
    }

    Json document;
    std::string error;  // the parser's reason for stopping, when it did

private:
    struct Frame {
        bool array;
        std::string place;
        Json* container;           // null: values here are left out
        const char* const* known;  // objects: the keys kept, or null for all
        size_t knownCount;
        size_t next;                           // arrays: the index of the next element
        std::unordered_set<std::string> keys;  // objects: the keys so far
        std::string key;                       // objects: the key of the value being read
        bool keep;                             // objects: that value is kept
        size_t start;                          // where the container's text starts
    };

    // The stretch of text since the last event, which ends with this one.
    TextSpan Advance()
    {
        TextSpan span = {last_, static_cast<size_t>(*cursor_ - text_)};
        last_ = span.end;
        while (span.start < span.end && strchr(" \t\r\n:,", text_[span.start]))
            span.start++;
        return span;
    }

    // The place of the value being read; the document itself has none.
    std::string ChildPlace() const
    {
        if (frames_.empty())
            return "";
        const Frame& frame = frames_.back();
        return frame.array ? Element(frame.place, frame.next) : Member(frame.place, frame.key);
    }

    // Only places a message can name are kept: not the entries of a table
    // too long to take, nor what lies under an unknown key.
    bool IsNamed() const
    {
        return frames_.empty() || (frames_.back().container && (frames_.back().array
                                                                    ? frames_.back().next <= MAX_PORTALS
                                                                    : frames_.back().keep));
    }

    // Puts value where the parse stands; returns where it went, or null.
    Json* Store(Json value)
    {
        if (frames_.empty()) {
            document = std::move(value);
            return &document;
        }
        Frame& frame = frames_.back();
        if (!frame.container || (!frame.array && !frame.keep))
            return nullptr;
        if (frame.array) {
            frame.container->push_back(std::move(value));
            return &frame.container->back();
        }
        return &((*frame.container)[frame.key] = std::move(value));
    }

    void Next()
    {
        if (!frames_.empty() && frames_.back().array)
            frames_.back().next++;
    }

    bool TakeScalar(Json value, bool number)
    {
        TextSpan span = Advance();
        // The parser has read one character past a number, unless the text
        // ended; the text has no terminator to stop a search.
        for (size_t i = span.start; number && i < span.end; i++) {
            if (!strchr("0123456789+-.eE", text_[i]))
                span.end = i;
        }
        if (IsNamed())
            spans_[ChildPlace()] = span;
        Store(std::move(value));
        Next();
        return true;
    }

    bool Open(bool array)
    {
        std::string place = ChildPlace();
        if (frames_.size() == DEEPEST_NESTING)
            throw DocumentError{place + ": nested deeper than a level document goes"};
        TextSpan span = Advance();
        bool named = IsNamed();
        Json* container = Store(array ? Json::array() : Json::object());
        Frame frame{array, place, container, nullptr, 0, 0, {}, "", false, span.end - 1};
        if (!named)
            frame.start = std::string::npos;
        if (!array && frames_.empty()) {
            frame.known = DOCUMENT_FIELDS;
            frame.knownCount = sizeof DOCUMENT_FIELDS / sizeof *DOCUMENT_FIELDS;
        } else if (!array && frames_.size() == 2 && frames_[1].array && frames_[0].container) {
            bool sectors = frames_[1].place == "sectors";
            frame.known = sectors ? SECTOR_FIELDS : PORTAL_FIELDS;
            frame.knownCount = sectors ? 6 : 5;
        } else if (!array) {
            frame.known = DOCUMENT_FIELDS;  // any object elsewhere keeps no key: only its text is shown
            frame.knownCount = 0;
        }
        frames_.push_back(std::move(frame));
        return true;
    }

    bool Close()
    {
        TextSpan span = Advance();
        size_t start = frames_.back().start;
        frames_.pop_back();
        if (start != std::string::npos)
            spans_[ChildPlace()] = TextSpan{start, span.end};
        Next();
        return true;
    }

    const char* text_;
    const char** cursor_;
    size_t last_ = 0;  // where the text of the last event ended
    std::vector<Frame> frames_;
    std::unordered_map<std::string, TextSpan> spans_;
    std::unordered_map<std::string, UnknownKeys> unknown_;
};

class Checker {
public:
    Checker(const DocumentReader& reader, std::vector<std::string>* problems) : reader_(reader), problems_(problems)
    {
    }

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
        if (v.is_number() && reader_.IsWrittenWhole(at))
            Add(at, reader_.Shown(at) + " is not in " + range);
        else
            Add(at, reader_.Shown(at) + " is not a whole number in " + range);
        return false;
    }

    // The keys the reader left out of the object at place.
    void RefuseUnknownKeys(const std::string& place)
    {
        const UnknownKeys* unknown = reader_.FindUnknownKeys(place);
        if (!unknown)
            return;
        for (const std::string& name : unknown->names)
            Add(Member(place, name), "unknown key");
        for (size_t i = unknown->names.size(); i < unknown->count; i++)
            Add(place, "unknown key");  // past the lines shown: only counted
    }

    std::string Shown(const std::string& place) const { return reader_.Shown(place); }

    // A record with exactly the given fields, the first wide of them 16-bit
    // numbers and the rest bytes.
    void TakeRecord(const Json& record, const std::string& place, const char* const* fields, int count, int wide,
                    unsigned* values)
    {
        if (!record.is_object()) {
            Add(place, Shown(place) + " is not an object");
            return;
        }
        for (int f = 0; f < count; f++)
            TakeNumber(record, place, fields[f], f < wide ? 65535 : 255, &values[f]);
        RefuseUnknownKeys(place);
    }

    // The table's records, when it is an array of at most largest objects.
    const Json* TakeTable(const Json& document, const char* key, size_t largest)
    {
        auto it = document.find(key);
        if (it == document.end())
            return nullptr;
        if (!it->is_array()) {
            Add(key, Shown(key) + " is not an array");
            return nullptr;
        }
        if (it->size() > largest) {
            Add(key, std::to_string(it->size()) + " entries, at most " + std::to_string(largest));
            return nullptr;
        }
        return &*it;
    }

private:
    const DocumentReader& reader_;
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
        checker->Add("truncated", checker->Shown("truncated") + " is not false: build writes whole levels only");
    auto trailing = document.find("trailingBytes");
    if (trailing != document.end() && !(trailing->is_number_unsigned() && trailing->get<uint64_t>() == 0))
        checker->Add("trailingBytes", checker->Shown("trailingBytes") + " is not 0: build writes whole levels only");
}

}  // namespace

std::string FormatSectorJson(const Sector& sector)
{
    return DumpOneLine(SectorJson(sector));
}

std::string FormatLevelJson(const unsigned char* bytes, size_t available, uint64_t fileSize)
{
    RawLevel raw;
    ReadRawLevel(bytes, available, fileSize, &raw);
    Json header;
    header["size"] = raw.size;
    const char* const fields[] = {"version", "startX", "startY", "sectorCount", "portalCount"};
    const unsigned values[] = {raw.version, raw.startX, raw.startY, raw.sectorCount, raw.portalCount};
    for (int i = 0; i < 5; i++)
        header[fields[i]] = raw.hasHeader ? Json(values[i]) : Json(nullptr);
    std::vector<Json> sectors, portals;
    for (size_t i = 0; i < raw.sectorsPresent; i++)
        sectors.push_back(SectorJson(GetRawSector(raw, i)));
    for (size_t i = 0; i < raw.portalsPresent; i++)
        portals.push_back(PortalJson(GetRawPortal(raw, i)));
    bool truncated = !raw.hasHeader || raw.size < raw.claimedSize;
    uint64_t trailing = raw.hasHeader && raw.size > raw.claimedSize ? raw.size - raw.claimedSize : 0;

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
    // The parser takes a NUL byte for the end of the text, so anything after
    // one would be left unread: no document holds one.
    const char* nul = static_cast<const char*>(memchr(text, '\0', size));
    if (nul) {
        size_t line = 1 + static_cast<size_t>(std::count(text, nul, '\n'));
        const char* lineStart = nul;
        while (lineStart > text && lineStart[-1] != '\n')
            lineStart--;
        problems->push_back("line " + std::to_string(line) + ", column " + std::to_string(nul - lineStart + 1) +
                            ": a NUL byte, which no level document holds");
        return false;
    }
    const char* cursor = text;
    DocumentReader reader(text, &cursor);
    try {
        if (!Json::sax_parse(TrackedText(text, &cursor), TrackedText(text + size, &cursor), &reader)) {
            problems->push_back(reader.error);
            return false;
        }
    } catch (const DocumentError& e) {
        problems->push_back(e.text);
        return false;
    }
    const Json& document = reader.document;
    if (!document.is_object()) {
        problems->push_back("document: " + reader.Shown("") + " is not an object");
        return false;
    }

    static Level built;  // filled here, copied to level only when whole
    built = NewLevel();
    Checker checker(reader, problems);
    checker.RefuseUnknownKeys("");
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
