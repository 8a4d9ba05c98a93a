// The command-line tool's logic: one function per subcommand (libraries,
// patterns, describe, gain, contour, legacy, demo), each parsing its own
// options with cxxopts and talking to KAM only through the exports of kam.h,
// as any calling application does. Every call that returns a non-zero status
// is followed by the status and the event-log lines it queued.
#include "tools/cli.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <cxxopts.hpp>
#include <fmt/format.h>

#include "kam/kam.h"
#include "kam/kam_plugin.h"

namespace kamtool {
namespace {

// A command line that cannot be understood; reported on err with exit code 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The eight validated parameters, by KAM_PARAM_* index: the name the event
// log uses, the unit, and the tool's option for it ("" when the parameter is
// not a number given on the command line).
struct ParamRow {
    const char* name;
    const char* unit;
    const char* option;
};
constexpr ParamRow kParams[KAM_PARAM_COUNT] = {
    {"GainMax", "dBi", "gainmax"},  {"Beamlet", "deg", "beamlet"},
    {"Diameter", "m", "diameter"},  {"Frequency", "MHz", "frequency"},
    {"Efficiency", "", "efficiency"}, {"Specific", "", "specific"},
    {"Phi", "deg", ""},             {"Phi0", "deg", "phi0"},
};

// Property codes: one letter for tables, a word for descriptions.
struct PropertyRow {
    std::int32_t code;
    char letter;
    const char* word;
};
constexpr PropertyRow kProperties[] = {
    {KAM_PROPERTY_REQUIRED, 'R', "required"},
    {KAM_PROPERTY_OPTIONAL, 'O', "optional"},
    {KAM_PROPERTY_NOT_REQUIRED, 'N', "not required"},
};

const PropertyRow* FindProperty(std::int32_t code) {
    for (const PropertyRow& row : kProperties)
        if (row.code == code) return &row;
    return nullptr;
}

// Pattern types as the tool names them; "any" only selects.
struct TypeRow {
    const char* word;
    std::int32_t mask;
};
constexpr TypeRow kTypes[] = {
    {"earth", KAM_PATTERN_EARTH}, {"space", KAM_PATTERN_SPACE}, {"any", KAM_PATTERN_ANY}};

const char* TypeWord(std::int32_t type) {
    for (const TypeRow& row : kTypes)
        if (row.mask == type) return row.word;
    return "unknown";
}

// Value types of an element description.
const char* ValueTypeWord(std::int32_t valueType) {
    switch (valueType) {
        case KAM_VALUE_DOUBLE: return "double";
        case KAM_VALUE_INT32: return "int32";
        default: return "?";
    }
}

// Text of a fixed-size field: up to its first NUL, never beyond the field.
std::string FieldText(const void* bytes, std::size_t size) {
    const char* p = static_cast<const char*>(bytes);
    const void* nul = std::memchr(p, '\0', size);
    return std::string(p, nul ? static_cast<const char*>(nul) - p : size);
}

bool IsNoValue(double v) { return v == KAM_NoValueDouble(); }

// A number for a table: "-" for NoValue (an absent output), else fixed point.
std::string Number(double v, int decimals = 4) {
    if (IsNoValue(v)) return "-";
    return fmt::format("{:.{}f}", v, decimals);
}

// A parameter as given: "-" when absent, else the shortest form.
std::string Given(double v) { return IsNoValue(v) ? std::string("-") : fmt::format("{:g}", v); }

// Where a command writes, and whether any library call failed.
struct Context {
    std::ostream& out;
    std::ostream& err;
    bool failed = false;
};

// Prints every event still queued, oldest first, as the library renders it.
void PrintEvents(Context& ctx, std::string_view indent) {
    KAM_EventRecord event;
    while (KAM_GetNextEvent(&event) == KAM_OK) {
        char line[KAM_EVENT_LINE_SIZE];
        if (KAM_ConvertEventToString(&event, line) == KAM_OK)
            ctx.out << indent << FieldText(line, sizeof line) << '\n';
    }
}

// Reports a call's non-zero status and the events it queued. Returns true
// when the call completed (status >= 0); an error marks the command failed.
bool Check(Context& ctx, std::string_view what, KAM_Status status,
           std::string_view indent = "") {
    if (status == KAM_OK) return true;
    ctx.out << indent << what << ": status " << status
            << (status < 0 ? " (error)" : " (warning)") << '\n';
    PrintEvents(ctx, std::string(indent) + "  ");
    if (status < 0) ctx.failed = true;
    return status >= 0;
}

int ExitCode(const Context& ctx) { return ctx.failed ? kExitFailed : kExitOk; }

// ---- Command-line helpers -------------------------------------------------

// cxxopts reads "-3" as a short option; "--levels -3,-10" is joined into
// "--levels=-3,-10" so negative numbers can follow an option.
std::vector<std::string> JoinNegativeValues(int argc, const char* const* argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        const bool longOption = arg.rfind("--", 0) == 0 && arg.size() > 2 &&
                                arg.find('=') == std::string::npos;
        if (longOption && i + 1 < argc) {
            const char* next = argv[i + 1];
            const bool negative = next[0] == '-' &&
                                  (std::isdigit(static_cast<unsigned char>(next[1])) ||
                                   next[1] == '.');
            if (negative) {
                args.push_back(arg + "=" + next);
                ++i;
                continue;
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

// One number from text, in the C locale's form; the whole text must be used.
double ParseNumber(const std::string& text, const std::string& what) {
    std::size_t used = 0;
    double v = 0.0;
    try {
        v = std::stod(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.empty() || used != text.size())
        throw UsageError(fmt::format("{}: '{}' is not a number", what, text));
    return v;
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::size_t end = comma == std::string::npos ? text.size() : comma;
        items.push_back(text.substr(start, end - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return items;
}

std::vector<double> ParseNumberList(const std::string& text, const std::string& what) {
    std::vector<double> values;
    for (const std::string& item : SplitList(text)) values.push_back(ParseNumber(item, what));
    return values;
}

void AddCommonOptions(cxxopts::Options& options) {
    options.add_options()("h,help", "show this help")(
        "load", "add the pattern library FILE first (repeatable)",
        cxxopts::value<std::vector<std::string>>(), "FILE");
}

// Parses argv (argv[0] is the subcommand) into result, which keeps copies of
// the values. Returns false after printing the help when --help was given;
// throws UsageError or a cxxopts exception for a command line it refuses.
bool Parse(Context& ctx, cxxopts::Options& options, int argc, const char* const* argv,
           cxxopts::ParseResult& result) {
    std::vector<std::string> args = JoinNegativeValues(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& a : args) pointers.push_back(a.c_str());
    result = options.parse(static_cast<int>(pointers.size()), pointers.data());
    if (result.count("help")) {
        ctx.out << options.help({"", "parameters", "angles", "levels"});
        return false;
    }
    if (!result.unmatched().empty())
        throw UsageError("unexpected argument '" + result.unmatched().front() + "'");
    return true;
}

// Adds the libraries of --load; their failures are reported like any call's.
void LoadLibraries(Context& ctx, const cxxopts::ParseResult& result) {
    if (!result.count("load")) return;
    for (const std::string& file : result["load"].as<std::vector<std::string>>()) {
        KAM_LibraryId id = KAM_NO_LIBRARY;
        Check(ctx, "adding library " + file, KAM_AddLibrary(file.c_str(), &id));
    }
}

std::string Positional(const cxxopts::ParseResult& result, const char* name, const char* what) {
    if (!result.count(name)) throw UsageError(std::string("missing ") + what);
    return result[name].as<std::string>();
}

double OptionalNumber(const cxxopts::ParseResult& result, const char* name) {
    if (!result.count(name)) return KAM_NoValueDouble();
    return ParseNumber(result[name].as<std::string>(), std::string("--") + name);
}

// Turns input validation off for one command and restores it afterwards.
class InputValidationOff {
public:
    explicit InputValidationOff(bool off) : active_(off && KAM_IfInputParamValidEnabled() == 1) {
        if (active_) KAM_DisableInputParamValid();
    }
    ~InputValidationOff() {
        if (active_) KAM_EnableInputParamValid();
    }
    InputValidationOff(const InputValidationOff&) = delete;
    InputValidationOff& operator=(const InputValidationOff&) = delete;

private:
    bool active_;
};

// ---- Catalogue helpers ------------------------------------------------------

// The loaded libraries' names, newest first. Empty after a failure.
std::vector<std::string> LibraryNames(Context& ctx) {
    std::int32_t count = 0;
    if (!Check(ctx, "counting libraries", KAM_GetLibraryCount(&count)) || count <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(count) * KAM_LIBRARY_NAME_SLOT);
    if (!Check(ctx, "listing libraries", KAM_GetAllLibraryNames(&count, buffer.data()))) return {};
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < count; ++i)
        names.push_back(FieldText(buffer.data() + i * KAM_LIBRARY_NAME_SLOT, KAM_LIBRARY_NAME_SLOT));
    return names;
}

KAM_LibraryId LibraryByName(Context& ctx, const std::string& name) {
    KAM_LibraryId id = KAM_NO_LIBRARY;
    Check(ctx, "finding library " + name, KAM_GetLibraryIdByName(name.c_str(), &id));
    return id;
}

std::string LibraryName(KAM_LibraryId id) {
    KAM_LibraryProperties props;
    if (KAM_GetLibraryProperties(id, &props) != KAM_OK) return "?";
    return FieldText(props.name, sizeof props.name);
}

// Pattern names of one library selected by a type mask, in the library's order.
std::vector<std::string> PatternNames(Context& ctx, KAM_LibraryId id, std::int32_t mask) {
    std::int32_t count = 0;
    if (!Check(ctx, "counting patterns", KAM_GetPatternCount(id, mask, &count)) || count <= 0)
        return {};
    std::vector<char> buffer(static_cast<std::size_t>(count) * KAM_PATTERN_NAME_SLOT);
    if (!Check(ctx, "listing patterns", KAM_GetAllPatternNames(id, mask, &count, buffer.data())))
        return {};
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < count; ++i)
        names.push_back(FieldText(buffer.data() + i * KAM_PATTERN_NAME_SLOT, KAM_PATTERN_NAME_SLOT));
    return names;
}

// A pattern found by name, in the given library or (none given) in the
// newest library that has it.
struct Pattern {
    KAM_LibraryId library = KAM_NO_LIBRARY;
    std::string name;
    KAM_PatternProperties props{};
    std::int32_t params[KAM_PARAM_COUNT] = {};

    std::string Title() const { return FieldText(props.title, sizeof props.title); }
};

// Fills pattern; false (after reporting) when it cannot be found.
bool FindPattern(Context& ctx, const std::string& name, const cxxopts::ParseResult& result,
                 Pattern& pattern) {
    pattern.name = name;
    if (result.count("library")) {
        pattern.library = LibraryByName(ctx, result["library"].as<std::string>());
        if (pattern.library == KAM_NO_LIBRARY) return false;
    } else if (!Check(ctx, "searching " + name, KAM_SearchPattern(name.c_str(), &pattern.library))) {
        return false;
    }
    return Check(ctx, "reading " + name,
                 KAM_GetPatternProperties(pattern.library, name.c_str(), &pattern.props)) &&
           Check(ctx, "reading parameters of " + name,
                 KAM_GetParamProperties(pattern.library, name.c_str(), pattern.params));
}

std::string PropertyLetters(const std::int32_t (&params)[KAM_PARAM_COUNT]) {
    std::string letters;
    for (int i = 0; i < KAM_PARAM_COUNT; ++i) {
        const PropertyRow* row = FindProperty(params[i]);
        if (i) letters += ' ';
        letters += row ? row->letter : '?';
    }
    return letters;
}

// One element of a pattern's specific structure, as its library describes it.
struct Element {
    std::int32_t index;
    KAM_ElementDescription desc;
    std::string name;
    std::string unit;
};

// The element descriptions of a pattern; empty (and reported) when it has none.
std::vector<Element> Elements(Context& ctx, const Pattern& pattern) {
    std::int32_t count = 0;
    if (!Check(ctx, "counting specific elements",
               KAM_GetSpecificParCount(pattern.library, pattern.name.c_str(), &count)))
        return {};
    std::vector<Element> elements;
    for (std::int32_t i = 0; i < count; ++i) {
        KAM_SpecificParDef def;
        if (!Check(ctx, fmt::format("reading specific element {}", i),
                   KAM_GetSpecificParDef(pattern.library, pattern.name.c_str(), i, &def)))
            continue;
        Element e{i, {}, {}, {}};
        static_assert(sizeof e.desc == sizeof def.description, "element description layout");
        std::memcpy(&e.desc, def.description, sizeof e.desc);
        e.name = FieldText(e.desc.name, sizeof e.desc.name);
        e.unit = FieldText(e.desc.unit, sizeof e.desc.unit);
        elements.push_back(e);
    }
    return elements;
}

// A pattern-specific structure built from --specific: values by position
// ("1.5,0.7") or by name ("theta=30"); elements not given keep their default.
// Without --specific the structure is the NoValue structure.
class Specific {
public:
    Specific(Context& ctx, const Pattern& pattern, const cxxopts::ParseResult& result) {
        if (!result.count("specific")) return;
        const std::int32_t size = pattern.props.specificSize;
        if (size <= 0) throw UsageError(pattern.name + " has no specific structure");
        const std::vector<Element> elements = Elements(ctx, pattern);
        if (elements.empty())
            throw UsageError(pattern.name + " does not describe its specific structure");
        storage_.assign((static_cast<std::size_t>(size) + sizeof(double) - 1) / sizeof(double), 0.0);
        for (const Element& e : elements) Store(e, e.desc.defaultValue, size);
        const std::string text = result["specific"].as<std::string>();
        if (text.empty()) {
            given_ = true;
            return;
        }
        std::size_t position = 0;
        for (const std::string& item : SplitList(text)) {
            const std::size_t eq = item.find('=');
            const Element* target = nullptr;
            std::string valueText = item;
            if (eq != std::string::npos) {
                const std::string name = item.substr(0, eq);
                for (const Element& e : elements)
                    if (e.name == name) target = &e;
                if (!target) throw UsageError(pattern.name + " has no specific element '" + name + "'");
                valueText = item.substr(eq + 1);
            } else {
                if (position >= elements.size())
                    throw UsageError(fmt::format("{} takes {} specific values", pattern.name,
                                                 elements.size()));
                target = &elements[position++];
            }
            Store(*target, ParseNumber(valueText, "--specific " + target->name), size);
        }
        given_ = true;
    }

    void* Pointer() { return given_ ? static_cast<void*>(storage_.data()) : KAM_NoValueStruct(); }

private:
    void Store(const Element& e, double value, std::int32_t size) {
        const std::int32_t width = e.desc.valueType == KAM_VALUE_INT32 ? 4 : 8;
        if (e.desc.offset < 0 || e.desc.offset > size - width)
            throw UsageError("specific element '" + e.name + "' lies outside the structure");
        unsigned char* at = reinterpret_cast<unsigned char*>(storage_.data()) + e.desc.offset;
        if (e.desc.valueType == KAM_VALUE_INT32) {
            const std::int32_t v = static_cast<std::int32_t>(std::llround(value));
            std::memcpy(at, &v, sizeof v);
        } else {
            std::memcpy(at, &value, sizeof value);
        }
    }

    std::vector<double> storage_;  // doubles keep the structure aligned
    bool given_ = false;
};

// ---- Subcommands --------------------------------------------------------------

int RunLibraries(Context& ctx, int argc, const char* const* argv) {
    cxxopts::Options options("kam libraries", "List the loaded pattern libraries.");
    AddCommonOptions(options);
    cxxopts::ParseResult result;
    if (!Parse(ctx, options, argc, argv, result)) return kExitOk;
    LoadLibraries(ctx, result);

    const std::vector<std::string> names = LibraryNames(ctx);
    ctx.out << fmt::format("{:<20} {:<10} {:>8} {:>6} {:>6}  {}\n", "library", "version",
                           "patterns", "earth", "space", "description");
    for (const std::string& name : names) {
        const KAM_LibraryId id = LibraryByName(ctx, name);
        KAM_LibraryProperties props;
        if (!Check(ctx, "reading " + name, KAM_GetLibraryProperties(id, &props))) continue;
        std::int32_t earth = 0, space = 0;
        Check(ctx, "counting earth patterns", KAM_GetPatternCount(id, KAM_PATTERN_EARTH, &earth));
        Check(ctx, "counting space patterns", KAM_GetPatternCount(id, KAM_PATTERN_SPACE, &space));
        ctx.out << fmt::format("{:<20} {:<10} {:>8} {:>6} {:>6}  {}\n", name,
                               fmt::format("{}.{}.{}", props.version[0], props.version[1],
                                           props.version[2]),
                               props.patternCount, earth, space,
                               FieldText(props.description, sizeof props.description));
    }
    if (names.empty()) ctx.out << "(no library loaded)\n";
    return ExitCode(ctx);
}

std::int32_t TypeMask(const std::string& word) {
    for (const TypeRow& row : kTypes)
        if (word == row.word) return row.mask;
    throw UsageError("--type must be earth, space or any, not '" + word + "'");
}

int RunPatterns(Context& ctx, int argc, const char* const* argv) {
    cxxopts::Options options("kam patterns",
                             "List patterns with their type, parameter properties and title.\n"
                             "Properties, in order GainMax Beamlet Diameter Frequency Efficiency "
                             "Specific Phi Phi0:\nR required, O optional, N not required.");
    AddCommonOptions(options);
    options.add_options()("library", "only this library", cxxopts::value<std::string>(), "NAME")(
        "type", "earth, space or any", cxxopts::value<std::string>()->default_value("any"), "TYPE");
    cxxopts::ParseResult result;
    if (!Parse(ctx, options, argc, argv, result)) return kExitOk;
    const std::int32_t mask = TypeMask(result["type"].as<std::string>());
    LoadLibraries(ctx, result);

    std::vector<std::string> libraries;
    if (result.count("library"))
        libraries.push_back(result["library"].as<std::string>());
    else
        libraries = LibraryNames(ctx);
    for (const std::string& library : libraries) {
        const KAM_LibraryId id = LibraryByName(ctx, library);
        if (id == KAM_NO_LIBRARY) continue;
        ctx.out << "library " << library << '\n';
        ctx.out << fmt::format("  {:<12}  {:<5}  {:<15}  {}\n", "pattern", "type",
                               "G B D F E S P P0", "title");
        for (const std::string& name : PatternNames(ctx, id, mask)) {
            Pattern p;
            p.library = id;
            p.name = name;
            if (!Check(ctx, "reading " + name, KAM_GetPatternProperties(id, name.c_str(), &p.props)) ||
                !Check(ctx, "reading parameters of " + name,
                       KAM_GetParamProperties(id, name.c_str(), p.params)))
                continue;
            ctx.out << fmt::format("  {:<12}  {:<5}  {:<15}  {}\n", name, TypeWord(p.props.type),
                                   PropertyLetters(p.params), p.Title());
        }
    }
    return ExitCode(ctx);
}

int RunDescribe(Context& ctx, int argc, const char* const* argv) {
    cxxopts::Options options("kam describe",
                             "Describe a pattern: type, title, parameter properties and the "
                             "elements of its specific structure.");
    AddCommonOptions(options);
    options.add_options()("library", "look in this library only", cxxopts::value<std::string>(),
                          "NAME")("pattern", "pattern name", cxxopts::value<std::string>());
    options.parse_positional({"pattern"});
    options.positional_help("PATTERN");
    cxxopts::ParseResult result;
    if (!Parse(ctx, options, argc, argv, result)) return kExitOk;
    const std::string name = Positional(result, "pattern", "PATTERN");
    LoadLibraries(ctx, result);

    Pattern p;
    if (!FindPattern(ctx, name, result, p)) return ExitCode(ctx);
    ctx.out << fmt::format("pattern    {}\n", name);
    ctx.out << fmt::format("library    {}\n", LibraryName(p.library));
    ctx.out << fmt::format("title      {}\n", p.Title());
    ctx.out << fmt::format("type       {}\n", TypeWord(p.props.type));
    ctx.out << "parameters\n";
    for (int i = 0; i < KAM_PARAM_COUNT; ++i) {
        const PropertyRow* row = FindProperty(p.params[i]);
        ctx.out << fmt::format("  {:<11} {:<4} {}\n", kParams[i].name,
                               *kParams[i].unit ? kParams[i].unit : "-",
                               row ? row->word : fmt::format("unknown code {}", p.params[i]));
    }
    if (p.props.specificSize <= 0) {
        ctx.out << "specific structure: none\n";
        return ExitCode(ctx);
    }
    ctx.out << fmt::format("specific structure: {} bytes\n", p.props.specificSize);
    const std::vector<Element> elements = Elements(ctx, p);
    ctx.out << fmt::format("  {:>2}  {:<16} {:<6} {:<6} {:>6} {:>12} {:>12} {:>12}\n", "#",
                           "element", "unit", "type", "offset", "default", "lowest", "highest");
    for (const Element& e : elements)
        ctx.out << fmt::format("  {:>2}  {:<16} {:<6} {:<6} {:>6} {:>12.10g} {:>12.10g} {:>12.10g}\n",
                               e.index, e.name, e.unit.empty() ? "-" : e.unit,
                               ValueTypeWord(e.desc.valueType), e.desc.offset,
                               e.desc.defaultValue, e.desc.lowest, e.desc.highest);
    return ExitCode(ctx);
}

// The positional PATTERN, the library to look in, the validation switch, and
// the inputs that gain and contour tables share, in the "parameters" group.
void AddPatternInputOptions(cxxopts::Options& options) {
    options.add_options()("library", "look in this library only", cxxopts::value<std::string>(),
                          "NAME")("no-validate", "switch input validation off for this command")(
        "pattern", "pattern name", cxxopts::value<std::string>());
    options.parse_positional({"pattern"});
    options.positional_help("PATTERN");
    options.add_options("parameters")("beamlet", "Beamlet [deg] (space patterns)",
                                      cxxopts::value<std::string>(), "B")(
        "phi0", "Phi0 [deg]", cxxopts::value<std::string>(), "X")(
        "specific", "specific structure: values in element order, or name=value pairs",
        cxxopts::value<std::string>(), "LIST");
}

// The off-axis angles of a gain table: --angles, or --from/--to/--step.
std::vector<double> Angles(const cxxopts::ParseResult& result) {
    if (result.count("angles")) return ParseNumberList(result["angles"].as<std::string>(), "--angles");
    const double from = ParseNumber(result["from"].as<std::string>(), "--from");
    const double to = ParseNumber(result["to"].as<std::string>(), "--to");
    const double step = ParseNumber(result["step"].as<std::string>(), "--step");
    constexpr double kMaxRows = 100000;
    if (!(step > 0) || !(to >= from) || (to - from) / step >= kMaxRows)
        throw UsageError("--from, --to and --step must give 1 to 100000 angles (step > 0, to >= from)");
    std::vector<double> angles;
    const auto last = static_cast<long>(std::floor((to - from) / step + 1e-9));
    for (long i = 0; i <= last; ++i) angles.push_back(from + static_cast<double>(i) * step);
    return angles;
}

int RunGain(Context& ctx, int argc, const char* const* argv) {
    cxxopts::Options options(
        "kam gain",
        "Gain table of a pattern over off-axis angles. The pattern's type chooses the earth or\n"
        "the space computation; parameters not given are absent (NoValue).");
    AddCommonOptions(options);
    options.add_options("parameters")("gainmax", "GainMax [dBi]", cxxopts::value<std::string>(),
                                      "G")(
        "diameter", "Diameter [m] (earth patterns)", cxxopts::value<std::string>(), "D")(
        "frequency", "Frequency [MHz] (earth patterns)", cxxopts::value<std::string>(), "F")(
        "efficiency", "Efficiency, 0..1 (earth patterns)", cxxopts::value<std::string>(), "E");
    AddPatternInputOptions(options);
    options.add_options("angles")(
        "from", "first angle [deg]", cxxopts::value<std::string>()->default_value("0"), "A")(
        "to", "last angle [deg]", cxxopts::value<std::string>()->default_value("180"), "B")(
        "step", "angle step [deg]", cxxopts::value<std::string>()->default_value("1"), "S")(
        "angles", "explicit angles instead of --from/--to/--step", cxxopts::value<std::string>(),
        "LIST");
    cxxopts::ParseResult result;
    if (!Parse(ctx, options, argc, argv, result)) return kExitOk;
    const std::string name = Positional(result, "pattern", "PATTERN");
    double in[KAM_PARAM_COUNT];
    for (int i = 0; i < KAM_PARAM_COUNT; ++i)
        in[i] = *kParams[i].option && i != KAM_PARAM_SPECIFIC ? OptionalNumber(result, kParams[i].option)
                                                               : KAM_NoValueDouble();
    const std::vector<double> angles = Angles(result);
    LoadLibraries(ctx, result);
    InputValidationOff validation(result.count("no-validate") > 0);

    Pattern p;
    if (!FindPattern(ctx, name, result, p)) return ExitCode(ctx);
    Specific specific(ctx, p, result);
    const bool earth = p.props.type == KAM_PATTERN_EARTH;
    // The numbers this kind of pattern takes: no Beamlet for earth patterns,
    // no Diameter, Frequency or Efficiency for space patterns.
    const auto applies = [earth](int i) {
        return earth ? i != KAM_PARAM_BEAMLET
                     : i < KAM_PARAM_DIAMETER || i > KAM_PARAM_EFFICIENCY;
    };
    ctx.out << fmt::format("{} ({}, library {}): {}\n", name, TypeWord(p.props.type),
                           LibraryName(p.library), p.Title());
    std::string inputs;
    for (int i = 0; i < KAM_PARAM_COUNT; ++i) {
        if (!*kParams[i].option || i == KAM_PARAM_SPECIFIC) continue;
        if (applies(i) && (p.params[i] != KAM_PROPERTY_NOT_REQUIRED || !IsNoValue(in[i])))
            inputs += fmt::format("{}{} {}", inputs.empty() ? "" : ", ", kParams[i].name, Given(in[i]));
        else if (!applies(i) && !IsNoValue(in[i]))
            ctx.err << fmt::format("kam gain: --{} does not apply to {} patterns; ignored\n",
                                   kParams[i].option, TypeWord(p.props.type));
    }
    ctx.out << "  " << inputs << (result.count("specific") ? ", Specific given" : "") << '\n';
    ctx.out << fmt::format("  {:>10}  {:>11}  {:>11}  {:>6}\n", "phi [deg]", "gain [dBi]",
                           "gainX [dBi]", "status");
    for (const double phi : angles) {
        double gain = 0.0, gainX = 0.0;
        const KAM_Status status =
            earth ? KAM_EarthPatternGain(p.library, name.c_str(), in[KAM_PARAM_GAINMAX],
                                         in[KAM_PARAM_DIAMETER], in[KAM_PARAM_FREQUENCY],
                                         in[KAM_PARAM_EFFICIENCY], specific.Pointer(), phi,
                                         in[KAM_PARAM_PHI0], &gain, &gainX)
                  : KAM_SpacePatternGain(p.library, name.c_str(), in[KAM_PARAM_GAINMAX],
                                         in[KAM_PARAM_BEAMLET], specific.Pointer(), phi,
                                         in[KAM_PARAM_PHI0], &gain, &gainX);
        ctx.out << fmt::format("  {:>10}  {:>11}  {:>11}  {:>6}\n", Number(phi), Number(gain),
                               Number(gainX), status);
        if (status != KAM_OK) {
            PrintEvents(ctx, "      ");
            if (status < 0) ctx.failed = true;
        }
    }
    return ExitCode(ctx);
}

int RunContour(Context& ctx, int argc, const char* const* argv) {
    cxxopts::Options options("kam contour",
                             "Contour angles of a space pattern for relative gain levels [dB].");
    AddCommonOptions(options);
    AddPatternInputOptions(options);
    options.add_options("levels")("levels", "relative gain levels, -100 <= L < 0",
                          cxxopts::value<std::string>()->default_value("-3,-10,-20"), "LIST");
    cxxopts::ParseResult result;
    if (!Parse(ctx, options, argc, argv, result)) return kExitOk;
    const std::string name = Positional(result, "pattern", "PATTERN");
    const double beamlet = OptionalNumber(result, "beamlet");
    const double phi0 = OptionalNumber(result, "phi0");
    const std::vector<double> levels = ParseNumberList(result["levels"].as<std::string>(), "--levels");
    LoadLibraries(ctx, result);
    InputValidationOff validation(result.count("no-validate") > 0);

    Pattern p;
    if (!FindPattern(ctx, name, result, p)) return ExitCode(ctx);
    Specific specific(ctx, p, result);
    ctx.out << fmt::format("{} ({}, library {}): {}\n", name, TypeWord(p.props.type),
                           LibraryName(p.library), p.Title());
    ctx.out << fmt::format("  Beamlet {}, Phi0 {}{}\n", Given(beamlet), Given(phi0),
                           result.count("specific") ? ", Specific given" : "");
    ctx.out << fmt::format("  {:>10}  {:>11}  {:>11}  {:>6}\n", "level [dB]", "phi [deg]",
                           "phiX [deg]", "status");
    for (const double level : levels) {
        double phi = 0.0, phiX = 0.0;
        const KAM_Status status = KAM_SpacePatternContour(p.library, name.c_str(), level, beamlet,
                                                          specific.Pointer(), phi0, &phi, &phiX);
        ctx.out << fmt::format("  {:>10}  {:>11}  {:>11}  {:>6}\n", Number(level), Number(phi),
                               Number(phiX), status);
        if (status != KAM_OK) {
            PrintEvents(ctx, "      ");
            if (status < 0) ctx.failed = true;
        }
    }
    return ExitCode(ctx);
}

int RunLegacy(Context& ctx, int argc, const char* const* argv) {
    constexpr std::size_t kDesignationLength = KAM_PATTERN_NAME_SLOT - 1;
    cxxopts::Options options(
        "kam legacy",
        "Convert a legacy designation into the current pattern name. Designations are 12\n"
        "characters, padded on the right with blanks; --pad adds the blanks.");
    AddCommonOptions(options);
    options.add_options()("pad", "pad NAME with blanks to 12 characters")(
        "name", "legacy designation", cxxopts::value<std::string>());
    options.parse_positional({"name"});
    options.positional_help("NAME");
    cxxopts::ParseResult result;
    if (!Parse(ctx, options, argc, argv, result)) return kExitOk;
    std::string legacy = Positional(result, "name", "NAME");
    LoadLibraries(ctx, result);
    const auto padded = [&](std::string s) {
        if (s.size() < kDesignationLength) s.resize(kDesignationLength, ' ');
        return s;
    };
    if (result.count("pad")) legacy = padded(legacy);

    char current[KAM_PATTERN_NAME_SLOT];
    const int status = TMP_ConvertPatternName(legacy.c_str(), current);
    if (status == KAM_OK) {
        ctx.out << fmt::format("\"{}\" -> {}\n", legacy, FieldText(current, sizeof current));
        return kExitOk;
    }
    ctx.out << fmt::format("\"{}\": status {}{}\n", legacy, status,
                           status == KAM_E_PATTERN_NOT_FOUND ? " (no current name)" : "");
    if (status == KAM_E_PATTERN_NOT_FOUND && legacy.size() < kDesignationLength) {
        const std::string tryPadded = padded(legacy);
        if (TMP_ConvertPatternName(tryPadded.c_str(), current) == KAM_OK)
            ctx.out << fmt::format(
                "hint: designations are padded to 12 characters: \"{}\" -> {} (use --pad)\n",
                tryPadded, FieldText(current, sizeof current));
    }
    return kExitFailed;
}

int Dispatch(Context& ctx, int argc, const char* const* argv);

// The demonstration: catalogue, then gain tables of one standard earth and
// one standard space pattern, and a contour of the space pattern.
int RunDemo(Context& ctx, int argc, const char* const* argv) {
    cxxopts::Options options("kam demo",
                             "Show the loaded libraries and patterns, gain tables of a standard "
                             "earth and space pattern, and a contour.");
    AddCommonOptions(options);
    cxxopts::ParseResult result;
    if (!Parse(ctx, options, argc, argv, result)) return kExitOk;
    LoadLibraries(ctx, result);

    struct Step {
        const char* heading;
        std::vector<const char*> args;
    };
    const Step steps[] = {
        {"Loaded pattern libraries", {"libraries"}},
        {"Patterns", {"patterns"}},
        {"Earth station, GSO coordination pattern: 2.4 m dish at 14 GHz, 49 dBi",
         {"gain", "GSOCO_005_V1", "--gainmax", "49", "--diameter", "2.4", "--frequency", "14000",
          "--angles", "0,0.25,0.5,0.7,0.8,0.9,1,1.5,2,3,5,10,20,30,47.9,48,90,180"}},
        {"Space station, GSO FSS circular beam (LS -20 dB): 40 dBi, half beamwidth 0.8 deg",
         {"gain", "GSOSS_101_V1", "--gainmax", "40", "--phi0", "0.8", "--angles",
          "0,0.4,0.8,1.6,2,2.5,5,10,20,31.8,40,90,180"}},
        {"Contour of the same space pattern: angle where the gain falls to each level",
         {"contour", "GSOSS_101_V1", "--phi0", "0.8", "--levels", "-3,-10,-19.9,-20,-30,-40"}},
    };
    int code = kExitOk;
    for (const Step& step : steps) {
        ctx.out << "\n== " << step.heading << " ==\n";
        std::vector<const char*> args = step.args;
        const int stepCode = Dispatch(ctx, static_cast<int>(args.size()), args.data());
        if (stepCode != kExitOk) code = stepCode;
    }
    return code;
}

struct Command {
    const char* name;
    const char* summary;
    int (*run)(Context&, int, const char* const*);
};
constexpr Command kCommands[] = {
    {"libraries", "loaded pattern libraries with version and pattern counts", RunLibraries},
    {"patterns", "patterns with type, parameter properties and title", RunPatterns},
    {"describe", "one pattern's parameters and specific-structure elements", RunDescribe},
    {"gain", "gain table of a pattern over off-axis angles", RunGain},
    {"contour", "contour angles of a space pattern for relative levels", RunContour},
    {"legacy", "convert a legacy designation into the current name", RunLegacy},
    {"demo", "catalogue, gain tables and a contour of standard patterns", RunDemo},
};

void PrintUsage(std::ostream& os) {
    os << "usage: kam COMMAND [options]   (kam COMMAND --help for its options)\n"
          "       kam --version\n\ncommands:\n";
    for (const Command& c : kCommands) os << fmt::format("  {:<10} {}\n", c.name, c.summary);
}

// Runs argv[0] as a subcommand with its options.
int Dispatch(Context& ctx, int argc, const char* const* argv) {
    const std::string name = argv[0];
    for (const Command& c : kCommands) {
        if (name != c.name) continue;
        try {
            return c.run(ctx, argc, argv);
        } catch (const UsageError& e) {
            ctx.err << "kam " << name << ": " << e.what() << " (see kam " << name << " --help)\n";
        } catch (const cxxopts::exceptions::exception& e) {
            ctx.err << "kam " << name << ": " << e.what() << " (see kam " << name << " --help)\n";
        }
        return kExitUsage;
    }
    ctx.err << "kam: unknown command '" << name << "'\n";
    PrintUsage(ctx.err);
    return kExitUsage;
}

}  // namespace

int RunCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    try {
        Context ctx{out, err};
        if (argc < 2) {
            PrintUsage(err);
            return kExitUsage;
        }
        const std::string first = argv[1];
        if (first == "help" || first == "--help" || first == "-h") {
            PrintUsage(out);
            return kExitOk;
        }
        if (first == "--version") {
            out << "kam " << KAM_VERSION << '\n';
            return kExitOk;
        }
        return Dispatch(ctx, argc - 1, argv + 1);
    } catch (const std::exception& e) {
        err << "kam: " << e.what() << '\n';
        return kExitFailed;
    }
}

}  // namespace kamtool
